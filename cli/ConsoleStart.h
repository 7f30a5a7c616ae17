#pragma once
// A run without arguments in a console window of its own: on Windows, a double click on
// tessella-cli.exe in Explorer makes a console for this process alone, which closes the
// moment the process ends, so the usage it prints would flash past unread. Such a run
// says how to use a command prompt and waits for a key. Run from a command prompt the
// console is shared with cmd, and nothing waits; nothing waits when any standard handle
// is redirected either, so a script or a pipe is never held up.

#include <string>

// What a process knows of its console when it starts.
struct ConsoleFacts {
    unsigned long processesOnConsole = 0;  // processes attached to the console, this one included; 0 for none
    bool inputIsConsole = false;
    bool outputIsConsole = false;
    bool errorIsConsole = false;
};

// True when the console was made for this process alone and input, output and error
// are all that console.
bool waitsBeforeClosing(const ConsoleFacts& facts);

// The lines printed after the usage in such a run, before the wait.
std::string startedAloneNote();

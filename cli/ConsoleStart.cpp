#include "ConsoleStart.h"

bool waitsBeforeClosing(const ConsoleFacts& facts) {
    return facts.processesOnConsole == 1 && facts.inputIsConsole && facts.outputIsConsole &&
           facts.errorIsConsole;
}

std::string startedAloneNote() {
    return "\n"
           "tessella-cli is a command line: it runs in a command prompt, not by a double\n"
           "click. To open one in this folder, type cmd in the address bar of this\n"
           "folder's window and press Enter; then type tessella-cli --help. Tessella.exe,\n"
           "beside it, is the dialog.\n"
           "\n"
           "Press any key to close this window.\n";
}

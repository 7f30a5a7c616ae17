#pragma once
// What the --help texts say about the command line, read back out of them: the commands,
// and for each command its options and the kind of value each option takes. The man page
// and the shell completion are made from this, so they say what --help says.

#include <string>
#include <vector>

struct HelpOption {
    std::vector<std::string> names;  // "-h", "--help"
    std::string value;               // the placeholder, e.g. "DIR"; empty for a flag
};

struct HelpCommand {
    std::string name;                 // "convert"
    std::string positional;           // "BITMAP", or "" when it takes none
    std::vector<HelpOption> options;  // in the order the help names them
};

struct HelpOutline {
    std::vector<HelpCommand> commands;        // every "tessella WORD" of the usage
    std::vector<std::string> programOptions;  // "--help", "--version"
};

// Paragraphs of a help text: runs of lines between blank lines.
std::vector<std::vector<std::string>> helpParagraphs(const std::string& text);

// Reads the overview's usage lines and each command's own help.
HelpOutline readHelpOutline();

#pragma once
// The texts of --help and --version, made from the command table (CommandTable.h): the
// usage lines, the list of commands and each command's operands and options come from
// the commands' declarations; the prose around them is the commands' own.
//
// The manual page and the bash completion (packaging/) are made from the same parts.

#include <string>
#include <string_view>
#include <vector>

#include "CommandTable.h"

// One operand or option of a command's help: "--name NAME" and what it is.
struct HelpRow {
    std::string term;
    std::string text;
};

struct CommandHelp {
    std::vector<std::string> usage;  // as help prints it: "Usage: tessella convert ...", wrapped
    std::string description;         // before the rows
    std::vector<HelpRow> rows;       // operands, options, then -h, --help
    std::string footer;              // after them
};

CommandHelp commandHelp(const Command& command);

// What tessella does, in a few words ("turns a map picture ... into tiled map data").
std::string programSummary();
// The overview's sentence after the summary: what tessella writes.
std::string overviewIntro();
// Every command's usage, and tessella's own options, as the overview prints them (wrapped,
// without the indentation).
std::vector<std::string> overviewUsage();
// The list of commands: each name and its summary.
std::vector<HelpRow> commandRows();
// The overview's text after the list of commands.
std::string overviewClosing();

// Texts that more than one help shows.
std::string convertExample();
std::string exitCodesText();
// What --dither does (convert, import, preview).
std::string ditherHelp();

// Rows as help sets them: terms in a column, texts wrapped beside them.
std::string formatRows(const std::vector<HelpRow>& rows);

// "" for the overview, else a command's name.
std::string helpText(std::string_view topic);
std::string versionText();

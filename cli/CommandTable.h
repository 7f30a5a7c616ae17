#pragma once
// The commands of tessella, one entry each. A command declares itself in its own file: its
// name, a one-line summary, whether it needs GDAL, and a function that declares its
// operands, options, help texts into an OptionTable and returns the run of what the
// table reads. The entry's argument struct belongs to that run:
//
//     Command convertCommand() {
//         return {"convert", "write the index file and the tiles", false, [](OptionTable& table) {
//                     return runWith<ConvertArguments>(table, convertOptions, runConvert);
//                 }};
//     }
//
// commandTable() lists them; parsing and dispatch (CommandLine.h), help (HelpText.h), the
// manual page and the bash completion (packaging/) are all made from it.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "OptionTable.h"

// Runs a command whose arguments were read; warnings are the checks' warnings about
// values taken as they are. Returns the exit code (ExitCodes.h).
using CommandRun = std::function<int(const std::vector<std::string>& warnings)>;

struct Command {
    std::string name;
    std::string summary;     // one line, in the overview's list of commands
    bool needsGdal = false;  // done by the program that has GDAL (ImportCommand.h)
    // Declares the command into the table and returns its run, which owns the arguments
    // the table fills.
    std::function<CommandRun(OptionTable&)> declare;
};

// Every command, in the order help lists them.
const std::vector<Command>& commandTable();
const Command* findCommand(std::string_view name);
// "convert, probe, ... and help": every command's name.
std::string commandNames();

// The usual run: the arguments are made here, declared by options(), and run() gets them
// once read. The warnings are printed first, unless run takes them itself.
template <typename Arguments>
CommandRun runWith(OptionTable& table, void (*options)(OptionTable&, Arguments&),
                   int (*run)(const Arguments&, const std::vector<std::string>& warnings)) {
    auto arguments = std::make_shared<Arguments>();
    options(table, *arguments);
    return [arguments, run](const std::vector<std::string>& warnings) { return run(*arguments, warnings); };
}

void printWarnings(const std::vector<std::string>& warnings);

template <typename Arguments>
CommandRun runWith(OptionTable& table, void (*options)(OptionTable&, Arguments&), int (*run)(const Arguments&)) {
    auto arguments = std::make_shared<Arguments>();
    options(table, *arguments);
    return [arguments, run](const std::vector<std::string>& warnings) {
        printWarnings(warnings);
        return run(*arguments);
    };
}

#include "CommandTable.h"

#include "CommandOutput.h"
#include "Platform.h"

// Each entry is made in its command's own file.
Command convertCommand();  // ConvertCommand.cpp
Command probeCommand();    // ProbeCommand.cpp
Command inspectCommand();  // InspectCommands.cpp
Command verifyCommand();   // InspectCommands.cpp
Command previewCommand();  // InspectCommands.cpp
Command importCommand();   // ImportOptions.cpp
Command helpCommand();     // HelpText.cpp

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = {
        convertCommand(), probeCommand(), inspectCommand(), verifyCommand(),
        previewCommand(), importCommand(), helpCommand(),
    };
    return table;
}

const Command* findCommand(std::string_view name) {
    for (const Command& command : commandTable())
        if (command.name == name) return &command;
    return nullptr;
}

std::string commandNames() {
    const std::vector<Command>& table = commandTable();
    std::string names;
    for (size_t i = 0; i < table.size(); ++i)
        names += (i == 0 ? "" : i + 1 == table.size() ? " and " : ", ") + table[i].name;
    return names;
}

void printWarnings(const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) printWarning(warning);
}

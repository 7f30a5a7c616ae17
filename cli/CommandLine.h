#pragma once
// The tessella command line, read into typed commands. Values are checked for their form
// here (an angle is D:M:S, a distance whole metres); whether the settings make a map is
// for the conversion to decide, as it does for the dialog's fields.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "OptionTable.h"
#include "Quoted.h"
#include "Settings.h"

// One corner: latitude and longitude, each as the three texts the dialog's fields hold.
struct CornerArgument {
    AngleText latitude;
    AngleText longitude;
};

struct ConvertArguments {
    std::string bitmap;
    std::string name;    // UTF-8 as typed
    std::string folder;
    CornerArgument topLeft;
    CornerArgument bottomRight;
    std::string eastWest;    // whole metres, digits only
    std::string northSouth;
    std::optional<std::string> outputDir;
};

struct ProbeArguments {
    std::string bitmap;
};

enum class CommandKind { Help, Version, Probe, Convert };

struct ParsedCommand {
    CommandKind kind = CommandKind::Help;
    std::string helpTopic;  // "", "convert" or "probe" for CommandKind::Help
    ProbeArguments probe;
    ConvertArguments convert;
};

struct ParseResult {
    bool ok = false;
    ParsedCommand command;
    std::string error;         // one line, when !ok
    std::string errorCommand;  // the command whose usage the error concerns, or ""
    std::vector<std::string> warnings;  // about values taken as they are, one line each
};

// args excludes the program name.
ParseResult parseCommandLine(const std::vector<std::string>& args);

// "D:M:S,D:M:S" into a corner. Each part is 1 or more digits and no longer than the
// dialog's field for it (latitude degrees 2, longitude degrees 3, minutes and seconds 2).
// On failure returns nullopt and sets error.
std::optional<CornerArgument> parseCorner(std::string_view text, std::string& error);

// Whole metres: 1 to 7 digits. On failure returns false and sets error.
bool checkDistance(std::string_view text, std::string& error);

// Reads a command's arguments (args[0] is the command's name) through its table, whose
// targets point into result. Returns help on the command when it was asked for, a failure
// naming the command for a mistake, else result marked ok as a command of the given kind,
// with the checks' warnings. Each command's parser builds its table and ends here.
ParseResult readCommand(OptionTable& table, const std::vector<std::string>& args, CommandKind kind,
                        ParseResult& result);

#pragma once
// The tessella command line, read into typed commands. Values are checked for their form
// here (an angle is D:M:S or decimal degrees, a distance whole metres); whether the
// settings make a map is for the conversion to decide, as it does for the dialog's fields.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Angles.h"
#include "OptionTable.h"
#include "Quoted.h"
#include "Settings.h"

struct ConvertArguments {
    std::string bitmap;
    std::string name;    // UTF-8 as typed
    std::string folder;
    CornerArgument topLeft;
    CornerArgument bottomRight;
    std::string eastWest;    // whole metres, digits only, or "auto" (from the corners)
    std::string northSouth;
    std::optional<std::string> outputDir;
    bool json = false;       // one JSON object on standard output instead of the report
    bool quiet = false;      // nothing printed but failures
    bool dryRun = false;     // every check, nothing written
    bool overwrite = false;  // an existing map of the folder name is replaced
};

struct ProbeArguments {
    std::string bitmap;
    bool json = false;   // one JSON object on standard output instead of the report
    bool quiet = false;  // nothing printed but failures
};

// inspect, verify and preview (InspectCommands.h).
struct InspectionArguments {
    std::string file;     // UTF-8 as typed
    std::string output;   // preview's -o
    int32_t scale = 1;
    bool json = false;
    bool compare = false;
};

enum class CommandKind { Help, Version, Probe, Convert, Inspect, Verify, Preview };

struct ParsedCommand {
    CommandKind kind = CommandKind::Help;
    std::string helpTopic;  // "", "convert" or "probe" for CommandKind::Help
    ProbeArguments probe;
    ConvertArguments convert;
    InspectionArguments inspection;
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

// Whole metres: 1 to 7 digits. On failure returns false and sets error.
bool checkDistance(std::string_view text, std::string& error);

// Reads a command's arguments (args[0] is the command's name) through its table, whose
// targets point into result. Returns help on the command when it was asked for, a failure
// naming the command for a mistake, else result marked ok as a command of the given kind,
// with the checks' warnings. Each command's parser builds its table and ends here.
ParseResult readCommand(OptionTable& table, const std::vector<std::string>& args, CommandKind kind,
                        ParseResult& result);

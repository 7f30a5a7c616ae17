#pragma once
// The tessella command line, read through the command table (CommandTable.h). Values are
// checked for their form here (an angle is D:M:S or decimal degrees, a distance whole
// metres); whether the settings make a map is for the conversion to decide, as it does
// for the dialog's fields.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Angles.h"
#include "CommandTable.h"
#include "OptionTable.h"
#include "PictureArguments.h"
#include "Quoted.h"
#include "Settings.h"

struct ConvertArguments {
    std::string bitmap;
    std::string name;    // UTF-8 as typed
    std::string folder;
    CornerArgument topLeft;
    CornerArgument bottomRight;
    std::string topLeftText, bottomRightText;  // as typed
    std::string eastWest;    // whole metres, digits only, or "auto" (from the corners)
    std::string northSouth;
    std::optional<std::string> outputDir;
    std::string outputDirText;
    bool json = false;       // one JSON object on standard output instead of the report
    bool quiet = false;      // nothing printed but failures
    bool dryRun = false;     // every check, nothing written
    bool overwrite = false;  // an existing map of the folder name is replaced
    bool dither = false;     // error diffusion before the colour reduction
};

struct ProbeArguments {
    std::string bitmap;  // or, in the Linux build, any picture GDAL reads
    PictureArguments picture;
    bool json = false;   // one JSON object on standard output instead of the report
    bool quiet = false;  // nothing printed but failures
};

// inspect, verify and preview (InspectCommands.h).
struct InspectionArguments {
    std::string file;     // UTF-8 as typed
    std::string output;   // preview's -o
    std::string scaleText;
    int32_t scale = 1;
    bool json = false;
    bool compare = false;
    bool dither = false;  // preview of a picture: with error diffusion, as --dither converts
    PictureArguments picture;  // preview's, as import reads a picture
};

// Each command's operands and options, declared into its table (the commands' files).
void convertOptions(OptionTable& table, ConvertArguments& convert);
void probeOptions(OptionTable& table, ProbeArguments& probe);
void inspectOptions(OptionTable& table, InspectionArguments& inspect);
void verifyOptions(OptionTable& table, InspectionArguments& verify);
void previewOptions(OptionTable& table, InspectionArguments& preview);

struct ParseResult {
    enum class Action { Run, Help, Version };
    bool ok = false;
    Action action = Action::Help;
    const Command* command = nullptr;  // the command named, when one is
    std::string helpTopic;             // Help: "" for the overview, else a command's name
    CommandRun run;                    // Run: the command with what was read
    std::vector<std::string> warnings; // about values taken as they are, one line each
    std::string needsGdal;             // Run: what asks for GDAL ("--window"), or ""
    std::string error;                 // one line, when !ok
    std::string errorCommand;          // the command whose usage the error concerns, or ""
};

// args excludes the program name.
ParseResult parseCommandLine(const std::vector<std::string>& args);

// Runs the command line given by its arguments (without the program name): a command
// that needs GDAL is handed over first, before anything is checked or printed.
int runTessella(const std::vector<std::string>& args);

// Whole metres: 1 to 7 digits. On failure returns false and sets error.
bool checkDistance(std::string_view text, std::string& error);

// Checks that commands share.
OptionTable::Check readCorner(CornerArgument& corner);  // LAT,LON into the corner
OptionTable::Check readDistanceOrAuto();                // whole metres, or "auto"
OptionTable::Check refuseEmpty(std::string reason);     // any text but ""

// The Windows build has no GDAL or GeographicLib: import and auto extents say where they work.

#include "ExitCodes.h"
#include "ImportCommand.h"
#include "Platform.h"

namespace {
constexpr const char* kLinuxOnly =
    "GDAL and GeographicLib, which only the Linux build of tessella has; run it there, or use "
    "'tessella import SOURCE --bmp OUT.bmp' on Linux to prepare a bitmap for this program";
}

int runImportCommand(const std::vector<std::string>&) {
    writeStandardError(std::string("tessella: error: import needs ") + kLinuxOnly + "\n");
    return kExitUsage;
}

std::string importHelpText() {
    return std::string("tessella import needs ") + kLinuxOnly + ".\n";
}

bool resolveAutoExtents(ConvertArguments& args, std::string& error, std::string&) {
    // Distances given in metres need nothing from those libraries.
    if (!isAutoDistance(args.eastWest) && !isAutoDistance(args.northSouth)) return true;
    error = std::string("--east-west auto and --north-south auto need ") + kLinuxOnly;
    return false;
}

// The Windows build has no GDAL or GeographicLib: import and auto extents say where they work.

#include "ExitCodes.h"
#include "ImportCommand.h"

namespace {
constexpr const char* kLinuxOnly =
    "GDAL and GeographicLib, which only the Linux build of tessella has; run it there, or use "
    "'tessella import SOURCE --bmp OUT.bmp' on Linux to prepare a bitmap for this program";
}

GdalHandover handOverToGdal(const std::vector<std::string>&) { return {false, kExitUsage, kLinuxOnly}; }

// runTessella refuses these before they are reached.
int runImport(const ImportArguments&) { return kExitUsage; }

bool resolveAutoExtents(ConvertArguments& args, std::string& error, std::string&) {
    // Distances given in metres need nothing from those libraries.
    if (!isAutoDistance(args.eastWest) && !isAutoDistance(args.northSouth)) return true;
    error = std::string("--east-west auto and --north-south auto need ") + kLinuxOnly;
    return false;
}

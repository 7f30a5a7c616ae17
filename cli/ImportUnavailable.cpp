// The Windows build has no GDAL: import says where it works.

#include "ExitCodes.h"
#include "ImportCommand.h"

namespace {
constexpr const char* kLinuxOnly =
    "GDAL, which only the Linux build of tessella has; run it there, or use "
    "'tessella import SOURCE --bmp OUT.bmp' on Linux to prepare a bitmap for this program";
}

GdalHandover handOverToGdal(const std::vector<std::string>&) { return {false, kExitUsage, kLinuxOnly}; }

// runTessella refuses it before it is reached.
int runImport(const ImportArguments&) { return kExitUsage; }

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

// Bitmaps only: any other picture is refused as the bitmap reader refuses it, with a hint
// that the Linux build reads it (ProbeCommand.cpp).
std::string pictureNeedsGdal(const std::string&) { return ""; }

// runTessella refuses the picture options before these are reached.
int probeThroughGdal(const ProbeArguments&) { return kExitUsage; }
int previewThroughGdal(const InspectionArguments&, const StopSignals&) { return kExitUsage; }

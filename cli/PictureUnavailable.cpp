// The Windows build reads pictures for import through the Windows Imaging Component
// (wic/), in this program. What else needs GDAL (probe and preview of a picture other than
// a bitmap, and their picture options) says where it works.

#include "ExitCodes.h"
#include "ImportCommand.h"
#include "PictureArguments.h"

namespace {
constexpr const char* kLinuxOnly =
    "GDAL, which only the Linux build of tessella has; run it there, or import the picture here "
    "with 'tessella-cli import'";
}

GdalHandover handOverToGdal(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "import") return {true, 0, ""};
    return {false, kExitUsage, kLinuxOnly};
}

// Bitmaps only: any other picture is refused as the bitmap reader refuses it, with a hint
// that the Linux build reads it (ProbeCommand.cpp).
std::string pictureNeedsGdal(const std::string&) { return ""; }

// runTessella refuses the picture options before these are reached.
int probeThroughGdal(const ProbeArguments&) { return kExitUsage; }
int previewThroughGdal(const InspectionArguments&, const StopSignals&) { return kExitUsage; }

#pragma once
// tessella import: any georeferenced map picture GDAL reads, to a map (or to the bitmap
// convert and the dialog take), with its corners and extents worked out. It needs GDAL,
// which only the Linux build has, and there only tessella-georef: the everyday tessella
// hands such a command line over to it (ImportRelay.cpp), the Windows build says where it
// works (ImportUnavailable.cpp). The import's options (ImportOptions.cpp) need nothing of
// GDAL, so its help is everywhere.

#include <string>
#include <vector>

#include "Angles.h"
#include "AutoExtents.h"
#include "CommandLine.h"

// The names --fit and --resample take, in the order of FitMode and Resampling
// (placement/MapGrid.h), which the import's arguments hold their indices in.
inline const std::vector<std::string> kFitNames = {"pad", "crop", "scale"};
inline const std::vector<std::string> kResampleNames = {"nearest", "bilinear", "cubic"};
// The names --transform takes, in the order of GcpTransform (placement/ImportPlan.h).
inline const std::vector<std::string> kTransformNames = {"poly1", "poly2", "poly3", "tps"};

// One --gcp PIXEL,LINE,LAT,LON: a place on the picture, and where it lies.
struct GcpArgument {
    double pixel = 0;
    double line = 0;
    CornerArgument at;
};

struct ImportArguments {
    std::string source;
    std::string name;  // UTF-8 as typed
    std::string folder;
    std::string srs;
    std::string topLeftText, bottomRightText;
    CornerArgument topLeft, bottomRight;
    size_t fit = 0;         // in kFitNames
    size_t resampling = 0;  // in kResampleNames
    std::string fitText, resampleText;
    std::string bmp;
    std::string outputDir;
    std::string eastWest = "auto", northSouth = "auto";
    bool overwrite = false, json = false, dryRun = false, quiet = false;
    bool replaceGeoreferencing = false;
    bool dither = false;  // error diffusion before the colour reduction
    std::string windowText;                   // --window: two corners, as typed
    CornerArgument windowTopLeft, windowBottomRight;
    std::string stretchText;                  // --stretch MIN,MAX
    double stretchMin = 0, stretchMax = 255;
    std::string resolutionText;               // --resolution SECONDS or LAT,LON
    double resolutionLatitude = 0, resolutionLongitude = 0;
    std::string sizeText;                     // --size WIDTHxHEIGHT
    int32_t sizeWidth = 0, sizeHeight = 0;
    std::vector<std::string> gcpTexts;        // --gcp, as typed, once for each
    std::vector<GcpArgument> gcps;
    std::string transformText;                // --transform
    size_t transform = 0;                     // in kTransformNames
};

void importOptions(OptionTable& table, ImportArguments& import);

// Returns the exit code. Only the program that has GDAL runs it.
int runImport(const ImportArguments& args);

// Where a command line that needs GDAL runs. here: in this program. Otherwise the other
// program could not take it over: exitCode, and reason, which completes "import needs ".
struct GdalHandover {
    bool here = false;
    int exitCode = 0;
    std::string reason;
};

// Hands the command line (args without the program name, as given) over to the program
// that has GDAL, which then takes this process's place; returns only when this program is
// that one, or when it cannot, having printed nothing.
GdalHandover handOverToGdal(const std::vector<std::string>& args);

#pragma once
// How a map picture is read and fitted to the tiles, as import takes it and probe and
// preview take it too: the same options, declared once (ImportOptions.cpp), read into the
// same request (placement/ImportPlan.h). In the Linux build they are the work of
// tessella-georef, as is any picture that is not a bitmap.

#include <cstdint>
#include <string>
#include <vector>

#include "Angles.h"
#include "OptionTable.h"

// The names --fit and --resample take, in the order of FitMode and Resampling
// (placement/MapGrid.h), which the arguments hold their indices in.
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

struct PictureArguments {
    std::string srs;
    std::string topLeftText, bottomRightText;
    CornerArgument topLeft, bottomRight;
    bool replaceGeoreferencing = false;
    std::vector<std::string> gcpTexts;  // --gcp, as typed, once for each
    std::vector<GcpArgument> gcps;
    std::string transformText;  // --transform
    size_t transform = 0;       // in kTransformNames
    std::string windowText;  // --window: two corners, as typed
    CornerArgument windowTopLeft, windowBottomRight;
    std::string stretchText;  // --stretch MIN,MAX
    double stretchMin = 0, stretchMax = 255;
    std::string resolutionText;  // --resolution SECONDS or LAT,LON
    double resolutionLatitude = 0, resolutionLongitude = 0;
    std::string sizeText;  // --size WIDTHxHEIGHT
    int32_t sizeWidth = 0, sizeHeight = 0;
    size_t fit = 0;         // in kFitNames
    size_t resampling = 0;  // in kResampleNames
    std::string fitText, resampleText;

    // Whether any of these options was given.
    bool given() const {
        return !srs.empty() || !topLeftText.empty() || !bottomRightText.empty() || replaceGeoreferencing ||
               !gcpTexts.empty() || !transformText.empty() ||
               !windowText.empty() || !stretchText.empty() || !resolutionText.empty() || !sizeText.empty() ||
               !fitText.empty() || !resampleText.empty();
    }
};

// --srs, --top-left, --bottom-right, --gcp, --transform, --replace-georeferencing,
// --window, --stretch, --fit, --resolution, --size and --resample, in that order; each
// asks for GDAL when given.
void pictureOptions(OptionTable& table, PictureArguments& picture);

// What of the picture at path asks for GDAL, for the operand of probe and preview: "" for
// a bitmap, which the conversion's own reader takes (and for a path that leads to no
// readable file, which it names as such), and in the build without GDAL, which reads
// bitmaps only.
std::string pictureNeedsGdal(const std::string& path);

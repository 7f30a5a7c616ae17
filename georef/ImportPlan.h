#pragma once
// What an import asks for, and what it worked out from the source: georef/ finds these,
// the command line says them (cli/ImportReport.h).

#include <cstdint>
#include <optional>
#include <string>

#include "MapExtents.h"
#include "MapGrid.h"

struct ImportRequest {
    std::string sourcePath;
    std::string srs;                       // --srs: the system of a world file; "" when not given
    std::optional<GeoPoint> topLeft;       // typed corners: the picture's outer edges,
    std::optional<GeoPoint> bottomRight;   // used instead of the file's georeferencing
    FitMode fit = FitMode::Pad;
    Resampling resampling = Resampling::Nearest;
    // A source GDAL decodes whole is refused when its pixels take more than this.
    int64_t wholeDecodeLimitBytes = 32LL << 20;
};

enum class ImportStatus {
    Ready,
    SourceUnreadable,     // GDAL cannot open or read it
    DecodedWhole,         // progressive JPEG or interlaced PNG too large to decode whole
    UnsupportedPixels,    // a sample type or band layout that is not a picture
    NoGeoreferencing,     // neither the file nor the user gives its corners
    NoCoordinateSystem,   // a world file without .prj, and no --srs
    BadCoordinateSystem,  // --srs or the file's system cannot be turned into WGS84
    WarpFailed,
    FitRefused,           // crop leaves less than 480 pixels, or the map is too large
    CornersRefused,       // south of the equator, west of Greenwich, or out of order
    ExtentRefused,        // an extent rounds to 0 m or passes 9,999,999 m
};

// What was worked out from the source.
struct ImportPlan {
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    std::string georeferencing;  // where the corners came from, for the user
    bool warped = false;
    FittedGrid fitted;
    MapCorners corners;
    MapExtents extents;
};

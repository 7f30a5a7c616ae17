#pragma once
// What an import asks for, and what it worked out from the source: the picture reader finds these,
// the command line says them (cli/ImportReport.h).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "MapExtents.h"
#include "MapGrid.h"

// Source sample values min..max mapped onto 0..255 for every colour band, as
// gdal_translate -scale min max 0 255 maps them; values outside are clamped.
struct SampleStretch {
    double min = 0;
    double max = 255;
};

// A region of the map picture, north-west corner then south-east corner, WGS84 degrees.
struct GeoWindow {
    GeoPoint topLeft;
    GeoPoint bottomRight;
};

// How control points place a picture: a polynomial of order 1 to 3 fitted to them by least
// squares (gdalwarp -order N), or a thin plate spline through every one (gdalwarp -tps).
enum class GcpTransform { Poly1, Poly2, Poly3, ThinPlateSpline };

// "a first-order polynomial", "a thin plate spline": the fit, as the report names it.
inline const char* transformDescription(GcpTransform transform) {
    switch (transform) {
        case GcpTransform::Poly1: return "a first-order polynomial";
        case GcpTransform::Poly2: return "a second-order polynomial";
        case GcpTransform::Poly3: return "a third-order polynomial";
        case GcpTransform::ThinPlateSpline: return "a thin plate spline";
    }
    return "a first-order polynomial";
}

// A control point typed by the user: a place on the picture, counted in pixels from its
// top-left corner as GDAL counts them (pixel 0.5, line 0.5 is the first pixel's centre),
// and where it lies, in WGS84 degrees.
struct ControlPoint {
    double pixel = 0;
    double line = 0;
    GeoPoint at;
};

// The grid the picture is resampled to before the fit, as gdalwarp -tr or -ts chooses it:
// a step in arc-seconds per pixel (the top-left corner kept, the sides rounded to whole
// pixels), or a size in pixels (the corners kept). One of the two is given.
struct OutputSize {
    double latitudeSeconds = 0;  // --resolution; 0 when --size is given
    double longitudeSeconds = 0;
    int32_t width = 0;           // --size; 0 when --resolution is given
    int32_t height = 0;
    bool byResolution() const { return latitudeSeconds > 0; }
};

struct ImportRequest {
    std::string sourcePath;
    std::string srs;                       // --srs: the system of a world file; "" when not given
    std::optional<GeoPoint> topLeft;       // typed corners: the picture's outer edges, for a
    std::optional<GeoPoint> bottomRight;   // picture without georeferencing of its own
    // Typed corners and --srs take the place of the picture's own georeferencing and
    // system; without this, a picture that has its own is refused with them.
    bool replaceGeoreferencing = false;
    // Control points typed with --gcp, which place a picture without georeferencing of its
    // own; a QGIS georeferencer's <picture>.points beside it is read when none are typed.
    std::vector<ControlPoint> controlPoints;
    // The fit through control points (typed, from a .points file or the picture's own);
    // unset means first order, and a transform given for a picture placed otherwise is
    // refused.
    std::optional<GcpTransform> transform;
    // The region of the picture (after any warp) the map is made of, snapped outward to
    // whole pixels.
    std::optional<GeoWindow> window;
    std::optional<SampleStretch> stretch;
    // The grid the picture (after any warp and window) is resampled to, once, before the fit.
    std::optional<OutputSize> size;
    // Extents typed by the user, in metres, used in place of those measured.
    std::optional<int64_t> eastWestMetres;
    std::optional<int64_t> northSouthMetres;
    FitMode fit = FitMode::Pad;
    Resampling resampling = Resampling::Nearest;
    // A source GDAL decodes whole is refused when its pixels take more than this.
    int64_t wholeDecodeLimitBytes = 32LL << 20;
};

enum class ImportStatus {
    Ready,
    SourceUnreadable,     // missing, or GDAL cannot open or read it
    DecodedWhole,         // progressive JPEG or interlaced PNG too large to decode whole
    UnsupportedPixels,    // a sample type or band layout that is not a picture
    NoGeoreferencing,     // neither the file nor the user gives its corners
    NoCoordinateSystem,   // a world file without .prj, and no --srs
    BadCoordinateSystem,  // --srs or the file's system cannot be turned into WGS84
    WarpFailed,
    FitRefused,           // crop leaves less than 480 pixels, or the map is too large
    CornersRefused,       // south of the equator, west of Greenwich, out of order, or a
                          // window outside the picture
    ExtentRefused,        // an extent rounds to 0 m or passes 9,999,999 m
    // Typed corners or --srs given for a picture that has its own georeferencing or
    // system, without replaceGeoreferencing: a usage error (exit 2).
    GeoreferencingConflict,
    // Too few control points for the transform, all on one line, outside the picture, or
    // a .points file that cannot be read.
    ControlPointsRefused,
    // --transform for a picture not placed by control points: a usage error (exit 2).
    TransformUnused,
};

// A ground control point and how far the fit through all of them leaves it.
struct ControlPointFit {
    std::string id;
    double pixel = 0;          // where the point is on the source picture
    double line = 0;
    double residualPixels = 0; // distance from there to where the fit puts its coordinates
};

// What was worked out from the source.
struct ImportPlan {
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    std::string georeferencing;  // where the corners came from, for the user
    bool warped = false;
    FittedGrid fitted;
    MapCorners corners;
    MapExtents extents;          // what the map gets: typed where typed, else measured
    MapExtents measuredExtents;  // measured from the corners on WGS84
    bool eastWestTyped = false;
    bool northSouthTyped = false;
    // The window asked for, snapped outward to whole pixels of the picture.
    std::optional<GeoWindow> window;
    // The picture's size (after any warp and window) before --resolution or --size
    // resampled it; 0 when neither was given.
    int32_t unsizedWidth = 0;
    int32_t unsizedHeight = 0;
    int exifOrientation = 1;  // the EXIF orientation applied (1: none)
    std::vector<ControlPointFit> controlPoints;  // a picture placed by control points
    // When --fit pad makes more than a quarter of the map white: how much, and the
    // arguments that fill the tiles; "" otherwise.
    std::string paddingNote;
    GcpTransform transform = GcpTransform::Poly1;  // their fit
    // Things the user should know that do not stop the import, one sentence each.
    std::vector<std::string> warnings;
};

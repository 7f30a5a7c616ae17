#pragma once
// The GDAL side of GeoSource: what the bands hold, where the picture lies, and the warp to
// latitude/longitude. Only georef/ sees GDAL.

#include <gdal_priv.h>

#include <string>
#include <vector>

#include "ImportPlan.h"
#include "PixelConversion.h"

struct RasterBands {
    SampleLayout layout;
    std::vector<int> bands;  // GDAL band numbers, in the order the layout reads them
    GDALDataType type = GDT_Byte;  // the type samples are read as (Float32 when stretched)
    // Which pixels hold no data (NoData values, a mask file), for a picture with no alpha
    // band; null when every pixel is valid, or after a warp, whose alpha holds it.
    GDALRasterBand* mask = nullptr;
    // An uncompressed GeoTIFF whose samples GDAL reads straight from the file, in the
    // file's own band order (GeoSource opens every source so).
    bool directRead = false;
};

// What the bands hold and how they become colours. A stretch maps sample values onto 0..255
// (any sample type); without one, 1- to 16-bit unsigned samples are scaled by their range,
// and a band whose values fill less than a sixteenth of that range adds a warning that
// gives the stretch to use.
ImportStatus readBandLayout(GDALDataset& raster, const std::optional<SampleStretch>& stretch, RasterBands& bands,
                            std::vector<std::string>& warnings, std::string& message);

// A control point: a place on the picture in pixels, and where it lies (x east, y north).
struct PlacedPoint {
    std::string id;
    double pixel = 0, line = 0, x = 0, y = 0;
};

struct SourceGeoreferencing {
    bool latLonGrid = false;  // grid holds the picture; otherwise it needs warping
    LatLonGrid grid;
    std::string srsWkt;       // the source's system, for the warp
    std::string description;
    bool controlPoints = false;             // placed by control points: warped through their fit
    GcpTransform transform = GcpTransform::Poly1;
    // Control points given beside the picture (typed, or a .points file), in the system of
    // srsWkt (x east, y north); empty when the picture's own GCPs place it.
    std::vector<PlacedPoint> givenPoints;
    std::string pointsFile;                 // the .points file read, "" if none
    std::vector<ControlPointFit> fits;      // each point's residual under that fit
    std::vector<std::string> warnings;
};

ImportStatus findGeoreferencing(GDALDataset& raster, const ImportRequest& request,
                                SourceGeoreferencing& found, std::string& message);

// The text of a small file: a path through the file services (regular files only), one of
// GDAL's /vsi names through GDAL. False when it cannot be read or is larger than
// kLargestSmallTextFile.
bool readSmallFile(const std::string& path, std::string& text);

// The control points a QGIS georeferencer saves beside a picture, as <picture>.points:
// "path" when such a file is there, else "".
std::string pointsFileOf(const std::string& sourcePath);

struct PointsFile {
    std::vector<PlacedPoint> points;  // the enabled ones, ids counted over every point
    int disabled = 0;                 // points whose enable column is 0, left out
    std::string srsDefinition;        // its #CRS line, "" when it has none
};

// Reads a .points file as QGIS writes it: an optional "#CRS: <definition>" line, a header
// naming mapX, mapY, sourceX (pixelX), sourceY (pixelY) and enable, then one point a line.
// Source coordinates are pixels with the line negative, or, for a picture with a grid of
// its own (pictureGrid, its six terms), coordinates on that grid.
ImportStatus readPointsFile(const std::string& path, const double* pictureGrid, PointsFile& read,
                            std::string& message);

// Refuses points the transform cannot use: fewer than it needs (3, 6, 10 for polynomials
// of order 1 to 3, 3 for a thin plate spline), all on one line on the picture or on the
// map, or, when mustLieInside, one outside the picture of width x height pixels.
ImportStatus checkControlPoints(const std::vector<PlacedPoint>& points, GcpTransform transform, int width,
                                int height, bool mustLieInside, std::string& message);

// The transform fitted to the points as GDAL's warper fits it, and how far it leaves each,
// in pixels (from where the point is to where its coordinates go back to on the picture).
ImportStatus fitControlPoints(const std::vector<PlacedPoint>& points, GcpTransform transform,
                              std::vector<ControlPointFit>& fits, std::string& message);

struct WarpedRaster {
    GDALDatasetUniquePtr expanded;  // the bands warped (a palette expanded to RGBA)
    GDALDatasetUniquePtr warped;    // north-up WGS84, with an alpha band (0 outside the source)
    LatLonGrid grid;
    std::vector<std::string> options;  // gdalwarp's options for the expanded bands
};

// Warps to north-up WGS84 latitude/longitude at GDAL's suggested resolution (through the
// control points' transform when the picture is placed by them). bands becomes
// the warped raster's layout.
ImportStatus warpToLatLon(GDALDataset& raster, const SourceGeoreferencing& found, Resampling resampling,
                          RasterBands& bands, WarpedRaster& warped, std::string& message);

// Warps the source again, straight to width x height pixels over region (of the first
// warp's grid), so that a scaled map is resampled once.
ImportStatus warpRegionToSize(WarpedRaster& warped, const LatLonGrid& region, int width, int height,
                              std::string& message);

// Warps the source again to the grid --resolution or --size asks for, as gdalwarp -tr or -ts
// makes it: over the first warp's extent, or over region (of the first warp's grid) when a
// window was cut.
ImportStatus warpToOutputSize(WarpedRaster& warped, const LatLonGrid* region, const OutputSize& size,
                              std::string& message);

// The EXIF orientation a JPEG's camera recorded, 2 to 8; 1 for none or upright.
int exifOrientation(GDALDataset& raster);

struct OrientedRaster {
    GDALDatasetUniquePtr placed;   // the stored pixels, placed on a grid that turns them
    GDALDatasetUniquePtr warped;   // the pixels upright
    GDALDatasetUniquePtr upright;  // the same, with no georeferencing (GDAL's default grid)
};

// The picture as its EXIF orientation shows it, pixel for pixel (rotated and mirrored
// through a nearest-neighbour warp between two grids, never resampled).
ImportStatus orientUpright(GDALDataset& raster, int orientation, OrientedRaster& out, std::string& message);

// GDAL's last error message, or fallback when it has none.
std::string gdalMessage(const char* fallback);

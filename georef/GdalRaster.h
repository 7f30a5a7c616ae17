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

struct SourceGeoreferencing {
    bool latLonGrid = false;  // grid holds the picture; otherwise it needs warping
    LatLonGrid grid;
    std::string srsWkt;       // the source's system, for the warp
    std::string description;
    bool controlPoints = false;             // placed by its GCPs: warped with a first-order fit
    std::vector<ControlPointFit> fits;      // each GCP's residual under that fit
    std::vector<std::string> warnings;
};

ImportStatus findGeoreferencing(GDALDataset& raster, const ImportRequest& request,
                                SourceGeoreferencing& found, std::string& message);

struct WarpedRaster {
    GDALDatasetUniquePtr expanded;  // the bands warped (a palette expanded to RGBA)
    GDALDatasetUniquePtr warped;    // north-up WGS84, with an alpha band (0 outside the source)
    LatLonGrid grid;
    std::vector<std::string> options;  // gdalwarp's options for the expanded bands
};

// Warps to north-up WGS84 latitude/longitude at GDAL's suggested resolution (through the
// GCPs with a first-order polynomial when the picture is placed by them). bands becomes
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

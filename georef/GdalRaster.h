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
    GDALDataType type = GDT_Byte;
};

ImportStatus readBandLayout(GDALDataset& raster, RasterBands& bands, std::string& message);

struct SourceGeoreferencing {
    bool latLonGrid = false;  // grid holds the picture; otherwise it needs warping
    LatLonGrid grid;
    std::string srsWkt;       // the source's system, for the warp
    std::string description;
};

ImportStatus findGeoreferencing(GDALDataset& raster, const ImportRequest& request,
                                SourceGeoreferencing& found, std::string& message);

struct WarpedRaster {
    GDALDatasetUniquePtr expanded;  // the bands warped (a palette expanded to RGBA)
    GDALDatasetUniquePtr warped;    // north-up WGS84, with an alpha band (0 outside the source)
    LatLonGrid grid;
};

// Warps to north-up WGS84 latitude/longitude at GDAL's suggested resolution, or, for
// FitMode::Scale, straight to the nearest multiples of 160. bands becomes the warped
// raster's layout.
ImportStatus warpToLatLon(GDALDataset& raster, const std::string& srsWkt, FitMode fit, Resampling resampling,
                          RasterBands& bands, WarpedRaster& warped, std::string& message);

// GDAL's last error message, or fallback when it has none.
std::string gdalMessage(const char* fallback);

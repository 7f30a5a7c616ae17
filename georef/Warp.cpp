#include <cpl_string.h>
#include <gdal_utils.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "GdalRaster.h"

namespace {

struct OptionList {
    std::vector<std::string> items;
    std::vector<char*> pointers() {
        std::vector<char*> list;
        for (std::string& item : items) list.push_back(item.data());
        list.push_back(nullptr);
        return list;
    }
};

const char* resamplingName(Resampling resampling) {
    switch (resampling) {
        case Resampling::Nearest: return "near";
        case Resampling::Bilinear: return "bilinear";
        case Resampling::Cubic: return "cubic";
    }
    return "near";
}

GDALDatasetUniquePtr runWarp(GDALDataset& raster, OptionList options) {
    std::vector<char*> list = options.pointers();
    GDALWarpAppOptions* warpOptions = GDALWarpAppOptionsNew(list.data(), nullptr);
    if (!warpOptions) return nullptr;
    GDALDatasetH source = GDALDataset::ToHandle(&raster);
    int usageError = 0;
    GDALDatasetH warped = GDALWarp("", nullptr, 1, &source, warpOptions, &usageError);
    GDALWarpAppOptionsFree(warpOptions);
    return GDALDatasetUniquePtr(GDALDataset::FromHandle(warped));
}

}  // namespace

std::string gdalMessage(const char* fallback) {
    const char* text = CPLGetLastErrorMsg();
    return text && *text ? std::string(text) : std::string(fallback);
}

ImportStatus warpToLatLon(GDALDataset& raster, const SourceGeoreferencing& found, Resampling resampling,
                          RasterBands& bands, WarpedRaster& out, std::string& message) {
    // First a virtual raster of the bands that are warped: the colours, then the alpha
    // that masks the warp, if any; a palette expanded to colours, since resampling acts
    // on colours, never on palette indices.
    const bool palette = bands.layout.kind == SampleLayout::Kind::Palette;
    const bool grey = bands.layout.kind == SampleLayout::Kind::Grey ||
                      bands.layout.kind == SampleLayout::Kind::GreyAlpha;
    const int colours = grey ? 1 : 3;
    OptionList select;
    select.items = {"-of", "VRT"};
    if (palette) {
        select.items.insert(select.items.end(), {"-expand", "rgba"});
    } else {
        // Colours in red, green, blue order, whatever order the reading asks them in.
        std::vector<int> order = bands.bands;
        if (bands.layout.kind == SampleLayout::Kind::Bgr) std::reverse(order.begin(), order.end());
        for (int band : order) select.items.insert(select.items.end(), {"-b", std::to_string(band)});
    }
    // Control points given beside the picture are set on it here, as gdal_translate -gcp
    // sets them, in place of any georeferencing of its own.
    for (const PlacedPoint& point : found.givenPoints)
        select.items.insert(select.items.end(), {"-gcp", CPLSPrintf("%.17g", point.pixel),
                                                 CPLSPrintf("%.17g", point.line), CPLSPrintf("%.17g", point.x),
                                                 CPLSPrintf("%.17g", point.y)});
    const bool hasAlpha = palette || bands.layout.kind == SampleLayout::Kind::Rgba ||
                          bands.layout.kind == SampleLayout::Kind::GreyAlpha;
    {
        std::vector<char*> list = select.pointers();
        GDALTranslateOptions* options = GDALTranslateOptionsNew(list.data(), nullptr);
        int usageError = 0;
        CPLErrorReset();
        out.expanded.reset(GDALDataset::FromHandle(
            GDALTranslate("", GDALDataset::ToHandle(&raster), options, &usageError)));
        GDALTranslateOptionsFree(options);
        if (!out.expanded) {
            message = "its bands could not be prepared for the warp: " + gdalMessage("GDAL gave no reason");
            return ImportStatus::WarpFailed;
        }
    }
    GDALDataset* from = out.expanded.get();
    if (hasAlpha) from->GetRasterBand(from->GetRasterCount())->SetColorInterpretation(GCI_AlphaBand);

    OptionList options;
    options.items = {"-of", "VRT", "-s_srs", found.srsWkt, "-t_srs", "EPSG:4326", "-r", resamplingName(resampling),
                     "-dstalpha", "-wm", "16", "-wo", "INIT_DEST=0",
                     "-wo", "DST_ALPHA_MAX=" + std::to_string(palette ? 255u : bands.layout.maxValue)};
    if (found.controlPoints && found.transform == GcpTransform::ThinPlateSpline) options.items.push_back("-tps");
    else if (found.controlPoints)
        options.items.insert(options.items.end(), {"-order", std::to_string(static_cast<int>(found.transform) + 1)});
    options.items.push_back(hasAlpha ? "-srcalpha" : "-nosrcalpha");
    if (palette) {
        bands.layout.maxValue = 255;
        bands.layout.paletteBgr.clear();
    }
    bands.mask = nullptr;  // the warp's alpha holds NoData and masks
    CPLErrorReset();
    GDALDatasetUniquePtr warped = runWarp(*from, options);
    if (!warped) {
        message = "it could not be warped to WGS84 latitude/longitude: " + gdalMessage("GDAL gave no reason");
        return ImportStatus::WarpFailed;
    }
    double gt[6];
    warped->GetGeoTransform(gt);
    out.options = options.items;
    out.warped = std::move(warped);
    out.grid = {gt[3], gt[0], -gt[5], gt[1], out.warped->GetRasterXSize(), out.warped->GetRasterYSize()};
    int count = out.warped->GetRasterCount();
    bands.layout.kind = colours == 1 ? SampleLayout::Kind::GreyAlpha : SampleLayout::Kind::Rgba;
    bands.bands.clear();
    for (int b = 1; b <= count; ++b) bands.bands.push_back(b);
    if (count != colours + 1) {
        message = "the warp gave " + std::to_string(count) + " bands where " + std::to_string(colours + 1) +
                  " were expected";
        return ImportStatus::WarpFailed;
    }
    return ImportStatus::Ready;
}

namespace {

// -te of region, as gdalwarp takes it: west, south, east, north.
std::vector<std::string> extentOptions(const LatLonGrid& region) {
    const double south = region.north - region.height * region.latitudeStep;
    const double east = region.west + region.width * region.longitudeStep;
    return {"-te", CPLSPrintf("%.17g", region.west), CPLSPrintf("%.17g", south), CPLSPrintf("%.17g", east),
            CPLSPrintf("%.17g", region.north)};
}

// The source warped again with the first warp's options and these.
ImportStatus warpAgain(WarpedRaster& out, const std::vector<std::string>& grid, std::string& message) {
    OptionList options;
    options.items = out.options;
    options.items.insert(options.items.end(), grid.begin(), grid.end());
    CPLErrorReset();
    GDALDatasetUniquePtr warped = runWarp(*out.expanded, options);
    if (!warped) {
        message = "it could not be warped to WGS84 latitude/longitude: " + gdalMessage("GDAL gave no reason");
        return ImportStatus::WarpFailed;
    }
    double gt[6];
    warped->GetGeoTransform(gt);
    out.warped = std::move(warped);
    out.grid = {gt[3], gt[0], -gt[5], gt[1], out.warped->GetRasterXSize(), out.warped->GetRasterYSize()};
    return ImportStatus::Ready;
}

}  // namespace

ImportStatus warpRegionToSize(WarpedRaster& out, const LatLonGrid& region, int width, int height,
                              std::string& message) {
    std::vector<std::string> grid = {"-ts", std::to_string(width), std::to_string(height)};
    for (std::string& item : extentOptions(region)) grid.push_back(std::move(item));
    return warpAgain(out, grid, message);
}

ImportStatus warpToOutputSize(WarpedRaster& out, const LatLonGrid* region, const OutputSize& size,
                              std::string& message) {
    std::vector<std::string> grid;
    if (size.byResolution()) {
        grid = {"-tr", CPLSPrintf("%.17g", size.longitudeSeconds / 3600.0),
                CPLSPrintf("%.17g", size.latitudeSeconds / 3600.0)};
    } else {
        grid = {"-ts", std::to_string(size.width), std::to_string(size.height)};
    }
    if (region)
        for (std::string& item : extentOptions(*region)) grid.push_back(std::move(item));
    return warpAgain(out, grid, message);
}

int exifOrientation(GDALDataset& raster) {
    GDALDriver* driver = raster.GetDriver();
    if (!driver || !EQUAL(driver->GetDescription(), "JPEG")) return 1;
    const char* value = raster.GetMetadataItem("EXIF_Orientation", "EXIF");
    if (!value) value = raster.GetMetadataItem("EXIF_Orientation");
    const int orientation = value ? std::atoi(value) : 1;
    return orientation >= 2 && orientation <= 8 ? orientation : 1;
}

ImportStatus orientUpright(GDALDataset& raster, int orientation, OrientedRaster& out, std::string& message) {
    const double w = raster.GetRasterXSize(), h = raster.GetRasterYSize();
    // Stored pixel (column c, row r) goes to upright (x, y) = (X, -Y) of this grid: 2
    // mirrors, 3 turns half round, 4 flips, 5 transposes, 6 turns a quarter clockwise,
    // 7 transverses, 8 turns a quarter anticlockwise.
    const double grids[9][6] = {
        {0, 1, 0, 0, 0, -1},  {0, 1, 0, 0, 0, -1}, {w, -1, 0, 0, 0, -1}, {w, -1, 0, -h, 0, 1}, {0, 1, 0, -h, 0, 1},
        {0, 0, 1, 0, -1, 0},  {h, 0, -1, 0, -1, 0}, {h, 0, -1, -w, 1, 0}, {0, 0, 1, -w, 1, 0},
    };
    const bool turned = orientation >= 5;
    const int uprightWidth = static_cast<int>(turned ? h : w), uprightHeight = static_cast<int>(turned ? w : h);
    auto translate = [&](GDALDataset& from, OptionList options) {
        std::vector<char*> list = options.pointers();
        GDALTranslateOptions* translateOptions = GDALTranslateOptionsNew(list.data(), nullptr);
        int usageError = 0;
        GDALDatasetUniquePtr made(
            GDALDataset::FromHandle(GDALTranslate("", GDALDataset::ToHandle(&from), translateOptions, &usageError)));
        GDALTranslateOptionsFree(translateOptions);
        return made;
    };
    CPLErrorReset();
    out.placed = translate(raster, OptionList{{"-of", "VRT"}});
    if (out.placed) {
        double grid[6];
        std::copy(grids[orientation], grids[orientation] + 6, grid);
        out.placed->SetGeoTransform(grid);
        OptionList options;
        options.items = {"-of", "VRT", "-r", "near", "-ts", std::to_string(uprightWidth), std::to_string(uprightHeight),
                         "-te", "0", std::to_string(-uprightHeight), std::to_string(uprightWidth), "0"};
        out.warped = runWarp(*out.placed, options);
    }
    if (out.warped) {
        out.upright = translate(*out.warped, OptionList{{"-of", "VRT", "-a_ullr", "0", "0", std::to_string(uprightWidth),
                                                         std::to_string(uprightHeight)}});
    }
    if (!out.upright) {
        message = "it could not be turned upright as its EXIF orientation " + std::to_string(orientation) +
                  " says: " + gdalMessage("GDAL gave no reason");
        return ImportStatus::WarpFailed;
    }
    return ImportStatus::Ready;
}

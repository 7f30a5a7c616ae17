#include "GeoSource.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "GdalRaster.h"
#include "WholeDecode.h"

namespace {

constexpr int32_t kSide = 160;
// Picture rows read from GDAL at a time: a fifth of a strip keeps the sample buffer small.
constexpr int32_t kRowsPerRead = 32;

struct FileStamp {
    bool valid = false;
    off_t size = 0;
    struct timespec modified = {};
};

FileStamp stampOf(const std::string& path) {
    FileStamp stamp;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return stamp;
    stamp.valid = true;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    return stamp;
}

GDALRIOResampleAlg rasterIoResampling(Resampling resampling) {
    switch (resampling) {
        case Resampling::Nearest: return GRIORA_NearestNeighbour;
        case Resampling::Bilinear: return GRIORA_Bilinear;
        case Resampling::Cubic: return GRIORA_Cubic;
    }
    return GRIORA_NearestNeighbour;
}

// GDAL's block cache: enough for two rows of the source's blocks, so a strip of 160 rows
// never decodes a block twice, and small enough to keep memory flat.
void sizeBlockCache(GDALDataset& raster) {
    GDALRasterBand& band = *raster.GetRasterBand(1);
    int blockWidth = 0, blockHeight = 0;
    band.GetBlockSize(&blockWidth, &blockHeight);
    int64_t blocksAcross = (raster.GetRasterXSize() + std::max(blockWidth, 1) - 1) / std::max(blockWidth, 1);
    int64_t rowOfBlocks = blocksAcross * blockWidth * static_cast<int64_t>(blockHeight) *
                          GDALGetDataTypeSizeBytes(band.GetRasterDataType()) * raster.GetRasterCount();
    int64_t wanted = std::clamp<int64_t>(2 * rowOfBlocks, 8LL << 20, 32LL << 20);
    GDALSetCacheMax64(wanted);
}

std::string mebibytes(int64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB"; }

}  // namespace

struct GeoSource::Gdal {
    GDALDatasetUniquePtr source;
    WarpedRaster warp;          // closed before the source
    GDALDataset* pixels = nullptr;
    RasterBands bands;
    Resampling resampling = Resampling::Nearest;
    std::string path;
    FileStamp stamp;
    std::vector<uint8_t> samples;
    std::vector<uint8_t> row;
};

void startGdal() {
    static std::once_flag started;
    std::call_once(started, [] {
        GDALAllRegister();
        CPLSetErrorHandler(CPLQuietErrorHandler);
        GDALSetCacheMax64(8LL << 20);
    });
}

GeoSource::GeoSource() : gdal_(std::make_unique<Gdal>()) {}
GeoSource::~GeoSource() = default;

ImportStatus GeoSource::open(const ImportRequest& request, std::unique_ptr<GeoSource>& result,
                             std::string& message) {
    startGdal();
    std::unique_ptr<GeoSource> source(new GeoSource());
    Gdal& g = *source->gdal_;
    ImportPlan& plan = source->plan_;
    const std::string& path = request.sourcePath;
    auto refuse = [&](ImportStatus status, const std::string& why) {
        message = path + ": " + why;
        return status;
    };

    CPLErrorReset();
    g.source.reset(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!g.source) return refuse(ImportStatus::SourceUnreadable, gdalMessage("GDAL cannot read it"));
    g.path = path;
    g.stamp = stampOf(path);
    plan.sourceWidth = g.source->GetRasterXSize();
    plan.sourceHeight = g.source->GetRasterYSize();

    ImportStatus status = readBandLayout(*g.source, g.bands, message);
    if (status != ImportStatus::Ready) return refuse(status, message);

    std::string kind;
    if (decodeOrderOf(path, kind) == DecodeOrder::Whole) {
        int64_t bytes = static_cast<int64_t>(plan.sourceWidth) * plan.sourceHeight * g.source->GetRasterCount() *
                        GDALGetDataTypeSizeBytes(g.bands.type);
        if (bytes > request.wholeDecodeLimitBytes) {
            return refuse(ImportStatus::DecodedWhole,
                          "it is a " + kind + ", which GDAL can only decode whole (" + mebibytes(bytes) +
                              " in memory). Convert it first, keeping its georeferencing, e.g.: "
                              "gdal_translate -of GTiff -co TILED=YES '" + path + "' map.tif");
        }
    }

    SourceGeoreferencing found;
    status = findGeoreferencing(*g.source, request, found, message);
    if (status != ImportStatus::Ready) return refuse(status, message);
    plan.georeferencing = found.description;
    LatLonGrid grid = found.grid;
    g.pixels = g.source.get();
    if (!found.latLonGrid) {
        status = warpToLatLon(*g.source, found.srsWkt, request.fit, request.resampling, g.bands, g.warp, message);
        if (status != ImportStatus::Ready) return refuse(status, message);
        g.pixels = g.warp.warped.get();
        grid = g.warp.grid;
        plan.warped = true;
    }

    switch (fitToGrid(grid, request.fit, plan.fitted)) {
        case FitStatus::Fitted: break;
        case FitStatus::TooSmallToCrop:
            return refuse(ImportStatus::FitRefused,
                          std::to_string(grid.width) + " x " + std::to_string(grid.height) +
                              " pixels cropped to multiples of 160 leaves less than 480 on a side; use --fit pad "
                              "or --fit scale");
        case FitStatus::TooLarge:
            return refuse(ImportStatus::FitRefused,
                          "the map would be " + std::to_string(plan.fitted.width) + " x " +
                              std::to_string(plan.fitted.height) + " pixels; at most " +
                              std::to_string(kMaximumMapSide) + " (999 tiles) fit on a side");
    }
    switch (cornersOf(plan.fitted, plan.corners)) {
        case CornerStatus::Valid: break;
        case CornerStatus::OutsideNorthEast:
            return refuse(ImportStatus::CornersRefused,
                          "it lies (partly) south of the equator or west of Greenwich; Tessella converts maps "
                          "north of the equator and east of Greenwich only");
        case CornerStatus::NotOrdered:
            return refuse(ImportStatus::CornersRefused, "its corners round to the same millisecond of arc");
    }
    plan.extents = extentsOf(plan.corners);
    for (int64_t metres : {plan.extents.eastWestMetres, plan.extents.northSouthMetres}) {
        if (metres < 1 || metres > 9999999)
            return refuse(ImportStatus::ExtentRefused,
                          "its extent of " + std::to_string(metres) + " m is outside 1 to 9,999,999 m");
    }
    g.resampling = request.resampling;
    sizeBlockCache(*g.pixels);
    result = std::move(source);
    return ImportStatus::Ready;
}

int32_t GeoSource::readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) {
    Gdal& g = *gdal_;
    const FittedGrid& fitted = plan_.fitted;
    const int32_t x0 = firstColumn * kSide, y0 = row * kSide, width = columnCount * kSide;
    if (columnCount <= 0 || x0 < 0 || y0 < 0 || x0 + width > fitted.width || y0 + kSide > fitted.height) {
        readError_ = "a strip outside the picture was asked for";
        return 0;
    }
    // The part of the strip that shows source pixels; the rest is white padding.
    const int32_t shownWidth = fitted.scaled ? width : std::clamp(fitted.keptWidth - x0, 0, width);
    const int32_t shownHeight = fitted.scaled ? kSide : std::clamp(fitted.keptHeight - y0, 0, kSide);
    const int spp = g.bands.layout.samplesPerPixel();
    const int bytes = GDALGetDataTypeSizeBytes(g.bands.type);
    g.samples.resize(static_cast<size_t>(shownWidth) * kRowsPerRead * spp * bytes);
    g.row.resize(static_cast<size_t>(width) * 3);

    for (int32_t first = 0; first < kSide; first += kRowsPerRead) {
        const int32_t shownRows = std::clamp(shownHeight - first, 0, kRowsPerRead);
        if (shownWidth > 0 && shownRows > 0 && !readSamples(x0, y0 + first, shownWidth, shownRows)) return 0;
        for (int32_t r = 0; r < kRowsPerRead; ++r) {
            std::fill(g.row.begin(), g.row.end(), 0xFF);
            if (r < shownRows) {
                size_t offset = static_cast<size_t>(r) * shownWidth * spp;
                if (g.bands.type == GDT_UInt16) {
                    convertToBgr(reinterpret_cast<const uint16_t*>(g.samples.data()) + offset, shownWidth,
                                 g.bands.layout, g.row.data());
                } else {
                    convertToBgr(g.samples.data() + offset, shownWidth, g.bands.layout, g.row.data());
                }
            }
            sink.takeRow(first + r, g.row.data());
        }
    }
    return columnCount;
}

bool GeoSource::readSamples(int32_t x0, int32_t y0, int32_t width, int32_t rows) {
    Gdal& g = *gdal_;
    const FittedGrid& fitted = plan_.fitted;
    const int spp = g.bands.layout.samplesPerPixel();
    const int bytes = GDALGetDataTypeSizeBytes(g.bands.type);
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    int xOff = x0, yOff = y0, xSize = width, ySize = rows;
    if (fitted.scaled) {
        // Output pixels (x0, y0) to (x0 + width, y0 + rows) cover this window of the source.
        const double sx = static_cast<double>(fitted.keptWidth) / fitted.width;
        const double sy = static_cast<double>(fitted.keptHeight) / fitted.height;
        extra.eResampleAlg = rasterIoResampling(g.resampling);
        extra.bFloatingPointWindowValidity = TRUE;
        extra.dfXOff = x0 * sx;
        extra.dfYOff = y0 * sy;
        extra.dfXSize = std::min(width * sx, fitted.keptWidth - extra.dfXOff);
        extra.dfYSize = std::min(rows * sy, fitted.keptHeight - extra.dfYOff);
        xOff = static_cast<int>(std::floor(extra.dfXOff));
        yOff = static_cast<int>(std::floor(extra.dfYOff));
        xSize = std::clamp(static_cast<int>(std::ceil(extra.dfXOff + extra.dfXSize - 1e-9)) - xOff, 1,
                           fitted.keptWidth - xOff);
        ySize = std::clamp(static_cast<int>(std::ceil(extra.dfYOff + extra.dfYSize - 1e-9)) - yOff, 1,
                           fitted.keptHeight - yOff);
    }
    CPLErrorReset();
    CPLErr error = g.pixels->RasterIO(GF_Read, xOff, yOff, xSize, ySize, g.samples.data(), width, rows,
                                      g.bands.type, static_cast<int>(g.bands.bands.size()), g.bands.bands.data(),
                                      static_cast<GSpacing>(spp) * bytes,
                                      static_cast<GSpacing>(spp) * bytes * width, bytes, &extra);
    if (error != CE_None) {
        readError_ = gdalMessage("GDAL could not read the pixels");
        return false;
    }
    return true;
}

bool GeoSource::unchanged() {
    FileStamp now = stampOf(gdal_->path);
    const FileStamp& then = gdal_->stamp;
    return now.valid && then.valid && now.size == then.size && now.modified.tv_sec == then.modified.tv_sec &&
           now.modified.tv_nsec == then.modified.tv_nsec;
}

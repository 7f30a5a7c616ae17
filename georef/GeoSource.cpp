#include "GeoSource.h"

#include <cpl_vsi.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>

#include "FileServices.h"
#include "GdalRaster.h"
#include "MapLimits.h"
#include "OutputSize.h"
#include "WholeDecode.h"

namespace {

// Picture rows read from GDAL at a time: a fifth of a strip keeps the sample buffer small.
constexpr int32_t kRowsPerRead = 32;
// A VRT larger than this is not read for its bands before GDAL opens it.
constexpr vsi_l_offset kLargestVrtText = 64LL << 20;
// Files GDAL lists for a source and its VRTs that are looked at, at most.
constexpr size_t kMostFilesRead = 100000;

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// GDAL's virtual file systems: /vsizip/a.zip/b.tif, /vsicurl/..., /vsistdin/.
bool isVsiName(const std::string& name) { return startsWith(name, "/vsi"); }
// Standard input can be read once only: there is nothing to look at again.
bool isStandardInput(const std::string& name) { return startsWith(name, "/vsistdin"); }

// A name GDAL gives a meaning of its own, rather than a file's path: one of its virtual
// file systems, a VRT's XML as the name, or a driver's prefix before a file
// (GTIFF_DIR:2:a.tif, NETCDF:"f.nc":var, HDF5:..., vrt://...). A name that leads to
// something on disk as it stands is a path.
bool isGdalName(const std::string& name, FileReading& files) {
    if (isVsiName(name) || name.find("<VRTDataset") != std::string::npos) return true;
    size_t colon = name.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    for (size_t i = 0; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (!std::isalnum(c) && c != '_') return false;
    }
    FileIdentity identity;
    return !files.identifyPath(name.c_str(), identity);
}

// A path must lead to a regular file: a named pipe would hold GDAL's open for ever, and a
// folder or device is no picture. Opened through the file services, which take regular
// files only and never wait.
bool isRegularFile(FileReading& files, const std::string& path, FileIdentity& identity, std::string& why) {
    FileReading::Handle file = files.openForReading(path.c_str());
    if (file == FileReading::kNoFile) {
        why = "it cannot be opened (" + systemErrorText(files.lastError()) + ")";
        return false;
    }
    if (!files.identify(file, identity)) identity = FileIdentity{};
    files.close(file);
    return true;
}

// What a file GDAL reads is now: a path's full identity, or the size and time GDAL's
// virtual file system reports for one of its names. False when nothing can be told.
bool identityOf(const std::string& name, FileReading& files, FileIdentity& identity) {
    if (!isVsiName(name)) return files.identifyPath(name.c_str(), identity);
    VSIStatBufL info;
    if (VSIStatL(name.c_str(), &info) != 0) return false;
    identity = FileIdentity{};
    identity.size = static_cast<int64_t>(info.st_size);
    identity.modified = static_cast<int64_t>(info.st_mtime);
    return true;
}

// A raw band reads any file on disk as pixels, at any offset: a VRT holding one is
// refused, whatever file it names.
bool holdsRawBand(const std::string& vrtText) { return vrtText.find("VRTRawRasterBand") != std::string::npos; }

// The XML of the VRT a name gives, as text: the name itself when it is the XML, or the
// file's text. False when it is no VRT (or one too large to read here).
bool vrtTextOf(const std::string& name, std::string& text) {
    if (name.find("<VRTDataset") != std::string::npos) {
        text = name;
        return true;
    }
    if (isStandardInput(name)) return false;
    VSILFILE* file = VSIFOpenL(name.c_str(), "rb");
    if (!file) return false;
    char head[1024] = {};
    size_t got = VSIFReadL(head, 1, sizeof head - 1, file);
    bool vrt = std::strstr(std::string(head, got).c_str(), "<VRTDataset") != nullptr;
    GByte* bytes = nullptr;
    vsi_l_offset size = 0;
    if (vrt) {
        VSIFSeekL(file, 0, SEEK_SET);
        vrt = VSIIngestFile(file, name.c_str(), &bytes, &size, static_cast<GIntBig>(kLargestVrtText)) != 0;
    }
    VSIFCloseL(file);
    if (vrt) text.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
    VSIFree(bytes);
    return vrt;
}

// The XML GDAL holds for an opened VRT, "" for any other raster.
std::string openedVrtText(GDALDataset& raster) {
    GDALDriver* driver = raster.GetDriver();
    if (!driver || !EQUAL(driver->GetDescription(), "VRT")) return "";
    char** xml = raster.GetMetadata("xml:VRT");
    return xml && xml[0] ? std::string(xml[0]) : std::string();
}

std::vector<std::string> fileListOf(GDALDataset& raster) {
    std::vector<std::string> names;
    char** list = raster.GetFileList();
    for (char** name = list; name && *name; ++name) names.emplace_back(*name);
    CSLDestroy(list);
    return names;
}

const char* const kRawBandRefused =
    "has a raw band (VRTRawRasterBand), which reads any file on disk as pixels; Tessella does not read such VRTs";

// Every file GDAL reads for the raster: the files it lists and, through each VRT among
// them, that VRT's own sources, nested VRTs included. Refuses a VRT with a raw band and a
// path that is not a regular file. Standard input is left out: it cannot be looked at
// twice.
ImportStatus filesRead(GDALDataset& raster, FileReading& files, std::vector<std::string>& found,
                       std::string& why) {
    if (holdsRawBand(openedVrtText(raster))) {
        why = std::string("it is a VRT that ") + kRawBandRefused;
        return ImportStatus::SourceUnreadable;
    }
    std::vector<std::string> pending = fileListOf(raster);
    std::set<std::string> seen = {raster.GetDescription()};
    for (const std::string& name : pending) seen.insert(name);
    for (size_t next = 0; next < pending.size() && next < kMostFilesRead; ++next) {
        const std::string name = pending[next];
        if (isStandardInput(name)) continue;
        FileIdentity identity;
        if (!isVsiName(name) && !isRegularFile(files, name, identity, why)) {
            why = "it reads " + name + ": " + why;
            return ImportStatus::SourceUnreadable;
        }
        found.push_back(name);
        std::string text;
        if (!vrtTextOf(name, text)) continue;
        if (holdsRawBand(text)) {
            why = (name == raster.GetDescription() ? std::string("it is a VRT that ")
                                                   : "it reads the VRT " + name + ", which ") +
                  kRawBandRefused;
            return ImportStatus::SourceUnreadable;
        }
        if (name == raster.GetDescription()) continue;  // its list is the one being walked
        const char* const vrtOnly[] = {"VRT", nullptr};
        GDALDatasetUniquePtr nested(GDALDataset::Open(name.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, vrtOnly));
        if (!nested) continue;
        if (holdsRawBand(openedVrtText(*nested))) {
            why = "it reads the VRT " + name + ", which " + kRawBandRefused;
            return ImportStatus::SourceUnreadable;
        }
        for (std::string& inner : fileListOf(*nested))
            if (seen.insert(inner).second) pending.push_back(std::move(inner));
    }
    return ImportStatus::Ready;
}

struct SourceRun {
    int32_t first = 0;  // the first map pixel and how many
    int32_t count = 0;
    double offset = 0;  // their window on the source, in source pixels from the window's corner
    double size = 0;
};

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

// Map pixels first to first + count along one axis as windows of the source, in source
// pixels: one run at the exact ratio while the windows lie on the source; then the last
// pixel, whose window crosses the source's far edge while its centre lies on it, narrowed
// about that centre (a nearest pick is then the one a warp makes). Returns the runs made.
int sourceRuns(int32_t first, int32_t count, double perPixel, int32_t sourceSide, SourceRun runs[2]) {
    const int64_t whole = static_cast<int64_t>(std::floor(sourceSide / perPixel + 1e-9));
    const int32_t inside = static_cast<int32_t>(std::clamp<int64_t>(whole - first, 0, count));
    int made = 0;
    if (inside > 0)
        runs[made++] = {first, inside, first * perPixel, std::min(inside * perPixel, sourceSide - first * perPixel)};
    if (inside < count) {
        const double centre = (first + inside + 0.5) * perPixel;
        const double half = std::clamp(sourceSide - centre, 1e-6, perPixel / 2);
        runs[made++] = {first + inside, 1, centre - half, 2 * half};
    }
    return made;
}

std::string mebibytes(int64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB"; }

}  // namespace

struct GeoSource::Gdal {
    GDALDatasetUniquePtr source;
    OrientedRaster oriented;    // closed before the source, after the warp
    WarpedRaster warp;          // closed before the source
    GDALDataset* pixels = nullptr;
    RasterBands bands;
    Resampling resampling = Resampling::Nearest;
    int32_t offsetX = 0;  // the window's first column and row in pixels
    int32_t offsetY = 0;
    // How the map's pixels fall on those of the window: source columns and rows per map
    // pixel, the window's size in source pixels, and the map's columns and rows that show
    // it (their centres on it); the rest is white.
    double columnsPerPixel = 1;
    double rowsPerPixel = 1;
    int32_t sourceColumns = 0;
    int32_t sourceRows = 0;
    int32_t shownColumns = 0;
    int32_t shownRows = 0;
    // The files read and what each was when the source was opened: compared again once
    // the map is written.
    std::vector<std::pair<std::string, FileIdentity>> watched;
    std::vector<uint8_t> samples;
    std::vector<uint8_t> maskSamples;
    std::vector<uint8_t> row;
};

ImportStatus openImportSource(const ImportRequest& request, std::unique_ptr<ImportSource>& source,
                              std::string& message) {
    std::unique_ptr<GeoSource> opened;
    ImportStatus status = GeoSource::open(request, opened, message);
    source = std::move(opened);
    return status;
}

std::string optionBeyondReader(const ImportRequest&) { return ""; }

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

    FileReading& files = platformFileReading();
    const bool gdalName = isGdalName(path, files);
    if (!gdalName) {
        // Looked at before GDAL opens it, which would wait for ever on a named pipe.
        FileIdentity identity;
        std::string why;
        if (!isRegularFile(files, path, identity, why)) {
            if (files.lastError() == ENOENT) why = "no such file: " + why;
            return refuse(ImportStatus::SourceUnreadable, why);
        }
        g.watched.emplace_back(path, identity);
    }
    // A raw band is refused before GDAL opens the VRT, which opens the file it names.
    std::string vrtText;
    if (vrtTextOf(path, vrtText) && holdsRawBand(vrtText))
        return refuse(ImportStatus::SourceUnreadable, std::string("it is a VRT that ") + kRawBandRefused);

    CPLErrorReset();
    // An uncompressed GeoTIFF read at its own size then goes from the file straight into
    // the caller's buffer, past GDAL's block cache (GDAL takes this when the file opens).
    // Not when the reads may resample it (--resolution, --size, --fit scale): direct I/O
    // subsamples whole-pixel windows, where RasterIO's nearest pick is the warper's.
    if (!request.size && request.fit != FitMode::Scale) CPLSetThreadLocalConfigOption("GTIFF_DIRECT_IO", "YES");
    g.source.reset(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    CPLSetThreadLocalConfigOption("GTIFF_DIRECT_IO", nullptr);
    if (!g.source) {
        VSIStatBufL info;
        if (gdalName && isVsiName(path) && VSIStatL(path.c_str(), &info) != 0)
            return refuse(ImportStatus::SourceUnreadable, "no such file");
        return refuse(ImportStatus::SourceUnreadable, gdalMessage("GDAL cannot read it"));
    }
    plan.sourceWidth = g.source->GetRasterXSize();
    plan.sourceHeight = g.source->GetRasterYSize();

    std::vector<std::string> read;
    ImportStatus status = filesRead(*g.source, files, read, message);
    if (status != ImportStatus::Ready) return refuse(status, message);
    // A path keeps its full identity; each other file is watched as GDAL sees it.
    if ((!gdalName || (isVsiName(path) && !isStandardInput(path))) &&
        std::find(read.begin(), read.end(), path) == read.end())
        read.push_back(path);
    for (const std::string& name : read) {
        FileIdentity identity;
        if ((name != path || gdalName) && identityOf(name, files, identity)) g.watched.emplace_back(name, identity);
    }

    // A camera's picture is used as it shows, upright, whatever else it holds.
    GDALDataset* base = g.source.get();
    if (const int orientation = exifOrientation(*g.source); orientation != 1) {
        double grid[6];
        if (g.source->GetGeoTransform(grid) == CE_None || g.source->GetGCPCount() > 0 ||
            !request.controlPoints.empty() || !pointsFileOf(path).empty()) {
            plan.warnings.push_back("its EXIF orientation (" + std::to_string(orientation) +
                                    ") is not applied: its georeferencing or control points place the pixels as "
                                    "they are stored");
        } else {
            status = orientUpright(*g.source, orientation, g.oriented, message);
            if (status != ImportStatus::Ready) return refuse(status, message);
            base = g.oriented.upright.get();
            plan.exifOrientation = orientation;
        }
    }
    status = readBandLayout(*base, request.stretch, g.bands, plan.warnings, message);
    if (status != ImportStatus::Ready) return refuse(status, message);

    WholeDecodeFound whole;
    if (!withinWholeDecodeLimit(read, request.wholeDecodeLimitBytes, whole)) {
        const bool itself = whole.file == path;
        return refuse(ImportStatus::DecodedWhole,
                      (itself ? "it is a " + whole.formatName : "it reads the " + whole.formatName + " " + whole.file) +
                          ", which GDAL can only decode whole (" + mebibytes(whole.bytes) +
                          " in memory). Convert " + (itself ? "it" : "that") +
                          " first, keeping its georeferencing, e.g.: gdal_translate -of GTiff -co TILED=YES '" +
                          whole.file + "' map.tif");
    }

    SourceGeoreferencing found;
    status = findGeoreferencing(*base, request, found, message);
    if (status != ImportStatus::Ready) return refuse(status, message);
    plan.georeferencing = found.description;
    plan.controlPoints = found.fits;
    plan.transform = found.transform;
    if (FileIdentity identity; !found.pointsFile.empty() && identityOf(found.pointsFile, files, identity))
        g.watched.emplace_back(found.pointsFile, identity);
    plan.warnings.insert(plan.warnings.end(), found.warnings.begin(), found.warnings.end());
    LatLonGrid grid = found.grid;
    g.pixels = base;
    if (!found.latLonGrid) {
        status = warpToLatLon(*base, found, request.resampling, g.bands, g.warp, message);
        if (status != ImportStatus::Ready) return refuse(status, message);
        g.pixels = g.warp.warped.get();
        grid = g.warp.grid;
        plan.warped = true;
    }

    if (request.window) {
        PixelRegion region;
        if (!snapWindow(grid, *request.window, region, message)) return refuse(ImportStatus::CornersRefused, message);
        g.offsetX = region.x;
        g.offsetY = region.y;
        grid = region.grid;
        plan.window = GeoWindow{{grid.north, grid.west},
                                {grid.north - grid.height * grid.latitudeStep,
                                 grid.west + grid.width * grid.longitudeStep}};
    }
    // The picture so far, as the map's pixels read it when nothing resamples it.
    LatLonGrid window = grid;
    if (request.size) {
        LatLonGrid sized;
        status = sizedGrid(grid, *request.size, request.fit, sized, message);
        if (status != ImportStatus::Ready) return refuse(status, message);
        plan.unsizedWidth = grid.width;
        plan.unsizedHeight = grid.height;
        if (plan.warped) {
            // Warped straight to the grid asked for, as gdalwarp -tr or -ts would.
            status = warpToOutputSize(g.warp, request.window ? &grid : nullptr, *request.size, message);
            if (status != ImportStatus::Ready) return refuse(status, message);
            g.pixels = g.warp.warped.get();
            grid = window = g.warp.grid;
            g.offsetX = g.offsetY = 0;
        } else {
            grid = sized;
        }
    }
    if (plan.warped && request.fit == FitMode::Scale) {
        // Warped straight to the fitted size, so the pixels are resampled once.
        status = warpRegionToSize(g.warp, grid, scaledSide(grid.width), scaledSide(grid.height), message);
        if (status != ImportStatus::Ready) return refuse(status, message);
        g.pixels = g.warp.warped.get();
        grid = window = g.warp.grid;
        g.offsetX = g.offsetY = 0;
    }

    status = planMap(grid, request, plan, message);
    if (status != ImportStatus::Ready) return refuse(status, message);
    source->placeOnWindow(window, grid);
    g.resampling = request.resampling;
    sizeBlockCache(*g.pixels);
    result = std::move(source);
    return ImportStatus::Ready;
}

void GeoSource::placeOnWindow(const LatLonGrid& window, const LatLonGrid& grid) {
    Gdal& g = *gdal_;
    const FittedGrid& f = plan_.fitted;
    const bool sized = grid.width != window.width || grid.height != window.height ||
                       grid.longitudeStep != window.longitudeStep || grid.latitudeStep != window.latitudeStep;
    g.columnsPerPixel = sized ? grid.longitudeStep / window.longitudeStep : 1.0;
    g.rowsPerPixel = sized ? grid.latitudeStep / window.latitudeStep : 1.0;
    if (f.scaled) {
        g.columnsPerPixel *= static_cast<double>(f.keptWidth) / f.width;
        g.rowsPerPixel *= static_cast<double>(f.keptHeight) / f.height;
    }
    g.sourceColumns = window.width;
    g.sourceRows = window.height;
    // A map pixel shows the source when its centre lies on it, as a warp decides.
    auto shown = [](int32_t limit, int32_t side, double perPixel) {
        return static_cast<int32_t>(std::clamp<double>(std::ceil(side / perPixel - 0.5 - 1e-9), 0, limit));
    };
    g.shownColumns = shown(f.scaled ? f.width : f.keptWidth, window.width, g.columnsPerPixel);
    g.shownRows = shown(f.scaled ? f.height : f.keptHeight, window.height, g.rowsPerPixel);
}

int32_t GeoSource::readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) {
    Gdal& g = *gdal_;
    Strip strip;
    if (!stripOf(row, firstColumn, columnCount, g.shownColumns, g.shownRows, strip)) return 0;
    const int32_t x0 = strip.x0, y0 = strip.y0, width = strip.width;
    const int32_t shownWidth = strip.shownWidth, shownHeight = strip.shownHeight;
    const int spp = g.bands.layout.samplesPerPixel();
    const int bytes = GDALGetDataTypeSizeBytes(g.bands.type);
    g.samples.resize(static_cast<size_t>(shownWidth) * kRowsPerRead * spp * bytes);
    if (g.bands.mask) g.maskSamples.resize(static_cast<size_t>(shownWidth) * kRowsPerRead);
    g.row.resize(static_cast<size_t>(width) * 3);

    for (int32_t first = 0; first < kTileSide; first += kRowsPerRead) {
        const int32_t shownRows = std::clamp(shownHeight - first, 0, kRowsPerRead);
        if (shownWidth > 0 && shownRows > 0 && !readSamples(x0, y0 + first, shownWidth, shownRows)) return 0;
        for (int32_t r = 0; r < kRowsPerRead; ++r) {
            // White where no source pixel shows: the whole row below the picture, else
            // only east of it.
            std::fill(g.row.begin() + (r < shownRows ? 3 * static_cast<size_t>(shownWidth) : 0), g.row.end(), 0xFF);
            if (r < shownRows) {
                size_t offset = static_cast<size_t>(r) * shownWidth * spp;
                if (g.bands.type == GDT_UInt16) {
                    convertToBgr(reinterpret_cast<const uint16_t*>(g.samples.data()) + offset, shownWidth,
                                 g.bands.layout, g.row.data());
                } else if (g.bands.type == GDT_Float32) {
                    convertToBgr(reinterpret_cast<const float*>(g.samples.data()) + offset, shownWidth,
                                 g.bands.layout, g.row.data());
                } else {
                    convertToBgr(g.samples.data() + offset, shownWidth, g.bands.layout, g.row.data());
                }
                if (g.bands.mask)
                    applyMask(g.maskSamples.data() + static_cast<size_t>(r) * shownWidth, shownWidth, g.row.data());
            }
            sink.takeRow(first + r, g.row.data());
        }
    }
    return columnCount;
}

bool GeoSource::readSamples(int32_t x0, int32_t y0, int32_t width, int32_t rows) {
    Gdal& g = *gdal_;
    const int spp = g.bands.layout.samplesPerPixel();
    const int bytes = GDALGetDataTypeSizeBytes(g.bands.type);
    const bool resampled = g.columnsPerPixel != 1.0 || g.rowsPerPixel != 1.0;
    SourceRun columns[2], lines[2];
    const int columnRuns = sourceRuns(x0, width, g.columnsPerPixel, g.sourceColumns, columns);
    const int lineRuns = sourceRuns(y0, rows, g.rowsPerPixel, g.sourceRows, lines);
    const GSpacing pixelSpace = static_cast<GSpacing>(spp) * bytes, lineSpace = pixelSpace * width;
    CPLErrorReset();
    CPLErr error = CE_None;
    for (int l = 0; l < lineRuns && error == CE_None; ++l) {
        for (int c = 0; c < columnRuns && error == CE_None; ++c) {
            const SourceRun& across = columns[c];
            const SourceRun& down = lines[l];
            GDALRasterIOExtraArg extra;
            INIT_RASTERIO_EXTRA_ARG(extra);
            // The whole source pixels the run's window touches.
            const int xOff = static_cast<int>(std::floor(across.offset));
            const int yOff = static_cast<int>(std::floor(down.offset));
            const int xSize = std::clamp(static_cast<int>(std::ceil(across.offset + across.size - 1e-9)) - xOff, 1,
                                         g.sourceColumns - xOff);
            const int ySize = std::clamp(static_cast<int>(std::ceil(down.offset + down.size - 1e-9)) - yOff, 1,
                                         g.sourceRows - yOff);
            if (resampled) {
                extra.eResampleAlg = rasterIoResampling(g.resampling);
                extra.bFloatingPointWindowValidity = TRUE;
                extra.dfXOff = across.offset + g.offsetX;
                extra.dfYOff = down.offset + g.offsetY;
                extra.dfXSize = across.size;
                extra.dfYSize = down.size;
            }
            const size_t firstColumn = static_cast<size_t>(across.first - x0);
            const size_t firstLine = static_cast<size_t>(down.first - y0);
            error = g.pixels->RasterIO(GF_Read, xOff + g.offsetX, yOff + g.offsetY, xSize, ySize,
                                       g.samples.data() + firstLine * lineSpace + firstColumn * pixelSpace,
                                       across.count, down.count, g.bands.type,
                                       static_cast<int>(g.bands.bands.size()), g.bands.bands.data(), pixelSpace,
                                       lineSpace, bytes, &extra);
            if (error == CE_None && g.bands.mask) {
                error = g.bands.mask->RasterIO(GF_Read, xOff + g.offsetX, yOff + g.offsetY, xSize, ySize,
                                               g.maskSamples.data() + firstLine * width + firstColumn, across.count,
                                               down.count, GDT_Byte, 1, static_cast<GSpacing>(width), &extra);
            }
        }
    }
    if (error != CE_None) {
        readError_ = gdalMessage("GDAL could not read the pixels");
        return false;
    }
    return true;
}

void GeoSource::inputFiles(std::vector<FileIdentity>& files) const {
    for (const auto& [name, identity] : gdal_->watched)
        if (identity.device != 0 || identity.file != 0) files.push_back(identity);
}

bool GeoSource::unchanged() {
    FileReading& files = platformFileReading();
    for (const auto& [name, then] : gdal_->watched) {
        FileIdentity now;
        if (!identityOf(name, files, now) || !(now == then)) return false;
    }
    return true;
}

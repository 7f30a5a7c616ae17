#include <cpl_conv.h>
#include <cpl_vsi.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "FileServices.h"
#include "GdalRaster.h"

namespace {

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// The world file, .aux.xml or .prj among the files GDAL read with the source, "" if none.
std::string companionFile(GDALDataset& raster, const std::vector<std::string>& extensions) {
    char** files = raster.GetFileList();
    std::string found;
    for (char** f = files; f && *f && found.empty(); ++f) {
        std::string ext = lowerExtension(*f);
        for (const std::string& wanted : extensions)
            if (ext == wanted) found = *f;
    }
    CSLDestroy(files);
    return found;
}

// The text of a small file: a path through the file services (a regular file only, so a
// named pipe never holds the import), one of GDAL's /vsi names through GDAL.
bool readSmallFile(const std::string& path, std::string& text) {
    constexpr int64_t kLargest = 1 << 20;
    if (path.rfind("/vsi", 0) == 0) {
        if (path.rfind("/vsistdin", 0) == 0) return false;
        GByte* bytes = nullptr;
        vsi_l_offset size = 0;
        bool read = VSIIngestFile(nullptr, path.c_str(), &bytes, &size, kLargest) != 0;
        if (read) text.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
        VSIFree(bytes);
        return read;
    }
    FileReading& files = platformFileReading();
    FileReading::Handle file = files.openForReading(path.c_str());
    if (file == FileReading::kNoFile) return false;
    int64_t size = files.fileSize(file);
    bool read = size >= 0 && size <= kLargest;
    if (read) {
        text.resize(static_cast<size_t>(size));
        read = files.readAt(file, 0, text.data(), text.size()) == size;
    }
    files.close(file);
    return read;
}

// A .prj beside the source (same name, extension replaced), read as WKT or ESRI WKT.
bool readPrj(const std::string& sourcePath, OGRSpatialReference& srs, std::string& prjPath) {
    for (const char* ext : {".prj", ".PRJ"}) {
        std::filesystem::path candidate = std::filesystem::path(sourcePath).replace_extension(ext);
        std::string text;
        if (!readSmallFile(candidate.string(), text)) continue;
        if (srs.SetFromUserInput(text.c_str()) == OGRERR_NONE) {
            prjPath = candidate.string();
            return true;
        }
    }
    return false;
}

// Whether points of srs are WGS84 latitudes and longitudes as they stand (WGS84 itself,
// or a datum GDAL turns into WGS84 with no shift, such as JGD2011).
bool sameAsWgs84(const OGRSpatialReference& srs, const double gt[6], int width, int height) {
    if (!srs.IsGeographic()) return false;
    OGRSpatialReference source(srs), wgs84;
    source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    wgs84.importFromEPSG(4326);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> transform(OGRCreateCoordinateTransformation(&source, &wgs84));
    if (!transform) return false;
    double x[4] = {gt[0], gt[0] + width * gt[1], gt[0], gt[0] + width * gt[1]};
    double y[4] = {gt[3], gt[3], gt[3] + height * gt[5], gt[3] + height * gt[5]};
    double x0[4], y0[4];
    std::copy(x, x + 4, x0);
    std::copy(y, y + 4, y0);
    if (!transform->Transform(4, x, y)) return false;
    for (int i = 0; i < 4; ++i)
        if (std::fabs(x[i] - x0[i]) > 1e-9 || std::fabs(y[i] - y0[i]) > 1e-9) return false;
    return true;
}

std::string srsName(const OGRSpatialReference& srs) {
    const char* name = srs.GetName();
    std::string text = name ? name : "an unnamed coordinate system";
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* code = srs.GetAuthorityCode(nullptr);
    if (authority && code) text += std::string(" (") + authority + ":" + code + ")";
    return text;
}

}  // namespace

ImportStatus findGeoreferencing(GDALDataset& raster, const ImportRequest& request, SourceGeoreferencing& found,
                                std::string& message) {
    const int width = raster.GetRasterXSize(), height = raster.GetRasterYSize();
    if (request.topLeft || request.bottomRight) {
        if (!request.topLeft || !request.bottomRight) {
            message = "give both corners, --top-left and --bottom-right";
            return ImportStatus::NoGeoreferencing;
        }
        const GeoPoint& tl = *request.topLeft;
        const GeoPoint& br = *request.bottomRight;
        found.latLonGrid = true;
        found.grid = {tl.latitude, tl.longitude, (tl.latitude - br.latitude) / height,
                      (br.longitude - tl.longitude) / width, width, height};
        found.description = "the corners typed with --top-left and --bottom-right (WGS84)";
        if (!(found.grid.latitudeStep > 0) || !(found.grid.longitudeStep > 0)) {
            message = "--top-left must lie north and west of --bottom-right";
            return ImportStatus::CornersRefused;
        }
        return ImportStatus::Ready;
    }

    double gt[6];
    if (raster.GetGeoTransform(gt) != CE_None) {
        message = "it has no georeferencing (no GeoTIFF tags, .aux.xml or world file .tfw/.pgw/.jgw/.wld); "
                  "give its corners with --top-left and --bottom-right";
        return ImportStatus::NoGeoreferencing;
    }
    std::string worldFile = companionFile(raster, {".tfw", ".pgw", ".jgw", ".wld", ".tifw", ".pngw", ".jpgw",
                                                   ".bpw", ".bmpw", ".gfw"});
    std::string auxFile = companionFile(raster, {".xml"});
    std::string from = !worldFile.empty() ? "the world file " + worldFile
                       : !auxFile.empty() ? "its .aux.xml " + auxFile
                                          : "its own georeferencing";
    // Terms that are not numbers, or a grid that collapses to a line, place no pixel.
    const bool finite = std::all_of(gt, gt + 6, [](double term) { return std::isfinite(term); });
    if (!finite || gt[1] * gt[5] - gt[2] * gt[4] == 0) {
        message = "the georeferencing cannot be used: " + from +
                  (finite ? " maps the whole picture onto a line" : " holds terms that are not finite numbers") +
                  "; give its corners with --top-left and --bottom-right";
        return ImportStatus::NoGeoreferencing;
    }

    OGRSpatialReference srs;
    std::string prjPath;
    if (!request.srs.empty()) {
        if (srs.SetFromUserInput(request.srs.c_str()) != OGRERR_NONE) {
            message = "--srs " + request.srs + " is not a coordinate system GDAL knows (try EPSG:4326)";
            return ImportStatus::BadCoordinateSystem;
        }
        from += " in " + srsName(srs) + " (from --srs)";
    } else if (const OGRSpatialReference* own = raster.GetSpatialRef()) {
        srs = *own;
        from += " in " + srsName(srs);
    } else if (readPrj(request.sourcePath, srs, prjPath)) {
        from += " in " + srsName(srs) + " (from " + prjPath + ")";
    } else {
        message = worldFile.empty()
                      ? "its georeferencing names no coordinate system: say which with --srs, e.g. --srs EPSG:4326"
                      : "the world file " + worldFile +
                            " carries no coordinate system and there is no .prj beside it: say which with "
                            "--srs, e.g. --srs EPSG:4326";
        return ImportStatus::NoCoordinateSystem;
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);

    bool northUp = gt[2] == 0 && gt[4] == 0 && gt[1] > 0 && gt[5] < 0;
    if (northUp && sameAsWgs84(srs, gt, width, height)) {
        found.latLonGrid = true;
        found.grid = {gt[3], gt[0], -gt[5], gt[1], width, height};
        found.description = from;
        return ImportStatus::Ready;
    }
    char* wkt = nullptr;
    const char* options[] = {"FORMAT=WKT2_2019", nullptr};
    if (srs.exportToWkt(&wkt, options) != OGRERR_NONE || !wkt) {
        CPLFree(wkt);
        message = "its coordinate system cannot be written out for the warp";
        return ImportStatus::BadCoordinateSystem;
    }
    found.latLonGrid = false;
    found.srsWkt = wkt;
    CPLFree(wkt);
    found.description = from + ", warped to north-up WGS84 latitude/longitude";
    return ImportStatus::Ready;
}

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_alg.h>
#include <cpl_vsi.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// A .prj's text as GDAL's reader takes it: a UTF-8 byte-order mark and the white space
// around the text (blank lines included) left out, a bare number taken as an EPSG code.
std::string prjDefinition(std::string text) {
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    const char* space = " \t\r\n\f\v";
    size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return "";
    text = text.substr(first, text.find_last_not_of(space) - first + 1);
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) text = "EPSG:" + text;
    return text;
}

enum class PrjFound { None, Read, Unreadable };

// A .prj beside the source (same name, extension replaced), read as GDAL reads one: WKT
// (ESRI's included), a PROJ string, an EPSG code, or the older ESRI keyword lines. When
// GDAL cannot read it, why says GDAL's reason.
PrjFound readPrj(const std::string& sourcePath, OGRSpatialReference& srs, std::string& prjPath, std::string& why) {
    for (const char* ext : {".prj", ".PRJ"}) {
        std::filesystem::path candidate = std::filesystem::path(sourcePath).replace_extension(ext);
        std::string text;
        if (!readSmallFile(candidate.string(), text)) continue;
        prjPath = candidate.string();
        std::string definition = prjDefinition(text);
        if (definition.empty()) {
            why = "it is empty";
            return PrjFound::Unreadable;
        }
        CPLErrorReset();
        if (srs.SetFromUserInput(definition.c_str()) == OGRERR_NONE) return PrjFound::Read;
        why = gdalMessage("GDAL does not recognise it as a coordinate system");
        char** lines = CSLTokenizeString2(definition.c_str(), "\r\n", 0);
        srs.Clear();
        const bool esri = srs.importFromESRI(lines) == OGRERR_NONE;
        CSLDestroy(lines);
        return esri ? PrjFound::Read : PrjFound::Unreadable;
    }
    return PrjFound::None;
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

std::string srsName(const OGRSpatialReference& given) {
    OGRSpatialReference srs(given);
    if (!srs.GetAuthorityCode(nullptr)) {
        // A PROJ string or a WKT without codes: named after the system it matches, if any.
        int count = 0;
        int* confidence = nullptr;
        OGRSpatialReferenceH* matches = srs.FindMatches(nullptr, &count, &confidence);
        if (count > 0 && confidence[0] >= 70) srs = *OGRSpatialReference::FromHandle(matches[0]);
        OSRFreeSRSArray(matches);
        CPLFree(confidence);
    }
    const char* name = srs.GetName();
    std::string text = name && *name && !EQUAL(name, "unknown") ? name : "an unnamed coordinate system";
    char* proj = nullptr;
    if (text.front() == 'a' && srs.exportToProj4(&proj) == OGRERR_NONE && proj && *proj)
        text = std::string("the coordinate system ") + proj;
    CPLFree(proj);
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* code = srs.GetAuthorityCode(nullptr);
    if (authority && code) text += std::string(" (") + authority + ":" + code + ")";
    return text;
}

bool isGdalsDefault(const double gt[6]) {
    return gt[0] == 0 && gt[1] == 1 && gt[2] == 0 && gt[3] == 0 && gt[4] == 0 && gt[5] == 1;
}

// The first-order fit through the GCPs, and how far it leaves each of them, in pixels.
bool fitControlPoints(GDALDataset& raster, std::vector<ControlPointFit>& fits, std::string& message) {
    const int count = raster.GetGCPCount();
    const GDAL_GCP* gcps = raster.GetGCPs();
    void* transformer = GDALCreateGCPTransformer(count, gcps, 1, FALSE);
    if (!transformer) {
        message = "its " + std::to_string(count) + " control points (GCPs) do not fit a first-order polynomial: " +
                  gdalMessage("at least 3 not on one line are needed");
        return false;
    }
    for (int i = 0; i < count; ++i) {
        double x = gcps[i].dfGCPX, y = gcps[i].dfGCPY, z = 0;
        int ok = 0;
        GDALGCPTransform(transformer, TRUE, 1, &x, &y, &z, &ok);
        ControlPointFit fit;
        fit.id = gcps[i].pszId && *gcps[i].pszId ? gcps[i].pszId : std::to_string(i + 1);
        fit.pixel = gcps[i].dfGCPPixel;
        fit.line = gcps[i].dfGCPLine;
        fit.residualPixels = ok ? std::hypot(x - fit.pixel, y - fit.line) : HUGE_VAL;
        fits.push_back(fit);
    }
    GDALDestroyGCPTransformer(transformer);
    return true;
}

std::string pixelsText(double pixels) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", pixels);
    return text;
}

const char* const kTwoChoices =
    "to cut a region of the picture give --window LAT,LON,LAT,LON instead; to take the typed values in place of "
    "its own, add --replace-georeferencing";

}  // namespace

ImportStatus findGeoreferencing(GDALDataset& raster, const ImportRequest& request, SourceGeoreferencing& found,
                                std::string& message) {
    const int width = raster.GetRasterXSize(), height = raster.GetRasterYSize();
    double gt[6];
    // GDAL's default grid, which it keeps in an .aux.xml for a picture without any, places
    // nothing.
    const bool hasGrid = raster.GetGeoTransform(gt) == CE_None && !isGdalsDefault(gt);
    const bool hasGcps = !hasGrid && raster.GetGCPCount() > 0;
    std::string worldFile = companionFile(raster, {".tfw", ".pgw", ".jgw", ".wld", ".tifw", ".pngw", ".jpgw",
                                                   ".bpw", ".bmpw", ".gfw"});
    std::string auxFile = companionFile(raster, {".xml"});
    std::string from = !worldFile.empty() ? "the world file " + worldFile
                       : !auxFile.empty() ? "its .aux.xml " + auxFile
                                          : "its own georeferencing";
    if (hasGcps) from = (auxFile.empty() ? std::string("its ") : "the .aux.xml " + auxFile + "'s ") +
                        std::to_string(raster.GetGCPCount()) + " control points (GCPs)";

    if (request.topLeft || request.bottomRight) {
        if (!request.topLeft || !request.bottomRight) {
            message = "give both corners, --top-left and --bottom-right";
            return ImportStatus::NoGeoreferencing;
        }
        if ((hasGrid || hasGcps) && !request.replaceGeoreferencing) {
            // "its own georeferencing" says it already; a named file is said in brackets.
            message = (from == "its own georeferencing" ? std::string("it has georeferencing of its own")
                                                        : "it has georeferencing of its own (" + from + ")") +
                      ", which the typed corners would silently replace: " + kTwoChoices;
            return ImportStatus::GeoreferencingConflict;
        }
        const GeoPoint& tl = *request.topLeft;
        const GeoPoint& br = *request.bottomRight;
        found.latLonGrid = true;
        found.grid = {tl.latitude, tl.longitude, (tl.latitude - br.latitude) / height,
                      (br.longitude - tl.longitude) / width, width, height};
        found.description = "the corners typed with --top-left and --bottom-right (WGS84)";
        if (hasGrid || hasGcps) found.description += ", in place of " + from;
        if (!(found.grid.latitudeStep > 0) || !(found.grid.longitudeStep > 0)) {
            message = "--top-left must lie north and west of --bottom-right";
            return ImportStatus::CornersRefused;
        }
        return ImportStatus::Ready;
    }

    if (!hasGrid && !hasGcps) {
        message = "it has no georeferencing (no GeoTIFF tags, .aux.xml, control points or world file "
                  ".tfw/.pgw/.jgw/.wld); give its corners with --top-left and --bottom-right";
        return ImportStatus::NoGeoreferencing;
    }
    if (hasGrid) {
        // Terms that are not numbers, or a grid that collapses to a line, place no pixel.
        const bool finite = std::all_of(gt, gt + 6, [](double term) { return std::isfinite(term); });
        if (!finite || gt[1] * gt[5] - gt[2] * gt[4] == 0) {
            message = "the georeferencing cannot be used: " + from +
                      (finite ? " maps the whole picture onto a line" : " holds terms that are not finite numbers") +
                      "; give its corners with --top-left and --bottom-right";
            return ImportStatus::NoGeoreferencing;
        }
    }

    OGRSpatialReference own, srs;
    std::string ownFrom, prjPath, prjWhy;
    bool hasOwn = false;
    if (const OGRSpatialReference* named = hasGrid ? raster.GetSpatialRef() : raster.GetGCPSpatialRef()) {
        own = *named;
        hasOwn = true;
    } else {
        switch (readPrj(request.sourcePath, own, prjPath, prjWhy)) {
            case PrjFound::Read:
                hasOwn = true;
                ownFrom = " (from " + prjPath + ")";
                break;
            case PrjFound::Unreadable:
                if (request.srs.empty()) {
                    message = "the coordinate system in " + prjPath + " cannot be read: " + prjWhy +
                              "; correct it, or say which system with --srs, e.g. --srs EPSG:4326";
                    return ImportStatus::BadCoordinateSystem;
                }
                break;
            case PrjFound::None: break;
        }
    }
    if (!request.srs.empty()) {
        if (hasOwn && !request.replaceGeoreferencing) {
            message = "it names its own coordinate system, " + srsName(own) + ownFrom +
                      ", which --srs " + request.srs + " would silently replace: leave --srs out to use it; " +
                      kTwoChoices;
            return ImportStatus::GeoreferencingConflict;
        }
        if (srs.SetFromUserInput(request.srs.c_str()) != OGRERR_NONE) {
            message = "--srs " + request.srs + " is not a coordinate system GDAL knows (try EPSG:4326)";
            return ImportStatus::BadCoordinateSystem;
        }
        from += " in " + srsName(srs) + " (from --srs" + (hasOwn ? ", in place of " + srsName(own) + ")" : ")");
    } else if (hasOwn) {
        srs = own;
        from += " in " + srsName(srs) + ownFrom;
    } else {
        message = worldFile.empty()
                      ? "its georeferencing names no coordinate system: say which with --srs, e.g. --srs EPSG:4326"
                      : "the world file " + worldFile +
                            " carries no coordinate system and there is no .prj beside it: say which with "
                            "--srs, e.g. --srs EPSG:4326";
        return ImportStatus::NoCoordinateSystem;
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);

    if (hasGcps) {
        found.controlPoints = true;
        if (!fitControlPoints(raster, found.fits, message)) return ImportStatus::NoGeoreferencing;
        for (const ControlPointFit& fit : found.fits) {
            if (fit.residualPixels > 1.0)
                found.warnings.push_back("control point " + fit.id + " (pixel " + pixelsText(fit.pixel) + ", line " +
                                         pixelsText(fit.line) + ") lies " + pixelsText(fit.residualPixels) +
                                         " pixels from where the first-order fit through all the points puts it");
        }
    } else if (gt[2] == 0 && gt[4] == 0 && gt[1] > 0 && gt[5] < 0 && sameAsWgs84(srs, gt, width, height)) {
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
    found.description = from + ", warped to north-up WGS84 latitude/longitude" +
                        (hasGcps ? " with a first-order polynomial" : "");
    return ImportStatus::Ready;
}

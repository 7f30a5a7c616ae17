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

#include "CoordinateSystemText.h"
#include "FileServices.h"
#include "GdalRaster.h"
#include "GeoreferencingSteps.h"
#include "SmallTextFile.h"
#include "WorldFile.h"

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
    if (path.rfind("/vsi", 0) == 0) {
        if (path.rfind("/vsistdin", 0) == 0) return false;
        GByte* bytes = nullptr;
        vsi_l_offset size = 0;
        bool read = VSIIngestFile(nullptr, path.c_str(), &bytes, &size, kLargestSmallTextFile) != 0;
        if (read) text.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
        VSIFree(bytes);
        return read;
    }
    return readSmallTextFile(platformFileReading(), path, text);
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

}  // namespace

ImportStatus findGeoreferencing(GDALDataset& raster, const ImportRequest& request, SourceGeoreferencing& found,
                                std::string& message) {
    const int width = raster.GetRasterXSize(), height = raster.GetRasterYSize();
    double gt[6];
    const bool hasGrid = raster.GetGeoTransform(gt) == CE_None && !isGdalsDefaultGrid(gt);
    const bool hasGcps = !hasGrid && raster.GetGCPCount() > 0;
    std::string worldFile = companionFile(raster, {".tfw", ".pgw", ".jgw", ".wld", ".tifw", ".pngw", ".jpgw",
                                                   ".bpw", ".bmpw", ".gfw", ".jpw", ".tiffw", ".jpegw", ".gifw"});
    // GDAL's BMP driver reads a world file but leaves it out of the files it lists.
    GDALDriver* driver = raster.GetDriver();
    WorldFileFound bmpWorldFile;
    if (hasGrid && worldFile.empty() && driver && EQUAL(driver->GetDescription(), "BMP") &&
        findWorldFile(platformFileReading(), raster.GetDescription(), PictureFormat::Bmp, bmpWorldFile))
        worldFile = bmpWorldFile.path;
    std::string auxFile = companionFile(raster, {".xml"});
    std::string from = ownGeoreferencingSource(worldFile, auxFile, hasGcps ? raster.GetGCPCount() : 0);

    if (request.topLeft || request.bottomRight) {
        const ImportStatus status = placeByTypedCorners(request, width, height, hasGrid || hasGcps ? from : "",
                                                        found.grid, found.description, message);
        found.latLonGrid = status == ImportStatus::Ready;
        return status;
    }

    if (!hasGrid && !hasGcps) {
        message = noGeoreferencingMessage();
        return ImportStatus::NoGeoreferencing;
    }
    if (hasGrid && !isUsableGrid(gt, from, message)) return ImportStatus::NoGeoreferencing;

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
                    message = unreadablePrjMessage(prjPath, prjWhy);
                    return ImportStatus::BadCoordinateSystem;
                }
                break;
            case PrjFound::None: break;
        }
    }
    if (!request.srs.empty()) {
        if (hasOwn && !request.replaceGeoreferencing) {
            message = srsConflictMessage(srsName(own), ownFrom, request.srs);
            return ImportStatus::GeoreferencingConflict;
        }
        if (srs.SetFromUserInput(request.srs.c_str()) != OGRERR_NONE) {
            message = "--srs " + request.srs + " is not a coordinate system GDAL knows (try EPSG:4326)";
            return ImportStatus::BadCoordinateSystem;
        }
        from += srsSourceText(srsName(srs), hasOwn ? srsName(own) : "");
    } else if (hasOwn) {
        srs = own;
        from += " in " + srsName(srs) + ownFrom;
    } else {
        message = noCoordinateSystemMessage(worldFile);
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
    } else if (isNorthUpGrid(gt) && sameAsWgs84(srs, gt, width, height)) {
        found.latLonGrid = true;
        found.grid = latLonGridOf(gt, width, height);
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

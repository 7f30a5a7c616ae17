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

std::string pixelsText(double pixels) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", pixels);
    return text;
}

std::string wktOf(const OGRSpatialReference& srs) {
    char* wkt = nullptr;
    const char* options[] = {"FORMAT=WKT2_2019", nullptr};
    std::string text = srs.exportToWkt(&wkt, options) == OGRERR_NONE && wkt ? wkt : "";
    CPLFree(wkt);
    return text;
}

// The fit through the points and each one's residual, a warning for each more than a
// pixel off.
ImportStatus fitAndWarn(const std::vector<PlacedPoint>& points, GcpTransform transform, SourceGeoreferencing& found,
                        std::string& message) {
    ImportStatus status = fitControlPoints(points, transform, found.fits, message);
    if (status != ImportStatus::Ready) return status;
    for (const ControlPointFit& fit : found.fits) {
        if (fit.residualPixels > 1.0)
            found.warnings.push_back("control point " + fit.id + " (pixel " + pixelsText(fit.pixel) + ", line " +
                                     pixelsText(fit.line) + ") lies " + pixelsText(fit.residualPixels) +
                                     " pixels from where " + transformDescription(transform) +
                                     " through all the points puts it");
    }
    found.controlPoints = true;
    found.transform = transform;
    return ImportStatus::Ready;
}

// Places the picture of width x height pixels by control points given beside it, in srs.
ImportStatus placeByPoints(const std::vector<PlacedPoint>& points, const OGRSpatialReference& srs,
                           const ImportRequest& request, int width, int height, const std::string& from,
                           SourceGeoreferencing& found, std::string& message) {
    const GcpTransform transform = request.transform.value_or(GcpTransform::Poly1);
    ImportStatus status = checkControlPoints(points, transform, width, height, true, message);
    if (status == ImportStatus::Ready) status = fitAndWarn(points, transform, found, message);
    if (status != ImportStatus::Ready) return status;
    found.srsWkt = wktOf(srs);
    if (found.srsWkt.empty()) {
        message = "the control points' coordinate system cannot be written out for the warp";
        return ImportStatus::BadCoordinateSystem;
    }
    found.latLonGrid = false;
    found.givenPoints = points;
    found.description = from + ", warped to north-up WGS84 latitude/longitude with " + transformDescription(transform);
    return ImportStatus::Ready;
}

// A QGIS georeferencer's .points file beside the picture (pointsPath), whose source side
// is in pixels, or on the picture's own grid when it has one (gt).
ImportStatus placeByPointsFile(const std::string& pointsPath, const double* gt, const OGRSpatialReference& wgs84,
                               const ImportRequest& request, int width, int height, const std::string& replaced,
                               SourceGeoreferencing& found, std::string& message) {
    PointsFile read;
    ImportStatus status = readPointsFile(pointsPath, gt, read, message);
    if (status != ImportStatus::Ready) return status;
    OGRSpatialReference srs(wgs84);
    std::string system = "WGS84";
    if (!read.srsDefinition.empty() && !request.srs.empty() && !request.replaceGeoreferencing) {
        message = pointsPath + " names its coordinate system, which --srs " + request.srs +
                  " would silently replace: leave --srs out to use it, or add --replace-georeferencing";
        return ImportStatus::GeoreferencingConflict;
    }
    const std::string definition = !request.srs.empty() ? request.srs : read.srsDefinition;
    if (!definition.empty()) {
        if (srs.SetFromUserInput(definition.c_str()) != OGRERR_NONE) {
            message = (request.srs.empty() ? "the #CRS line of " + pointsPath : "--srs " + request.srs) +
                      " is not a coordinate system GDAL knows";
            return ImportStatus::BadCoordinateSystem;
        }
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        system = srsName(srs);
    }
    found.pointsFile = pointsPath;
    std::string said = "the " + std::to_string(read.points.size()) + " control points of " + pointsPath +
                       " (QGIS georeferencer) in " + system;
    if (read.disabled > 0) said += " (" + std::to_string(read.disabled) + " disabled, left out)";
    if (!replaced.empty()) said += ", in place of " + replaced;
    return placeByPoints(read.points, srs, request, width, height, said, found, message);
}

ImportStatus placePicture(GDALDataset& raster, const ImportRequest& request, SourceGeoreferencing& found,
                          std::string& message);

}  // namespace

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

ImportStatus findGeoreferencing(GDALDataset& raster, const ImportRequest& request, SourceGeoreferencing& found,
                                std::string& message) {
    ImportStatus status = placePicture(raster, request, found, message);
    if (status == ImportStatus::Ready && request.transform && !found.controlPoints) {
        message = "--transform is for a picture placed by control points (--gcp, a .points file beside it, or its "
                  "own GCPs), and this one's corners come from " + found.description + ": leave --transform out";
        return ImportStatus::TransformUnused;
    }
    return status;
}

namespace {

ImportStatus placePicture(GDALDataset& raster, const ImportRequest& request, SourceGeoreferencing& found,
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

    const bool georeferenced = hasGrid || hasGcps;
    const std::string pointsPath = pointsFileOf(request.sourcePath);
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (!request.controlPoints.empty()) {
        if (georeferenced && !request.replaceGeoreferencing) {
            message = typedConflictMessage(from, "the typed control points");
            return ImportStatus::GeoreferencingConflict;
        }
        std::vector<PlacedPoint> points;
        for (const ControlPoint& typed : request.controlPoints)
            points.push_back({std::to_string(points.size() + 1), typed.pixel, typed.line, typed.at.longitude,
                              typed.at.latitude});
        if (!pointsPath.empty())
            found.warnings.push_back("the control points in " + pointsPath + " are not used: those typed with --gcp are");
        return placeByPoints(points, wgs84, request, width, height,
                             "the " + std::to_string(points.size()) + " control points typed with --gcp (WGS84)" +
                                 (georeferenced ? ", in place of " + from : ""),
                             found, message);
    }
    if (!pointsPath.empty() && (request.topLeft || request.bottomRight)) {
        found.warnings.push_back("the control points in " + pointsPath + " are not used: the typed corners are");
    } else if (!pointsPath.empty() && georeferenced && !request.replaceGeoreferencing) {
        found.warnings.push_back("the control points in " + pointsPath + " are not used: the picture's own "
                                 "georeferencing is; add --replace-georeferencing to place it by the points instead");
    } else if (!pointsPath.empty()) {
        return placeByPointsFile(pointsPath, hasGrid ? gt : nullptr, wgs84, request, width, height,
                                 georeferenced ? from : "", found, message);
    }

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
        std::vector<PlacedPoint> points;
        const GDAL_GCP* gcps = raster.GetGCPs();
        for (int i = 0; i < raster.GetGCPCount(); ++i)
            points.push_back({gcps[i].pszId && *gcps[i].pszId ? gcps[i].pszId : std::to_string(i + 1),
                              gcps[i].dfGCPPixel, gcps[i].dfGCPLine, gcps[i].dfGCPX, gcps[i].dfGCPY});
        const GcpTransform transform = request.transform.value_or(GcpTransform::Poly1);
        ImportStatus status = checkControlPoints(points, transform, width, height, false, message);
        if (status == ImportStatus::Ready) status = fitAndWarn(points, transform, found, message);
        if (status != ImportStatus::Ready) {
            message = "its own GCPs cannot place it: " + message;
            return status;
        }
    } else if (isNorthUpGrid(gt) && sameAsWgs84(srs, gt, width, height)) {
        found.latLonGrid = true;
        found.grid = latLonGridOf(gt, width, height);
        found.description = from;
        return ImportStatus::Ready;
    }
    found.srsWkt = wktOf(srs);
    if (found.srsWkt.empty()) {
        message = "its coordinate system cannot be written out for the warp";
        return ImportStatus::BadCoordinateSystem;
    }
    found.latLonGrid = false;
    found.description = from + ", warped to north-up WGS84 latitude/longitude" +
                        (hasGcps ? std::string(" with ") + transformDescription(found.transform) : "");
    return ImportStatus::Ready;
}

}  // namespace

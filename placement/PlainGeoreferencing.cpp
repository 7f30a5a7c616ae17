#include "PlainGeoreferencing.h"

#include <cstdlib>
#include <cstring>

#include "CoordinateSystemText.h"
#include "FileServices.h"
#include "GeoTiffGrid.h"
#include "GeoreferencingSteps.h"
#include "SmallTextFile.h"
#include "WorldFile.h"

namespace {

const char* const kLinuxHandlesIt = "; tessella import on Linux handles it";

std::string withExtension(const std::string& path, const char* extension) {
    const size_t start = path.find_last_of("/\\");
    const size_t nameStart = start == std::string::npos ? 0 : start + 1;
    size_t dot = path.rfind('.');
    // A name that starts with its only dot has no extension.
    if (dot == std::string::npos || dot <= nameStart) dot = path.size();
    return path.substr(0, dot) + extension;
}

enum class PrjFound { None, Read, Unreadable };

// A .prj beside the source (same name, extension replaced), read as GDAL's build reads it
// but knowing only what CoordinateSystemText reads.
PrjFound readPrj(FileReading& files, const std::string& sourcePath, NamedSystem& system, std::string& prjPath,
                 std::string& why, bool& empty) {
    for (const char* extension : {".prj", ".PRJ"}) {
        const std::string candidate = withExtension(sourcePath, extension);
        std::string text;
        if (!readSmallTextFile(files, candidate, text)) continue;
        prjPath = candidate;
        const std::string definition = prjDefinition(text);
        empty = definition.empty();
        if (empty) {
            why = "it is empty";
            return PrjFound::Unreadable;
        }
        return readCoordinateSystem(definition, system, why) ? PrjFound::Read : PrjFound::Unreadable;
    }
    return PrjFound::None;
}

// An .aux.xml beside the source that holds a grid, control points or a system: GDAL
// reads those (before or after a world file, by format), this build does not.
bool auxHoldsGeoreferencing(FileReading& files, const std::string& sourcePath, std::string& auxPath) {
    auxPath = sourcePath + ".aux.xml";
    std::string text;
    if (!readSmallTextFile(files, auxPath, text)) return false;
    if (text.find("<GCPList") != std::string::npos || text.find("<SRS") != std::string::npos) return true;
    const size_t grid = text.find("<GeoTransform>");
    if (grid == std::string::npos) return false;
    // GDAL's default grid, which it keeps for a picture without any, places nothing.
    double terms[6] = {};
    const char* at = text.c_str() + grid + std::strlen("<GeoTransform>");
    for (double& term : terms) {
        char* end = nullptr;
        term = std::strtod(at, &end);
        if (end == at) return true;
        at = end + std::strspn(end, " ,\t\r\n");
    }
    return !isGdalsDefaultGrid(terms);
}

std::string needsLinux(const std::string& what) {
    return what + ": without GDAL only geographic latitude/longitude on WGS84, JGD2000 or JGD2011 is read" +
           kLinuxHandlesIt;
}

std::string needsWarp(const std::string& what) {
    return what + " and needs a warp, which only GDAL does" + std::string(kLinuxHandlesIt);
}

}  // namespace

ImportStatus findPlainGeoreferencing(const ImportRequest& request, int32_t width, int32_t height,
                                     const GeoTiffTags& tags, PlainGeoreferencing& found, std::string& message) {
    FileReading& files = platformFileReading();
    GeoTiffPlacement internal;
    readGeoTiffTags(tags, internal);
    // GDAL takes a GeoTIFF's own grid before any world file beside it.
    WorldFileFound world;
    bool hasWorldFile = false;
    GeoTransform grid = internal.grid;
    if (!internal.hasGrid) {
        hasWorldFile = findWorldFile(files, request.sourcePath, pictureFormatOf(files, request.sourcePath), world);
        if (hasWorldFile) grid = world.grid;
    }
    const double* gt = grid.t;
    const bool hasGrid = (internal.hasGrid || hasWorldFile) && !isGdalsDefaultGrid(gt);
    const int controlPoints = hasGrid ? 0 : internal.controlPoints;
    const std::string worldFile = hasWorldFile ? world.path : "";
    std::string from = ownGeoreferencingSource(worldFile, "", controlPoints);

    std::string auxPath;
    const bool replacing = request.topLeft && request.bottomRight && request.replaceGeoreferencing;
    if (!replacing && auxHoldsGeoreferencing(files, request.sourcePath, auxPath)) {
        message = "its .aux.xml " + auxPath + " holds georeferencing, which only GDAL reads" + std::string(kLinuxHandlesIt);
        return ImportStatus::NoGeoreferencing;
    }
    if (!request.controlPoints.empty()) {
        message = needsWarp("it is placed by the control points typed with --gcp");
        return ImportStatus::NoGeoreferencing;
    }
    if (request.topLeft || request.bottomRight)
        return placeByTypedCorners(request, width, height, hasGrid || controlPoints > 0 ? from : "", found.grid,
                                   found.description, message);
    if (!hasGrid && controlPoints == 0) {
        message = noGeoreferencingMessage();
        return ImportStatus::NoGeoreferencing;
    }
    if (hasGrid && !isUsableGrid(gt, from, message)) return ImportStatus::NoGeoreferencing;

    NamedSystem own, srs;
    std::string ownFrom, prjPath, prjWhy;
    bool hasOwn = false, empty = false;
    if (internal.hasSystem) {
        own = internal.system;
        hasOwn = true;
    } else {
        switch (readPrj(files, request.sourcePath, own, prjPath, prjWhy, empty)) {
            case PrjFound::Read:
                hasOwn = true;
                ownFrom = " (from " + prjPath + ")";
                break;
            case PrjFound::Unreadable:
                if (request.srs.empty()) {
                    // An empty one is empty to GDAL too; anything else GDAL may read.
                    message = empty ? unreadablePrjMessage(prjPath, prjWhy)
                                    : "the coordinate system in " + prjPath + " cannot be read without GDAL: " +
                                          prjWhy + "; say which system with --srs, e.g. --srs EPSG:4326" +
                                          kLinuxHandlesIt;
                    return ImportStatus::BadCoordinateSystem;
                }
                break;
            case PrjFound::None: break;
        }
    }
    if (!request.srs.empty()) {
        if (hasOwn && !request.replaceGeoreferencing) {
            message = srsConflictMessage(own.name, ownFrom, request.srs);
            return ImportStatus::GeoreferencingConflict;
        }
        std::string why;
        if (!readCoordinateSystem(request.srs, srs, why)) {
            message = "--srs " + request.srs + " is not a coordinate system this build reads without GDAL (" + why +
                      "; try EPSG:4326)" + kLinuxHandlesIt;
            return ImportStatus::BadCoordinateSystem;
        }
        from += srsSourceText(srs.name, hasOwn ? own.name : "");
        if (srs.kind != SystemKind::LatLon) {
            message = needsLinux("--srs " + request.srs + " names " + srs.name + ", " + systemKindText(srs.kind));
            return ImportStatus::BadCoordinateSystem;
        }
    } else if (hasOwn) {
        srs = own;
        from += " in " + srs.name + ownFrom;
        if (srs.kind != SystemKind::LatLon) {
            message = needsLinux("it is in " + srs.name + ownFrom + ", " + systemKindText(srs.kind));
            return ImportStatus::BadCoordinateSystem;
        }
    } else {
        message = noCoordinateSystemMessage(worldFile);
        return ImportStatus::NoCoordinateSystem;
    }

    if (controlPoints > 0) {
        message = needsWarp("it is placed by " + from);
        return ImportStatus::NoGeoreferencing;
    }
    if (!isNorthUpGrid(gt)) {
        const bool rotated = gt[2] != 0 || gt[4] != 0;
        message = needsWarp(from + (rotated ? " has rotation terms" : " is not north-up"));
        return ImportStatus::NoGeoreferencing;
    }
    found.grid = latLonGridOf(gt, width, height);
    found.description = from;
    return ImportStatus::Ready;
}

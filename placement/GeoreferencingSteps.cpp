#include "GeoreferencingSteps.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kTwoChoices =
    "to cut a region of the picture give --window LAT,LON,LAT,LON instead; to take the typed values in place of "
    "its own, add --replace-georeferencing";

const char* const kOwnGeoreferencing = "its own georeferencing";

}  // namespace

std::string ownGeoreferencingSource(const std::string& worldFile, const std::string& auxFile, int controlPoints) {
    if (controlPoints > 0)
        return (auxFile.empty() ? std::string("its ") : "the .aux.xml " + auxFile + "'s ") +
               std::to_string(controlPoints) + " control points (GCPs)";
    return !worldFile.empty() ? "the world file " + worldFile
           : !auxFile.empty() ? "its .aux.xml " + auxFile
                              : kOwnGeoreferencing;
}

std::string typedConflictMessage(const std::string& from, const std::string& typed) {
    // "its own georeferencing" says it already; a named file is said in brackets.
    return (from == kOwnGeoreferencing ? std::string("it has georeferencing of its own")
                                       : "it has georeferencing of its own (" + from + ")") +
           ", which " + typed + " would silently replace: " + kTwoChoices;
}

ImportStatus placeByTypedCorners(const ImportRequest& request, int32_t width, int32_t height, const std::string& from,
                                 LatLonGrid& grid, std::string& description, std::string& message) {
    if (!request.topLeft || !request.bottomRight) {
        message = "give both corners, --top-left and --bottom-right";
        return ImportStatus::NoGeoreferencing;
    }
    if (!from.empty() && !request.replaceGeoreferencing) {
        message = typedConflictMessage(from, "the typed corners");
        return ImportStatus::GeoreferencingConflict;
    }
    const GeoPoint& tl = *request.topLeft;
    const GeoPoint& br = *request.bottomRight;
    grid = {tl.latitude, tl.longitude, (tl.latitude - br.latitude) / height, (br.longitude - tl.longitude) / width,
            width, height};
    description = "the corners typed with --top-left and --bottom-right (WGS84)";
    if (!from.empty()) description += ", in place of " + from;
    if (!(grid.latitudeStep > 0) || !(grid.longitudeStep > 0)) {
        message = "--top-left must lie north and west of --bottom-right";
        return ImportStatus::CornersRefused;
    }
    return ImportStatus::Ready;
}

std::string noGeoreferencingMessage() {
    return "it has no georeferencing (no GeoTIFF tags, .aux.xml, control points or world file "
           ".tfw/.pgw/.jgw/.wld); give its corners with --top-left and --bottom-right, or three or more "
           "control points with --gcp PIXEL,LINE,LAT,LON";
}

bool isGdalsDefaultGrid(const double grid[6]) {
    return grid[0] == 0 && grid[1] == 1 && grid[2] == 0 && grid[3] == 0 && grid[4] == 0 && grid[5] == 1;
}

bool isUsableGrid(const double grid[6], const std::string& from, std::string& message) {
    const bool finite = std::all_of(grid, grid + 6, [](double term) { return std::isfinite(term); });
    if (finite && grid[1] * grid[5] - grid[2] * grid[4] != 0) return true;
    message = "the georeferencing cannot be used: " + from +
              (finite ? " maps the whole picture onto a line" : " holds terms that are not finite numbers") +
              "; give its corners with --top-left and --bottom-right";
    return false;
}

std::string unreadablePrjMessage(const std::string& prjPath, const std::string& why) {
    return "the coordinate system in " + prjPath + " cannot be read: " + why +
           "; correct it, or say which system with --srs, e.g. --srs EPSG:4326";
}

std::string srsConflictMessage(const std::string& ownName, const std::string& ownFrom, const std::string& srs) {
    return "it names its own coordinate system, " + ownName + ownFrom + ", which --srs " + srs +
           " would silently replace: leave --srs out to use it; " + kTwoChoices;
}

std::string srsSourceText(const std::string& srsName, const std::string& ownName) {
    return " in " + srsName + " (from --srs" + (ownName.empty() ? ")" : ", in place of " + ownName + ")");
}

std::string noCoordinateSystemMessage(const std::string& worldFile) {
    return worldFile.empty()
               ? "its georeferencing names no coordinate system: say which with --srs, e.g. --srs EPSG:4326"
               : "the world file " + worldFile +
                     " carries no coordinate system and there is no .prj beside it: say which with --srs, e.g. "
                     "--srs EPSG:4326";
}

bool isNorthUpGrid(const double grid[6]) { return grid[2] == 0 && grid[4] == 0 && grid[1] > 0 && grid[5] < 0; }

LatLonGrid latLonGridOf(const double grid[6], int32_t width, int32_t height) {
    return {grid[3], grid[0], -grid[5], grid[1], width, height};
}

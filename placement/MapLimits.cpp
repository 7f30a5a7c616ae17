#include "MapLimits.h"

#include "ImportSource.h"
#include "OutputSize.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int64_t kQuarter = 90LL * 3600000, kHalf = 180LL * 3600000;
constexpr int64_t kLargestExtent = 9999999;
// A window edge this close to a pixel's edge (in pixels) is taken as on it.
constexpr double kOnEdge = 1e-6;

double southOf(const LatLonGrid& g) { return g.north - g.height * g.latitudeStep; }
double eastOf(const LatLonGrid& g) { return g.west + g.width * g.longitudeStep; }

std::string degreesText(double degrees) {
    char text[48];
    std::snprintf(text, sizeof text, "%.6f", degrees);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s + " degrees";
}

std::string metresText(int64_t metres) {
    std::string digits = std::to_string(metres), text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text + " m";
}

// What of edges north, west, south, east (degrees) and of extents passes the limits, one
// phrase each.
std::vector<std::string> problemsOf(double north, double west, double south, double east, const MapExtents* extents) {
    std::vector<std::string> problems;
    if (millisecondsOfArc(south) < 0) problems.push_back("its south edge lies " + degreesText(-south) + " south of the equator");
    if (millisecondsOfArc(west) < 0) problems.push_back("its west edge lies " + degreesText(-west) + " west of Greenwich");
    if (millisecondsOfArc(east) > kHalf) problems.push_back("its east edge lies " + degreesText(east - 180) + " past 180 degrees east");
    if (millisecondsOfArc(north) > kQuarter) problems.push_back("its north edge lies " + degreesText(north - 90) + " past the pole");
    if (extents) {
        if (extents->eastWestMetres > kLargestExtent)
            problems.push_back("its east-west extent of " + metresText(extents->eastWestMetres) + " is " +
                               metresText(extents->eastWestMetres - kLargestExtent) + " past 9,999,999 m");
        if (extents->northSouthMetres > kLargestExtent)
            problems.push_back("its north-south extent of " + metresText(extents->northSouthMetres) + " is " +
                               metresText(extents->northSouthMetres - kLargestExtent) + " past 9,999,999 m");
    }
    return problems;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return text;
}

// The picture's own edges and extents, without padding.
MapExtents pictureExtents(const LatLonGrid& grid) {
    auto ms = [](double degrees) { return static_cast<uint32_t>(std::clamp<int64_t>(millisecondsOfArc(degrees), 0, kHalf)); };
    return extentsOf(MapCorners{ms(grid.north), ms(grid.west), ms(southOf(grid)), ms(eastOf(grid))});
}

bool fits(const LatLonGrid& grid, FitMode fit) {
    FittedGrid fitted;
    MapCorners corners;
    MapExtents extents;
    return checkMapLimits(grid, fit, fitted, corners, extents).status == ImportStatus::Ready;
}

// The fits that make a map of grid, as options: "--fit crop or --fit scale".
std::string fitsThatWork(const LatLonGrid& grid) {
    std::vector<std::string> options;
    if (fits(grid, FitMode::Crop)) options.push_back("--fit crop");
    if (fits(grid, FitMode::Scale)) options.push_back("--fit scale");
    return options.empty() ? "" : options.size() == 1 ? options[0] : options[0] + " or " + options[1];
}

// A window inside grid, within the limits: the picture's pixels north of the equator, east
// of Greenwich and west of 180 degrees, narrowed until its extents fit. Its edges are
// rounded inward to the millisecond of arc, so that snapped outward they give back the
// same pixels. "" when there is none.
std::string windowThatFits(const LatLonGrid& grid, FitMode fit, std::string& fitAdvice) {
    const double lonStep = grid.longitudeStep, latStep = grid.latitudeStep;
    int32_t x0 = 0, y0 = 0, x1 = grid.width, y1 = grid.height;
    if (grid.west < 0) x0 = static_cast<int32_t>(std::ceil(-grid.west / lonStep - kOnEdge));
    if (eastOf(grid) > 180) x1 = static_cast<int32_t>(std::floor((180 - grid.west) / lonStep + kOnEdge));
    if (grid.north > 90) y0 = static_cast<int32_t>(std::ceil((grid.north - 90) / latStep - kOnEdge));
    if (southOf(grid) < 0) y1 = static_cast<int32_t>(std::floor(grid.north / latStep + kOnEdge));
    for (int attempt = 0; attempt < 60 && x1 > x0 + 1 && y1 > y0 + 1; ++attempt) {
        // Inward to whole milliseconds: the south and east edges up and left, and the rest down and right.
        auto inward = [](double degrees, bool up) {
            return static_cast<int64_t>(up ? std::ceil(degrees * 3600000 - 1e-6) : std::floor(degrees * 3600000 + 1e-6));
        };
        GeoWindow window{{inward(grid.north - y0 * latStep, false) / 3600000.0, inward(grid.west + x0 * lonStep, true) / 3600000.0},
                         {inward(grid.north - y1 * latStep, true) / 3600000.0, inward(grid.west + x1 * lonStep, false) / 3600000.0}};
        PixelRegion region;
        std::string why;
        if (snapWindow(grid, window, region, why)) {
            std::string text = "--window " + degreesArgument(millisecondsOfArc(window.topLeft.latitude)) + "," +
                               degreesArgument(millisecondsOfArc(window.topLeft.longitude)) + "," +
                               degreesArgument(millisecondsOfArc(window.bottomRight.latitude)) + "," +
                               degreesArgument(millisecondsOfArc(window.bottomRight.longitude));
            if (fits(region.grid, fit)) return text;
            MapExtents extents = pictureExtents(region.grid);
            if (problemsOf(region.grid.north, region.grid.west, southOf(region.grid), eastOf(region.grid), &extents)
                    .empty()) {
                std::string other = fitsThatWork(region.grid);
                if (!other.empty()) {
                    fitAdvice = other;
                    return text;
                }
            }
            // Too long: narrowed where the extent passes.
            if (extents.eastWestMetres > kLargestExtent || fit == FitMode::Pad)
                x1 = x0 + std::max<int32_t>(1, static_cast<int32_t>((x1 - x0) * std::min(0.97, double(kLargestExtent) / std::max<int64_t>(extents.eastWestMetres, 1))));
            if (extents.northSouthMetres > kLargestExtent || fit == FitMode::Pad)
                y1 = y0 + std::max<int32_t>(1, static_cast<int32_t>((y1 - y0) * std::min(0.97, double(kLargestExtent) / std::max<int64_t>(extents.northSouthMetres, 1))));
        } else {
            return "";
        }
    }
    return "";
}

}  // namespace

std::string degreesArgument(int64_t ms) {
    char text[48];
    std::snprintf(text, sizeof text, "%.9f", ms / 3600000.0);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
}

bool snapWindow(const LatLonGrid& grid, const GeoWindow& window, PixelRegion& region, std::string& message) {
    const double fx0 = (window.topLeft.longitude - grid.west) / grid.longitudeStep;
    const double fx1 = (window.bottomRight.longitude - grid.west) / grid.longitudeStep;
    const double fy0 = (grid.north - window.topLeft.latitude) / grid.latitudeStep;
    const double fy1 = (grid.north - window.bottomRight.latitude) / grid.latitudeStep;
    if (!(fx1 > fx0) || !(fy1 > fy0)) {
        message = "the window's top-left corner must lie north and west of its bottom-right corner";
        return false;
    }
    std::vector<std::string> outside;
    if (fy0 < -kOnEdge) outside.push_back("its north edge " + degreesText(-fy0 * grid.latitudeStep) + " north of the picture");
    if (fx0 < -kOnEdge) outside.push_back("its west edge " + degreesText(-fx0 * grid.longitudeStep) + " west of it");
    if (fy1 > grid.height + kOnEdge)
        outside.push_back("its south edge " + degreesText((fy1 - grid.height) * grid.latitudeStep) + " south of it");
    if (fx1 > grid.width + kOnEdge)
        outside.push_back("its east edge " + degreesText((fx1 - grid.width) * grid.longitudeStep) + " east of it");
    if (!outside.empty()) {
        message = "the window reaches past the picture (" + joined(outside) + "); the picture covers latitudes " +
                  degreesArgument(millisecondsOfArc(southOf(grid))) + " to " +
                  degreesArgument(millisecondsOfArc(grid.north)) + " and longitudes " +
                  degreesArgument(millisecondsOfArc(grid.west)) + " to " +
                  degreesArgument(millisecondsOfArc(eastOf(grid)));
        return false;
    }
    const int32_t x0 = std::max(0, static_cast<int32_t>(std::floor(fx0 + kOnEdge)));
    const int32_t y0 = std::max(0, static_cast<int32_t>(std::floor(fy0 + kOnEdge)));
    const int32_t x1 = std::min(grid.width, static_cast<int32_t>(std::ceil(fx1 - kOnEdge)));
    const int32_t y1 = std::min(grid.height, static_cast<int32_t>(std::ceil(fy1 - kOnEdge)));
    region.x = x0;
    region.y = y0;
    region.grid = {grid.north - y0 * grid.latitudeStep, grid.west + x0 * grid.longitudeStep, grid.latitudeStep,
                   grid.longitudeStep, std::max(x1 - x0, 1), std::max(y1 - y0, 1)};
    return true;
}

LimitCheck checkMapLimits(const LatLonGrid& grid, FitMode fit, FittedGrid& fitted, MapCorners& corners,
                          MapExtents& extents) {
    LimitCheck check;
    check.fit = fitToGrid(grid, fit, fitted);
    if (check.fit != FitStatus::Fitted) {
        check.status = ImportStatus::FitRefused;
        return check;
    }
    check.corners = cornersOf(fitted, corners);
    if (check.corners != CornerStatus::Valid) {
        check.status = ImportStatus::CornersRefused;
        return check;
    }
    extents = extentsOf(corners);
    for (int64_t metres : {extents.eastWestMetres, extents.northSouthMetres})
        if (metres < 1 || metres > kLargestExtent) check.status = ImportStatus::ExtentRefused;
    return check;
}

std::string fitRefusal(const LatLonGrid& grid, FitStatus fit, const FittedGrid& fitted) {
    if (fit == FitStatus::TooSmallToCrop)
        return std::to_string(grid.width) + " x " + std::to_string(grid.height) + " pixels cropped to multiples of " +
               std::to_string(kTileSide) + " leaves less than " + std::to_string(kMinimumMapSide) +
               " on a side; use --fit pad or --fit scale";
    return "the map would be " + std::to_string(fitted.width) + " x " + std::to_string(fitted.height) +
           " pixels; at most " + std::to_string(kMaximumMapSide) + " (" + std::to_string(kLargestGridSide) +
           " tiles) fit on a side";
}

std::string limitRefusal(const LatLonGrid& grid, const ImportRequest& request, const LimitCheck& check) {
    if (check.corners == CornerStatus::NotOrdered) return "its corners round to the same millisecond of arc";
    const MapExtents own = pictureExtents(grid);
    std::vector<std::string> pictureProblems = problemsOf(grid.north, grid.west, southOf(grid), eastOf(grid), &own);
    std::string text;
    if (!pictureProblems.empty()) {
        text = "the picture" + std::string(request.window ? " (its window)" : "") + " passes what the format holds: " +
               joined(pictureProblems) +
               " (Tessella converts maps north of the equator, east of Greenwich, west of 180 degrees east and "
               "up to 9,999,999 m across)";
        std::string fitAdvice;
        std::string window = windowThatFits(grid, request.fit, fitAdvice);
        if (!window.empty()) {
            text += "; the part that fits: " + window;
            if (!fitAdvice.empty()) text += " with " + fitAdvice;
        }
        return text;
    }
    FittedGrid fitted;
    fitToGrid(grid, request.fit, fitted);
    MapCorners corners;
    auto clampMs = [](double degrees) { return static_cast<uint32_t>(std::clamp<int64_t>(millisecondsOfArc(degrees), 0, kHalf)); };
    corners = {clampMs(fitted.north), clampMs(fitted.west), clampMs(fitted.south), clampMs(fitted.east)};
    const MapExtents padded = extentsOf(corners);
    text = "the white padding up to a multiple of " + std::to_string(kTileSide) + " pixels passes what the format holds: " +
           joined(problemsOf(fitted.north, fitted.west, fitted.south, fitted.east, &padded)) +
           " (the picture itself fits)";
    std::string other = fitsThatWork(grid);
    if (!other.empty()) text += "; " + other + " keeps the map to the picture";
    return text;
}

void applyTypedExtents(const ImportRequest& request, ImportPlan& plan) {
    auto apply = [&plan](const std::optional<int64_t>& typed, int64_t& value, int64_t measured, bool& flag,
                         const char* name) {
        if (!typed) return;
        value = *typed;
        flag = true;
        if (measured > 0 && std::fabs(static_cast<double>(*typed - measured)) > 0.01 * static_cast<double>(measured)) {
            char percent[32];
            std::snprintf(percent, sizeof percent, "%.1f", 100.0 * static_cast<double>(*typed - measured) / measured);
            plan.warnings.push_back(std::string("the typed ") + name + " extent of " + metresText(*typed) + " differs by " +
                                    percent + " % from the " + metresText(measured) +
                                    " the corners measure on WGS84; the map takes the typed value");
        }
    };
    apply(request.eastWestMetres, plan.extents.eastWestMetres, plan.measuredExtents.eastWestMetres,
          plan.eastWestTyped, "east-west");
    apply(request.northSouthMetres, plan.extents.northSouthMetres, plan.measuredExtents.northSouthMetres,
          plan.northSouthTyped, "north-south");
}

ImportStatus planMap(const LatLonGrid& grid, const ImportRequest& request, ImportPlan& plan, std::string& message) {
    LimitCheck limits = checkMapLimits(grid, request.fit, plan.fitted, plan.corners, plan.measuredExtents);
    if (limits.status != ImportStatus::Ready) {
        message = limits.status == ImportStatus::FitRefused ? fitRefusal(grid, limits.fit, plan.fitted)
                                                             : limitRefusal(grid, request, limits);
        return limits.status;
    }
    plan.extents = plan.measuredExtents;
    applyTypedExtents(request, plan);
    for (int64_t metres : {plan.extents.eastWestMetres, plan.extents.northSouthMetres}) {
        if (metres < 1 || metres > 9999999) {
            message = "its extent of " + std::to_string(metres) + " m is outside 1 to 9,999,999 m";
            return ImportStatus::ExtentRefused;
        }
    }
    plan.paddingNote = paddingNote(grid, plan.fitted, request.fit);
    return ImportStatus::Ready;
}

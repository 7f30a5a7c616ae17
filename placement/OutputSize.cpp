#include "OutputSize.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "MapLimits.h"

namespace {

constexpr double kSecondsPerDegree = 3600.0;
// More white than this share of the map is worth a note.
constexpr double kNotedPadding = 0.25;

std::string secondsText(double seconds) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", seconds);
    return text;
}

// gdalwarp -tr's side: the extent plus half a step, in whole steps.
double stepsAcross(double extentDegrees, double stepDegrees) {
    return std::floor((extentDegrees + stepDegrees / 2) / stepDegrees);
}

std::string pixelsText(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

// The argument, in the form typed, that gives grid width x height pixels.
std::string sameKindArgument(const OutputSize& size, const LatLonGrid& extent, int64_t width, int64_t height) {
    return size.byResolution() ? resolutionArgument(extent, width, height) : sizeArgument(width, height);
}

}  // namespace

std::string sizeArgument(int64_t width, int64_t height) {
    return "--size " + std::to_string(width) + "x" + std::to_string(height);
}

std::string resolutionArgument(const LatLonGrid& grid, int64_t width, int64_t height) {
    const std::string latitude = secondsText(grid.height * grid.latitudeStep * kSecondsPerDegree / height);
    const std::string longitude = secondsText(grid.width * grid.longitudeStep * kSecondsPerDegree / width);
    return "--resolution " + (latitude == longitude ? latitude : latitude + "," + longitude);
}

ImportStatus sizedGrid(const LatLonGrid& region, const OutputSize& size, FitMode fit, LatLonGrid& sized,
                       std::string& message) {
    const double extentWest = region.width * region.longitudeStep;
    const double extentSouth = region.height * region.latitudeStep;
    double width = size.width, height = size.height;
    double longitudeStep = 0, latitudeStep = 0;
    std::string asked;
    if (size.byResolution()) {
        longitudeStep = size.longitudeSeconds / kSecondsPerDegree;
        latitudeStep = size.latitudeSeconds / kSecondsPerDegree;
        width = stepsAcross(extentWest, longitudeStep);
        height = stepsAcross(extentSouth, latitudeStep);
        asked = "--resolution " + secondsText(size.latitudeSeconds) + "," + secondsText(size.longitudeSeconds);
        if (width < 1 || height < 1) {
            message = asked + " leaves no pixel: the picture spans only " + secondsText(extentSouth * kSecondsPerDegree) +
                      " by " + secondsText(extentWest * kSecondsPerDegree) +
                      " seconds of latitude and longitude; use " + resolutionArgument(region, 480, 480) +
                      " or finer";
            return ImportStatus::FitRefused;
        }
    } else {
        longitudeStep = extentWest / width;
        latitudeStep = extentSouth / height;
        asked = sizeArgument(size.width, size.height);
    }
    // A side past what 32 bits hold is past the grid's limit as well; kept there for the message.
    const double largest = static_cast<double>(INT32_MAX);
    sized = {region.north, region.west, latitudeStep, longitudeStep,
             static_cast<int32_t>(std::min(width, largest)), static_cast<int32_t>(std::min(height, largest))};

    FittedGrid fitted;
    const FitStatus status = fitToGrid(sized, fit, fitted);
    if (status == FitStatus::TooSmallToCrop) {
        message = asked + " gives " + pixelsText(sized.width, sized.height) + ", which --fit crop cuts to less than " +
                  std::to_string(kMinimumMapSide) + " on a side; use " +
                  sameKindArgument(size, region, std::max(sized.width, kMinimumMapSide),
                                   std::max(sized.height, kMinimumMapSide)) +
                  ", or --fit pad or --fit scale";
        return ImportStatus::FitRefused;
    }
    const int64_t columns = fitted.width / kTileSide, rows = fitted.height / kTileSide;
    if (status == FitStatus::TooLarge || !gridFits(columns, rows)) {
        // The largest grid of the same shape within both limits, with a margin for the fit's rounding.
        const double fittedWidth = std::max<double>(fitted.width, width), fittedHeight = std::max<double>(fitted.height, height);
        double shrink = std::min({1.0, (kMaximumMapSide - kTileSide) / fittedWidth, (kMaximumMapSide - kTileSide) / fittedHeight,
                                  std::sqrt(static_cast<double>(kLargestTileCount) * kTileSide * kTileSide /
                                            (fittedWidth * fittedHeight))}) * 0.99;
        const int64_t fixWidth = std::max<int64_t>(1, static_cast<int64_t>(width * shrink));
        const int64_t fixHeight = std::max<int64_t>(1, static_cast<int64_t>(height * shrink));
        message = asked + " gives " + pixelsText(static_cast<int64_t>(width), static_cast<int64_t>(height)) +
                  "; a map holds at most " + std::to_string(kMaximumMapSide) + " pixels (" +
                  std::to_string(kLargestGridSide) + " tiles) on a side and " + std::to_string(kLargestTileCount) +
                  " tiles in all; use " + sameKindArgument(size, region, fixWidth, fixHeight) + " or coarser";
        return ImportStatus::FitRefused;
    }
    return ImportStatus::Ready;
}

std::string paddingNote(const LatLonGrid& grid, const FittedGrid& fitted, FitMode fit) {
    if (fit != FitMode::Pad) return "";
    const double map = static_cast<double>(fitted.width) * fitted.height;
    const double white = map - static_cast<double>(fitted.keptWidth) * fitted.keptHeight;
    if (!(white > kNotedPadding * map)) return "";
    const int32_t width = scaledSide(grid.width), height = scaledSide(grid.height);
    std::string fills = sizeArgument(width, height) + ", " + resolutionArgument(grid, width, height);
    if (croppedSide(grid.width) >= kMinimumMapSide && croppedSide(grid.height) >= kMinimumMapSide)
        fills += ", --fit scale or --fit crop";
    else
        fills += " or --fit scale";
    char percent[16];
    std::snprintf(percent, sizeof percent, "%.0f", std::floor(100 * white / map));
    return std::string("the white padding takes ") + percent + " % of the map (the picture's " +
           pixelsText(grid.width, grid.height) + " on " + pixelsText(fitted.width, fitted.height) +
           "); to fill the tiles with the picture: " + fills;
}

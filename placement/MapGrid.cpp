#include "MapGrid.h"

#include <algorithm>
#include <cmath>

namespace {

// A side past the largest the grid takes stays past it, so the fit refuses it.
int32_t mapSide(int64_t side) { return static_cast<int32_t>(std::min<int64_t>(side, INT32_MAX)); }

}  // namespace

int32_t paddedSide(int32_t pixels) { return mapSide(paddedPictureSide(pixels)); }

int32_t croppedSide(int32_t pixels) { return mapSide(croppedPictureSide(pixels)); }

int32_t scaledSide(int32_t pixels) { return mapSide(nearestPictureSide(pixels)); }

FitStatus fitToGrid(const LatLonGrid& grid, FitMode mode, FittedGrid& fitted) {
    fitted = FittedGrid{};
    fitted.north = grid.north;
    fitted.west = grid.west;
    switch (mode) {
        case FitMode::Pad:
            fitted.width = paddedSide(grid.width);
            fitted.height = paddedSide(grid.height);
            fitted.keptWidth = grid.width;
            fitted.keptHeight = grid.height;
            break;
        case FitMode::Crop:
            fitted.width = fitted.keptWidth = croppedSide(grid.width);
            fitted.height = fitted.keptHeight = croppedSide(grid.height);
            if (fitted.width < kMinimumMapSide || fitted.height < kMinimumMapSide)
                return FitStatus::TooSmallToCrop;
            break;
        case FitMode::Scale:
            fitted.width = scaledSide(grid.width);
            fitted.height = scaledSide(grid.height);
            fitted.keptWidth = grid.width;
            fitted.keptHeight = grid.height;
            fitted.scaled = fitted.width != grid.width || fitted.height != grid.height;
            break;
    }
    if (fitted.width > kMaximumMapSide || fitted.height > kMaximumMapSide) return FitStatus::TooLarge;
    // The corners are the outer edges of what is shown: in scale mode the whole source,
    // otherwise whole source pixels (padding counts as pixels of the same size).
    int32_t columnsSpanned = mode == FitMode::Scale ? grid.width : fitted.width;
    int32_t rowsSpanned = mode == FitMode::Scale ? grid.height : fitted.height;
    fitted.east = grid.west + columnsSpanned * grid.longitudeStep;
    fitted.south = grid.north - rowsSpanned * grid.latitudeStep;
    return FitStatus::Fitted;
}

int64_t millisecondsOfArc(double degrees) { return std::llround(degrees * 3600000.0); }

CornerStatus cornersOf(const FittedGrid& fitted, MapCorners& corners) {
    int64_t north = millisecondsOfArc(fitted.north), south = millisecondsOfArc(fitted.south);
    int64_t west = millisecondsOfArc(fitted.west), east = millisecondsOfArc(fitted.east);
    const int64_t quarter = 90LL * 3600000, half = 180LL * 3600000;
    if (south < 0 || north > quarter || west < 0 || east > half) return CornerStatus::OutsideNorthEast;
    if (!(north > south) || !(west < east)) return CornerStatus::NotOrdered;
    corners.topLeftLatitude = static_cast<uint32_t>(north);
    corners.topLeftLongitude = static_cast<uint32_t>(west);
    corners.bottomRightLatitude = static_cast<uint32_t>(south);
    corners.bottomRightLongitude = static_cast<uint32_t>(east);
    return CornerStatus::Valid;
}

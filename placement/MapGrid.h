#pragma once
// A map picture on a north-up latitude/longitude grid, and how it is fitted to the
// format's grid of 160-pixel tiles.

#include <cstdint>
#include <string>

#include "GridRule.h"

enum class FitMode { Pad, Crop, Scale };
enum class Resampling { Nearest, Bilinear, Cubic };

// A point in degrees, WGS84, north and east positive.
struct GeoPoint {
    double latitude = 0;
    double longitude = 0;
};

// Pixels of equal steps of latitude and longitude: pixel (x, y) covers longitudes
// west + x * longitudeStep to west + (x + 1) * longitudeStep, and latitudes from
// north - y * latitudeStep down to north - (y + 1) * latitudeStep. Steps are positive.
struct LatLonGrid {
    double north = 0;
    double west = 0;
    double latitudeStep = 0;
    double longitudeStep = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The picture the map is made from: its size, which source pixels it shows, and its
// outer edges in degrees.
struct FittedGrid {
    int32_t width = 0;       // multiple of 160, at least 480
    int32_t height = 0;
    int32_t keptWidth = 0;   // source pixels shown from the west and north edges; the
    int32_t keptHeight = 0;  // rest of the picture (pad) is white
    bool scaled = false;     // the kept source is resampled to width x height
    double north = 0, west = 0, south = 0, east = 0;
};

// The four corners as the format stores them, in milliseconds of arc.
struct MapCorners {
    uint32_t topLeftLatitude = 0;
    uint32_t topLeftLongitude = 0;
    uint32_t bottomRightLatitude = 0;
    uint32_t bottomRightLongitude = 0;
};

inline constexpr int32_t kMinimumMapSide = kSmallestPictureSide;
inline constexpr int32_t kMaximumMapSide = kLargestPictureSide;  // the conversion's grid rule (GridRule.h)

enum class FitStatus { Fitted, TooSmallToCrop, TooLarge };

// Fits a grid to multiples of 160 pixels:
//  Pad   - white on the east and south edges up to the next multiple of 160 and at least
//          480; the bottom-right corner moves out by whole pixels.
//  Crop  - the remainder dropped from the east and south edges; the corner moves in.
//  Scale - resampled to the nearest multiple (at least 480); the corners stay.
FitStatus fitToGrid(const LatLonGrid& grid, FitMode mode, FittedGrid& fitted);

// The side a picture of `pixels` is given by each mode.
int32_t paddedSide(int32_t pixels);
int32_t croppedSide(int32_t pixels);
int32_t scaledSide(int32_t pixels);

enum class CornerStatus { Valid, OutsideNorthEast, NotOrdered };

// The fitted grid's outer edges, rounded to the nearest millisecond of arc. The format
// holds latitudes 0 to 90 north and longitudes 0 to 180 east only.
CornerStatus cornersOf(const FittedGrid& fitted, MapCorners& corners);

// Degrees to milliseconds of arc, rounded to the nearest.
int64_t millisecondsOfArc(double degrees);
inline double degreesOf(uint32_t millisecondsOfArc) { return millisecondsOfArc / 3600000.0; }

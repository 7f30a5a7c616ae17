#pragma once
// How large a map's grid of tiles may be: what the conversion takes from a bitmap.
// A bitmap's width and height are positive 32-bit numbers, multiples of the tile side
// and at least kSmallestPictureSide; the tile count is kept in 32 bits. Everything that
// makes a map (convert, import) or reads one back (verify, inspect, preview) goes by
// these bounds.

#include <cstdint>
#include <string>

#include "ConversionJob.h"

inline constexpr int32_t kSmallestPictureSide = 480;
inline constexpr int32_t kSmallestGridSide = kSmallestPictureSide / kTileSide;
// The widest picture whose width a 32-bit signed number holds, in whole tiles.
inline constexpr int32_t kLargestGridSide = INT32_MAX / kTileSide;
inline constexpr int32_t kLargestPictureSide = kLargestGridSide * kTileSide;
inline constexpr int64_t kLargestTileCount = INT32_MAX;

// Whether a picture of this width and height is one the conversion takes: first at least
// kSmallestPictureSide each way, then multiples of kTileSide.
enum class PictureSizeFit { Fits, TooSmall, OffTheGrid };
PictureSizeFit pictureSizeFit(int64_t width, int64_t height);

// The nearest sides the conversion takes to a side of `pixels`: up to the next multiple
// of kTileSide and at least kSmallestPictureSide; down to the multiple below (which may be
// less than kSmallestPictureSide); to the nearest multiple, at least kSmallestPictureSide.
int64_t paddedPictureSide(int64_t pixels);
int64_t croppedPictureSide(int64_t pixels);
int64_t nearestPictureSide(int64_t pixels);

// Whether a map of this many columns and rows can have been written: 1 to
// kLargestGridSide each, at most kLargestTileCount tiles. (The conversion never writes
// fewer than kSmallestGridSide, but such a grid still names its tiles.)
bool gridFits(int64_t columns, int64_t rows);

// Whether the tile headers' neighbour slots, which keep three characters of each number,
// cut some column or row of the grid.
bool gridOutgrowsNeighbourSlots(int64_t columns, int64_t rows);

// The warning for such a grid, one line of ASCII; empty when the slots hold every number.
std::string neighbourSlotWarning(int64_t columns, int64_t rows);

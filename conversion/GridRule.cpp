#include "GridRule.h"

#include <algorithm>

#include "TileFormat.h"

PictureSizeFit pictureSizeFit(int64_t width, int64_t height) {
    if (width < kSmallestPictureSide || height < kSmallestPictureSide) return PictureSizeFit::TooSmall;
    if (width % kTileSide != 0 || height % kTileSide != 0) return PictureSizeFit::OffTheGrid;
    return PictureSizeFit::Fits;
}

int64_t paddedPictureSide(int64_t pixels) {
    return std::max<int64_t>(kSmallestPictureSide, (pixels + kTileSide - 1) / kTileSide * kTileSide);
}

int64_t croppedPictureSide(int64_t pixels) { return pixels / kTileSide * kTileSide; }

int64_t nearestPictureSide(int64_t pixels) {
    return std::max<int64_t>(kSmallestPictureSide, (pixels + kTileSide / 2) / kTileSide * kTileSide);
}

bool gridFits(int64_t columns, int64_t rows) {
    if (columns < 1 || rows < 1 || columns > kLargestGridSide || rows > kLargestGridSide) return false;
    return columns <= kLargestTileCount / rows;
}

bool gridOutgrowsNeighbourSlots(int64_t columns, int64_t rows) {
    // Numbers run from 0 to side - 1.
    return columns - 1 > tile_format::kLargestSlotNumber || rows - 1 > tile_format::kLargestSlotNumber;
}

std::string neighbourSlotWarning(int64_t columns, int64_t rows) {
    if (!gridOutgrowsNeighbourSlots(columns, rows)) return {};
    const std::string largest = std::to_string(tile_format::kLargestSlotNumber);
    return "the map has " + std::to_string(columns) + " columns and " + std::to_string(rows) +
           " rows; tile headers keep only the first " + std::to_string(tile_format::kSlotDigits) +
           " characters of a column or row number, so those of tiles past " + largest +
           " are cut (their file names are whole)";
}

#include "GridRule.h"

#include "TileFormat.h"

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

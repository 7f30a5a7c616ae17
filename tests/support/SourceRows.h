#pragma once
// Where a tile's pixel row lies in a 24-bit bottom-up bitmap, for the straightforward
// converters that the tests and benchmarks measure the tile writer against.

#include <cstdint>

#include "ConversionJob.h"

// Byte offset in the bitmap file of pixel row j of tile (column, row): rows are stored
// bottom-up, 3 bytes a pixel, computed in 64 bits.
inline uint64_t sourceRowOffset(const ConversionJob& job, int32_t column, int32_t row, int32_t pixelRow) {
    uint64_t pictureRow = static_cast<uint64_t>(row) * kTileSide + static_cast<uint64_t>(pixelRow);
    uint64_t storedRow = static_cast<uint64_t>(job.bitmapHeight) - 1 - pictureRow;
    uint64_t pixel = static_cast<uint64_t>(column) * kTileSide + static_cast<uint64_t>(job.bitmapWidth) * storedRow;
    return job.pixelDataOffset + 3 * pixel;
}

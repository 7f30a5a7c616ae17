#include "TileFormat.h"

#include <cstdio>
#include <cstring>

#include "BigEndian.h"

using namespace tile_format;

namespace {

void putSlot(uint8_t* slot, int32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", static_cast<int>(number));
    // The slot keeps the first three characters; its fourth byte stays zero.
    std::memcpy(slot, text, kSlotDigits);
}

}  // namespace

void fillNeighbourBlock(uint8_t block[kNeighbourBlockSize], int32_t column, int32_t row,
                        int32_t tileColumns, int32_t tileRows) {
    std::memset(block, 0, kNeighbourBlockSize);
    putSlot(block + kOwnColumn * kSlotSize, column);
    putSlot(block + kOwnRow * kSlotSize, row);
    if (column < tileColumns - 1) putSlot(block + kEastColumn * kSlotSize, column + 1);
    if (column > 0) putSlot(block + kWestColumn * kSlotSize, column - 1);
    if (row < tileRows - 1) putSlot(block + kSouthRow * kSlotSize, row + 1);
    if (row > 0) putSlot(block + kNorthRow * kSlotSize, row - 1);
}

TileCorner tileCorner(const ConversionJob& job, int32_t column, int32_t row) {
    // Unsigned 32-bit throughout; the dropped remainders are not spread over the tiles.
    uint32_t latitudeStep =
        (job.topLeftLatitude - job.bottomRightLatitude) / static_cast<uint32_t>(job.tileRows);
    uint32_t longitudeStep =
        (job.bottomRightLongitude - job.topLeftLongitude) / static_cast<uint32_t>(job.tileColumns);
    return {job.topLeftLatitude - static_cast<uint32_t>(row) * latitudeStep,
            job.topLeftLongitude + static_cast<uint32_t>(column) * longitudeStep};
}

void buildTileHeader(uint8_t header[kTileHeaderSize], const ConversionJob& job,
                     const uint8_t neighbourBlock[kNeighbourBlockSize], uint32_t tileTopLatitude,
                     uint32_t tileLeftLongitude) {
    std::memset(header, 0, kTileHeaderSize);
    std::memcpy(header, kMagic, kMagicLength);
    std::memcpy(header + kMapNameOffset, job.mapName, kMapNameLength);
    std::memcpy(header + kNeighbourOffset, neighbourBlock, kNeighbourBlockSize);
    std::memcpy(header + kConstantsOffset, kConstants, sizeof kConstants);
    putBigEndian32(header + kEastWestOffset, job.eastWestDistance);
    putBigEndian32(header + kNorthSouthOffset, job.northSouthDistance);
    putBigEndian16(header + kTileSideOffset, kTileSide);
    putBigEndian16(header + kTileSideOffset + 2, kTileSide);
    putBigEndian32(header + kMapTopLatitudeOffset, job.topLeftLatitude);
    putBigEndian32(header + kMapLeftLongitudeOffset, job.topLeftLongitude);
    putBigEndian32(header + kTileTopLatitudeOffset, tileTopLatitude);
    putBigEndian32(header + kTileLeftLongitudeOffset, tileLeftLongitude);
    putBigEndian32(header + kPixelCountOffset, kTilePixels);
}

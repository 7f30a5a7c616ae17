#pragma once
// The tile file, smplCCCRRR.map: a 160-byte header followed by 160 rows of 160 palette
// indices (0 to 230), the tile's top (northmost) row first, each row west to east.
// Header numbers are big-endian.
//
//   offset size  field
//        0   12  magic "VeMo00000100"
//       12    3  zero
//       15    1  flag byte, 00
//       16   16  map name, its first 16 bytes (cut by bytes, no terminating zero needed)
//       32   32  neighbour block: eight 4-byte slots of "%03d" text, unused slots zero
//                  0 own column, 1 own row, 2 column to the east, 3 column to the west,
//                  4 row to the south, 5 row to the north, 6 and 7 always empty
//       64    4  08 01 00 19
//       68    4  east-west distance of the map, tenths of a metre
//       72    4  north-south distance of the map, tenths of a metre
//       76    4  00 A0 00 A0: the tile's side, 160 pixels, twice
//       80    4  map top-left latitude, milliseconds of arc
//       84    4  map top-left longitude, milliseconds of arc
//       88    4  this tile's top latitude
//       92    4  this tile's left longitude
//       96    4  number of pixels, 25600 (00 00 64 00)
//      100   60  zero
//
// Everything that writes or reads tiles goes through these names; nothing else
// hard-codes an offset.

#include <cstdint>

#include "ConversionJob.h"

namespace tile_format {

inline constexpr char kMagic[] = "VeMo00000100";
inline constexpr int kMagicLength = 12;
inline constexpr int kFlagOffset = 15;
inline constexpr int kMapNameOffset = 16;
inline constexpr int kMapNameLength = 16;
inline constexpr int kNeighbourOffset = 32;
inline constexpr int kSlotSize = 4;
inline constexpr int kSlotCount = 8;
// A slot keeps this many characters of a number's "%03d" text, so numbers up to
// kLargestSlotNumber stand in it whole; larger ones are cut to their first digits.
inline constexpr int kSlotDigits = 3;
inline constexpr int32_t kLargestSlotNumber = 999;
inline constexpr int kConstantsOffset = 64;
inline constexpr uint8_t kConstants[4] = {0x08, 0x01, 0x00, 0x19};
inline constexpr int kEastWestOffset = 68;
inline constexpr int kNorthSouthOffset = 72;
inline constexpr int kTileSideOffset = 76;  // two 16-bit values
inline constexpr int kMapTopLatitudeOffset = 80;
inline constexpr int kMapLeftLongitudeOffset = 84;
inline constexpr int kTileTopLatitudeOffset = 88;
inline constexpr int kTileLeftLongitudeOffset = 92;
inline constexpr int kPixelCountOffset = 96;
inline constexpr int kZeroTailOffset = 100;

// Neighbour slots by meaning.
enum NeighbourSlot : int {
    kOwnColumn = 0,
    kOwnRow = 1,
    kEastColumn = 2,
    kWestColumn = 3,
    kSouthRow = 4,
    kNorthRow = 5,
};

}  // namespace tile_format

inline constexpr int kTileHeaderSize = 160;
inline constexpr int kNeighbourBlockSize = tile_format::kSlotSize * tile_format::kSlotCount;
inline constexpr int kTileFileSize = kTileHeaderSize + kTilePixels;  // 25,760 bytes

// Slots 0 and 1 hold the tile's own column and row; 2 and 3 the columns east and west,
// 4 and 5 the rows south and north, where such a neighbour exists; 6 and 7 stay empty.
// Each slot keeps the first three characters of the number's "%03d" text.
void fillNeighbourBlock(uint8_t block[kNeighbourBlockSize], int32_t column, int32_t row,
                        int32_t tileColumns, int32_t tileRows);

// Top latitude and left longitude of tile (column, row): the map's corner stepped by the
// span divided by the tiles (unsigned 32-bit, remainders dropped, not spread).
struct TileCorner {
    uint32_t topLatitude;
    uint32_t leftLongitude;
};
TileCorner tileCorner(const ConversionJob& job, int32_t column, int32_t row);

// The 160 header bytes of one tile.
void buildTileHeader(uint8_t header[kTileHeaderSize], const ConversionJob& job,
                     const uint8_t neighbourBlock[kNeighbourBlockSize], uint32_t tileTopLatitude,
                     uint32_t tileLeftLongitude);

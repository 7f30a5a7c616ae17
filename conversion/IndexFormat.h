#pragma once
// The index file <folder>.vlm: one 160-byte IndexRecord describing the whole map. Numbers
// are big-endian; text fields are followed by zero bytes to the end of the field.
//
//   offset size  field
//        0   32  map name (32 bytes leave no terminating zero)
//       32   32  folder name
//       64   16  "smpl", the prefix of the tile file names, then zero
//       80   16  folder name + ".txt" (a file the record names but nothing makes)
//       96    4  number of tiles
//      100    4  tile columns
//      104    4  tile rows
//      108    8  00 08 00 01 00 01 00 19 (16-bit values 8, 1, 1, 25)
//      116    4  east-west distance, tenths of a metre
//      120    4  north-south distance, tenths of a metre
//      124    4  00 A0 00 A0: the tile's side, 160 pixels, twice
//      128   16  zero
//      144    4  top-left latitude, milliseconds of arc
//      148    4  top-left longitude
//      152    4  bottom-right latitude
//      156    4  bottom-right longitude

#include <cstdint>

#include "ConversionJob.h"

namespace index_format {

inline constexpr int kMapNameOffset = 0;
inline constexpr int kMapNameLength = 32;
inline constexpr int kFolderNameOffset = 32;
inline constexpr int kFolderNameLength = 32;
inline constexpr int kPrefixOffset = 64;
inline constexpr char kTilePrefix[] = "smpl";
inline constexpr int kTextFileOffset = 80;
inline constexpr int kTextFileLength = 16;
inline constexpr char kTextFileSuffix[] = ".txt";
inline constexpr int kTileCountOffset = 96;
inline constexpr int kTileColumnsOffset = 100;
inline constexpr int kTileRowsOffset = 104;
inline constexpr int kConstantsOffset = 108;
inline constexpr uint16_t kConstants[4] = {8, 1, 1, 25};
inline constexpr int kEastWestOffset = 116;
inline constexpr int kNorthSouthOffset = 120;
inline constexpr int kTileSideOffset = 124;  // two 16-bit values
inline constexpr int kZeroOffset = 128;
inline constexpr int kZeroLength = 16;
inline constexpr int kTopLeftLatitudeOffset = 144;
inline constexpr int kTopLeftLongitudeOffset = 148;
inline constexpr int kBottomRightLatitudeOffset = 152;
inline constexpr int kBottomRightLongitudeOffset = 156;

}  // namespace index_format

inline constexpr int kIndexRecordSize = 160;

// The 160-byte IndexRecord of a validated job.
void buildIndexRecord(uint8_t record[kIndexRecordSize], const ConversionJob& job);

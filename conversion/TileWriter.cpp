#include "TileWriter.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BigEndian.h"
#include "ColorQuantizer.h"
#include "Messages.h"
#include "OutputPaths.h"

// Tile file: the 160-byte TileHeader, then 160 rows of 160 palette indices, the tile's
// top (northmost) row first, each row west to east. Header numbers are big-endian.
//   0  12  "VeMo00000100"
//  12   3  zero
//  15   1  flag byte, 00
//  16  16  map name, its first 16 bytes (cut by bytes)
//  32  32  neighbour block: eight 4-byte slots of "%03d" text, unused slots zero
//  64   4  08 01 00 19
//  68   4  east-west distance of the map, tenths of a metre
//  72   4  north-south distance of the map
//  76   4  00 A0 00 A0: the tile's side, 160 pixels, twice
//  80   4  map top-left latitude, milliseconds of arc
//  84   4  map top-left longitude
//  88   4  this tile's top latitude
//  92   4  this tile's left longitude
//  96   4  00 00 64 00: 25600 pixels
// 100  60  zero

namespace {

constexpr char kTileMagic[] = "VeMo00000100";
constexpr int kTileMagicLength = 12;
constexpr int kTileMapNameField = 16;
constexpr int kSlotSize = 4;

void putSlot(uint8_t* slot, int32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", static_cast<int>(number));
    // The slot keeps the first three characters; its fourth byte stays zero.
    std::memcpy(slot, text, 3);
}

}  // namespace

void fillNeighbourBlock(uint8_t block[kNeighbourBlockSize], int32_t column, int32_t row,
                        int32_t tileColumns, int32_t tileRows) {
    std::memset(block, 0, kNeighbourBlockSize);
    putSlot(block + 0 * kSlotSize, column);
    putSlot(block + 1 * kSlotSize, row);
    if (column < tileColumns - 1) putSlot(block + 2 * kSlotSize, column + 1);
    if (column > 0) putSlot(block + 3 * kSlotSize, column - 1);
    if (row < tileRows - 1) putSlot(block + 4 * kSlotSize, row + 1);
    if (row > 0) putSlot(block + 5 * kSlotSize, row - 1);
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
    std::memcpy(header + 0, kTileMagic, kTileMagicLength);
    std::memcpy(header + 16, job.mapName, kTileMapNameField);
    std::memcpy(header + 32, neighbourBlock, kNeighbourBlockSize);
    header[64] = 0x08;
    header[65] = 0x01;
    header[66] = 0x00;
    header[67] = 0x19;
    putBigEndian32(header + 68, job.eastWestDistance);
    putBigEndian32(header + 72, job.northSouthDistance);
    putBigEndian16(header + 76, kTileSide);
    putBigEndian16(header + 78, kTileSide);
    putBigEndian32(header + 80, job.topLeftLatitude);
    putBigEndian32(header + 84, job.topLeftLongitude);
    putBigEndian32(header + 88, tileTopLatitude);
    putBigEndian32(header + 92, tileLeftLongitude);
    putBigEndian32(header + 96, kTilePixels);
}

uint64_t sourceRowOffset(const ConversionJob& job, int32_t column, int32_t row, int32_t pixelRow) {
    uint64_t pictureRow = static_cast<uint64_t>(row) * kTileSide + static_cast<uint64_t>(pixelRow);
    uint64_t storedRow = static_cast<uint64_t>(job.bitmapHeight) - 1 - pictureRow;
    uint64_t pixel = static_cast<uint64_t>(column) * kTileSide +
                     static_cast<uint64_t>(job.bitmapWidth) * storedRow;
    return job.pixelDataOffset + 3 * pixel;
}

bool TileWriter::writeTileHeader(FileServices::Handle file, const ConversionJob& job,
                                 const uint8_t neighbourBlock[kNeighbourBlockSize],
                                 uint32_t tileTopLatitude, uint32_t tileLeftLongitude) {
    uint8_t header[kTileHeaderSize];
    buildTileHeader(header, job, neighbourBlock, tileTopLatitude, tileLeftLongitude);
    return files_.writeAll(file, header, kTileHeaderSize);
}

int TileWriter::writeTiles(const ConversionJob& job, UserFeedback& feedback) {
    FileServices::Handle bitmap = files_.openForReading(job.bitmapPath);
    if (bitmap == FileServices::kNoFile) {
        feedback.showMessage(messages::kCannotReadBitmap, messages::kWarningCaption,
                             MessageIcon::Exclamation);
        return kBitmapReadFailed;
    }
    std::vector<uint8_t> pixels(kTilePixels);
    uint8_t source[kTileRowSourceBytes];
    uint8_t neighbours[kNeighbourBlockSize];
    int32_t tilesWritten = 0;

    auto fail = [&](const std::string& tilePath, const char* text, int result) {
        if (!tilePath.empty()) files_.removeFile(tilePath.c_str());
        feedback.showMessage(text, messages::kWarningCaption, MessageIcon::Exclamation);
        files_.close(bitmap);
        return result;
    };

    for (int32_t row = 0; row < job.tileRows; ++row) {
        std::string levelFolder = levelFolderPath(job.folderName, row);
        for (int32_t column = 0; column < job.tileColumns; ++column) {
            std::string tilePath = tileFilePath(levelFolder, column, row);
            // Pixels first: a bitmap that cannot be read must not leave an empty tile behind.
            for (int32_t j = 0; j < kTileSide; ++j) {
                int64_t got = files_.readAt(bitmap, sourceRowOffset(job, column, row, j), source,
                                            sizeof source);
                if (got != static_cast<int64_t>(sizeof source))
                    return fail({}, messages::kCannotReadBitmap, kBitmapReadFailed);
                ColorQuantizer::quantizeRow(source, pixels.data() + j * kTileSide, kTileSide);
            }
            FileServices::Handle tile = files_.replaceFile(tilePath.c_str());
            if (tile == FileServices::kNoFile)
                return fail({}, messages::kCannotCreateOutput, kTileCreateFailed);
            fillNeighbourBlock(neighbours, column, row, job.tileColumns, job.tileRows);
            TileCorner corner = tileCorner(job, column, row);
            bool written = writeTileHeader(tile, job, neighbours, corner.topLatitude, corner.leftLongitude) &&
                           files_.writeAll(tile, pixels.data(), pixels.size());
            bool closed = files_.close(tile);
            if (!written || !closed) return fail(tilePath, messages::kCannotWriteOutput, kTileWriteFailed);
            feedback.showProgress(++tilesWritten, job.tileCount);
        }
    }
    files_.close(bitmap);
    return kTilesWritten;
}

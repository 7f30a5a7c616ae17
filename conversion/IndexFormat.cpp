#include "IndexFormat.h"

#include <cstring>

#include "BigEndian.h"

using namespace index_format;

namespace {

// Copies the text up to its zero byte, at most fieldSize bytes; the rest stays zero.
void copyText(uint8_t* field, const char* text, size_t fieldSize) {
    std::memcpy(field, text, strnlen(text, fieldSize));
}

}  // namespace

void buildIndexRecord(uint8_t record[kIndexRecordSize], const ConversionJob& job) {
    std::memset(record, 0, kIndexRecordSize);
    // The job keeps the map name zero-filled, so its first 32 bytes are the field.
    std::memcpy(record + kMapNameOffset, job.mapName, kMapNameLength);
    copyText(record + kFolderNameOffset, job.folderName, kFolderNameSize - 1);
    std::memcpy(record + kPrefixOffset, kTilePrefix, sizeof kTilePrefix - 1);
    size_t folderLength = strnlen(job.folderName, kFolderNameSize - 1);
    std::memcpy(record + kTextFileOffset, job.folderName, folderLength);
    std::memcpy(record + kTextFileOffset + folderLength, kTextFileSuffix, sizeof kTextFileSuffix - 1);
    putBigEndian32(record + kTileCountOffset, static_cast<uint32_t>(job.tileCount));
    putBigEndian32(record + kTileColumnsOffset, static_cast<uint32_t>(job.tileColumns));
    putBigEndian32(record + kTileRowsOffset, static_cast<uint32_t>(job.tileRows));
    for (int i = 0; i < 4; ++i) putBigEndian16(record + kConstantsOffset + 2 * i, kConstants[i]);
    putBigEndian32(record + kEastWestOffset, job.eastWestDistance);
    putBigEndian32(record + kNorthSouthOffset, job.northSouthDistance);
    putBigEndian16(record + kTileSideOffset, kTileSide);
    putBigEndian16(record + kTileSideOffset + 2, kTileSide);
    putBigEndian32(record + kTopLeftLatitudeOffset, job.topLeftLatitude);
    putBigEndian32(record + kTopLeftLongitudeOffset, job.topLeftLongitude);
    putBigEndian32(record + kBottomRightLatitudeOffset, job.bottomRightLatitude);
    putBigEndian32(record + kBottomRightLongitudeOffset, job.bottomRightLongitude);
}

#include "IndexWriter.h"

#include <cstring>
#include <string>

#include "BigEndian.h"
#include "Messages.h"
#include "OutputPaths.h"

// IndexRecord, the 160 bytes of <folder>.vlm. Numbers are big-endian; text fields are
// followed by zero bytes to the end of the field.
//   0  32  map name (32 bytes leave no terminating zero)
//  32  32  folder name
//  64  16  "smpl", the prefix of the tile file names
//  80  16  folder name + ".txt"
//  96   4  number of tiles
// 100   4  tile columns
// 104   4  tile rows
// 108   8  00 08 00 01 00 01 00 19
// 116   4  east-west distance, tenths of a metre
// 120   4  north-south distance
// 124   4  00 A0 00 A0: the tile's side, 160 pixels, twice
// 128  16  zero
// 144   4  top-left latitude, milliseconds of arc
// 148   4  top-left longitude
// 152   4  bottom-right latitude
// 156   4  bottom-right longitude

namespace {

constexpr int kMapNameField = 32;
constexpr int kFolderNameField = 32;

void copyText(uint8_t* field, const char* text, size_t fieldSize) {
    size_t length = strnlen(text, fieldSize);
    std::memcpy(field, text, length);
}

}  // namespace

void buildIndexRecord(uint8_t record[kIndexRecordSize], const ConversionJob& job) {
    std::memset(record, 0, kIndexRecordSize);
    // The job keeps the map name zero-filled, so its first 32 bytes are the field.
    std::memcpy(record + 0, job.mapName, kMapNameField);
    copyText(record + 32, job.folderName, kFolderNameField);
    std::memcpy(record + 64, "smpl", 4);
    std::string textName = std::string(job.folderName, strnlen(job.folderName, kFolderNameSize - 1)) + ".txt";
    copyText(record + 80, textName.c_str(), 16);
    putBigEndian32(record + 96, static_cast<uint32_t>(job.tileCount));
    putBigEndian32(record + 100, static_cast<uint32_t>(job.tileColumns));
    putBigEndian32(record + 104, static_cast<uint32_t>(job.tileRows));
    putBigEndian16(record + 108, 8);
    putBigEndian16(record + 110, 1);
    putBigEndian16(record + 112, 1);
    putBigEndian16(record + 114, 25);
    putBigEndian32(record + 116, job.eastWestDistance);
    putBigEndian32(record + 120, job.northSouthDistance);
    putBigEndian16(record + 124, kTileSide);
    putBigEndian16(record + 126, kTileSide);
    putBigEndian32(record + 144, job.topLeftLatitude);
    putBigEndian32(record + 148, job.topLeftLongitude);
    putBigEndian32(record + 152, job.bottomRightLatitude);
    putBigEndian32(record + 156, job.bottomRightLongitude);
}

int IndexWriter::writeIndex(const ConversionJob& job, UserFeedback& feedback) {
    uint8_t record[kIndexRecordSize];
    buildIndexRecord(record, job);

    // Folders left by an earlier conversion are used as they stand; a folder that cannot
    // be made comes to light when its first tile cannot be created.
    files_.makeFolder(job.folderName);
    files_.makeFolder(layerFolderPath(job.folderName).c_str());
    for (int32_t row = 0; row < job.tileRows; ++row)
        files_.makeFolder(levelFolderPath(job.folderName, row).c_str());

    std::string indexPath = indexFilePath(job.folderName);
    if (files_.fileExists(indexPath.c_str())) {
        feedback.showMessage(messages::kIndexExists, messages::kWarningCaption, MessageIcon::Exclamation);
        return kIndexExists;
    }
    FileServices::Handle file = files_.createNewFile(indexPath.c_str());
    if (file == FileServices::kNoFile) {
        feedback.showMessage(messages::kCannotCreateOutput, messages::kWarningCaption,
                             MessageIcon::Exclamation);
        return kIndexCreateFailed;
    }
    bool written = files_.writeAll(file, record, kIndexRecordSize);
    bool closed = files_.close(file);
    if (!written || !closed) {
        // A half-written index would block every later conversion under this name.
        files_.removeFile(indexPath.c_str());
        feedback.showMessage(messages::kCannotWriteOutput, messages::kWarningCaption,
                             MessageIcon::Exclamation);
        return kIndexWriteFailed;
    }
    return kIndexWritten;
}

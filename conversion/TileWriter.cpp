#include "TileWriter.h"

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "BigEndian.h"
#include "ColorQuantizer.h"
#include "Messages.h"
#include "OutputPaths.h"
#include "TileStrip.h"

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

namespace {

// The writing half: replaces, writes and closes the complete tiles of one batch, in
// order, on the calling thread. Returns kTilesWritten or the failure, whose warning the
// caller shows.
struct BatchWriter {
    FileServices& files;
    const ConversionJob& job;
    UserFeedback& feedback;
    int32_t tilesWritten = 0;
    const char* failureText = nullptr;

    int write(const TileBatch& batch) {
        std::string levelFolder = levelFolderPath(job.folderName, batch.row);
        for (int32_t i = 0; i < batch.completeTiles; ++i) {
            std::string tilePath = tileFilePath(levelFolder, batch.firstColumn + i, batch.row);
            FileServices::Handle tile = files.replaceFile(tilePath.c_str());
            if (tile == FileServices::kNoFile) {
                failureText = messages::kCannotCreateOutput;
                return kTileCreateFailed;
            }
            bool written = files.writeAll(tile, batch.tile(i), kTileFileSize);
            bool closed = files.close(tile);
            if (!written || !closed) {
                files.removeFile(tilePath.c_str());
                failureText = messages::kCannotWriteOutput;
                return kTileWriteFailed;
            }
            feedback.showProgress(++tilesWritten, job.tileCount);
        }
        if (batch.readFailed) {
            failureText = messages::kCannotReadBitmap;
            return kBitmapReadFailed;
        }
        return kTilesWritten;
    }
};

// Two batches in flight: the reader thread fills one while the calling thread writes
// the other. Each slot is owned by exactly one side at a time, handed over under the lock.
class BatchPipeline {
public:
    BatchPipeline(TileBatchReader& reader, const std::vector<BatchPlan>& plans)
        : reader_(reader), plans_(plans) {
        for (TileBatch& slot : slots_) reader_.reserve(slot);
    }

    ~BatchPipeline() { stop(); }

    // Starts the reader thread; false if no thread could be made.
    bool start() {
        try {
            thread_ = std::thread([this] { readAll(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    // Waits for batch n (in plan order) to be filled.
    const TileBatch& take(size_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return filled_[n % 2] == n + 1; });
        return slots_[n % 2];
    }

    // Gives batch n's slot back to the reader.
    void release(size_t n) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            filled_[n % 2] = 0;
        }
        changed_.notify_all();
    }

    // Tells the reader to stop and waits for it.
    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

private:
    void readAll() {
        for (size_t n = 0; n < plans_.size(); ++n) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || filled_[n % 2] == 0; });
                if (stopping_) return;
            }
            TileBatch& batch = slots_[n % 2];
            reader_.fill(plans_[n], batch);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                filled_[n % 2] = n + 1;
            }
            changed_.notify_all();
            if (batch.readFailed) return;  // nothing after a failed read is written
        }
    }

    TileBatchReader& reader_;
    const std::vector<BatchPlan>& plans_;
    TileBatch slots_[2];
    size_t filled_[2] = {0, 0};  // 1 + number of the batch a slot holds, 0 when free
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
};

}  // namespace

int TileWriter::threadsToUse() const {
    if (threadCount_ > 0) return threadCount_;
    return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

int TileWriter::writeTiles(const ConversionJob& job, UserFeedback& feedback) {
    FileServices::Handle bitmap = files_.openForReading(job.bitmapPath);
    if (bitmap == FileServices::kNoFile) {
        feedback.showMessage(messages::kCannotReadBitmap, messages::kWarningCaption,
                             MessageIcon::Exclamation);
        return kBitmapReadFailed;
    }
    const std::vector<BatchPlan> plans = planBatches(job);
    TileBatchReader reader(files_, bitmap, job);
    BatchWriter writer{files_, job, feedback};
    int result = kTilesWritten;

    // Reading and converting on a second thread, writing on this one, which alone talks
    // to the user; or everything on this one.
    bool pipelined = false;
    if (threadsToUse() >= 2 && plans.size() >= 2) {
        BatchPipeline pipeline(reader, plans);
        if (pipeline.start()) {
            pipelined = true;
            for (size_t n = 0; n < plans.size() && result == kTilesWritten; ++n) {
                result = writer.write(pipeline.take(n));
                pipeline.release(n);
            }
            pipeline.stop();
        }
    }
    if (!pipelined) {
        TileBatch batch;
        reader.reserve(batch);
        for (size_t n = 0; n < plans.size() && result == kTilesWritten; ++n) {
            reader.fill(plans[n], batch);
            result = writer.write(batch);
        }
    }
    files_.close(bitmap);
    if (result != kTilesWritten)
        feedback.showMessage(writer.failureText, messages::kWarningCaption, MessageIcon::Exclamation);
    return result;
}

#include "TileWriter.h"

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "ColorQuantizer.h"
#include "Messages.h"
#include "OutputPaths.h"
#include "TileBatch.h"

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

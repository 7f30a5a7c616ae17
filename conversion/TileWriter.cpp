#include "TileWriter.h"

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "Messages.h"
#include "OutputFile.h"

const char* tileWriteMessage(TileWriteResult result) {
    switch (result) {
        case TileWriteResult::Written: return nullptr;
        case TileWriteResult::CreateFailed: return messages::kCannotCreateOutput;
        case TileWriteResult::WriteFailed: return messages::kCannotWriteOutput;
        case TileWriteResult::SourceReadFailed: return messages::kCannotReadBitmap;
        case TileWriteResult::Interrupted: return nullptr;
    }
    return nullptr;
}

void TileWriter::writeTileHeader(uint8_t* tileBytes, const ConversionJob& job,
                                 const uint8_t neighbourBlock[kNeighbourBlockSize], uint32_t tileTopLatitude,
                                 uint32_t tileLeftLongitude) {
    buildTileHeader(tileBytes, job, neighbourBlock, tileTopLatitude, tileLeftLongitude);
}

namespace {

// Two batches in flight: the reader thread fills one while the calling thread writes
// the other. Each slot is owned by exactly one side at a time, handed over under the lock.
class BatchPipeline {
public:
    BatchPipeline(const ConversionJob& job, PixelSource& source, TileBuffers& buffers, int32_t tilesPerBatch)
        : job_(job), source_(source), buffers_(buffers), tilesPerBatch_(tilesPerBatch),
          count_(batchCount(job, tilesPerBatch)) {}

    ~BatchPipeline() { stop(); }

    // Starts the reader thread; false if no thread could be made.
    bool start() {
        try {
            thread_ = std::thread([this] { readAll(); });
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }

    // Waits for batch n to be filled.
    TileBatch& take(int64_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return filled_[n % 2] == n + 1; });
        return buffers_.slots[n % 2];
    }

    // Gives batch n's slot back to the reader.
    void release(int64_t n) {
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
        for (int64_t n = 0; n < count_; ++n) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || filled_[n % 2] == 0; });
                if (stopping_) return;
            }
            TileBatch& batch = buffers_.slots[n % 2];
            fillBatch(source_, batchPlan(job_, n, tilesPerBatch_), batch, buffers_.diffusionFor(job_));
            {
                std::lock_guard<std::mutex> lock(mutex_);
                filled_[n % 2] = n + 1;
            }
            changed_.notify_all();
            if (batch.readFailed()) return;  // nothing after a failed read is written
        }
    }

    const ConversionJob& job_;
    PixelSource& source_;
    TileBuffers& buffers_;
    const int32_t tilesPerBatch_;
    const int64_t count_;
    int64_t filled_[2] = {0, 0};  // 1 + number of the batch a slot holds, 0 when free
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

TileWriteResult TileWriter::fail(TileWriteResult result, const char* path, int systemError) {
    std::snprintf(failedPath_, sizeof failedPath_, "%s", path);
    failedError_ = systemError;
    return result;
}

// Writes the complete tiles of one batch in order: each under its ".part" name, closed,
// then renamed over whatever file or link had the tile's name (OutputFile).
TileWriteResult TileWriter::writeBatch(const ConversionJob& job, TileBatch& batch, UserFeedback& feedback) {
    const BatchPlan& plan = batch.plan;
    for (int32_t i = 0; i < batch.completeTiles; ++i) {
        if (stop_ != nullptr && *stop_ != 0) return TileWriteResult::Interrupted;
        const int32_t column = plan.firstColumn + i;
        uint8_t neighbours[kNeighbourBlockSize];
        fillNeighbourBlock(neighbours, column, plan.row, job.tileColumns, job.tileRows);
        const TileCorner corner = tileCorner(job, column, plan.row);
        writeTileHeader(batch.tile(i), job, neighbours, corner.topLatitude, corner.leftLongitude);

        OutputPath tilePath;
        formatTilePath(tilePath, job.folderName, column, plan.row);
        OutputFile tile(output_);
        if (tile.create(tilePath, Temporary::Shared) != OutputFileResult::Done)
            return fail(TileWriteResult::CreateFailed, tilePath, tile.error());
        if (!tile.write(batch.tile(i), kTileFileSize)) return fail(TileWriteResult::WriteFailed, tilePath, tile.error());
        switch (tile.place(Placing::Replace)) {
            case OutputFileResult::Done: break;
            case OutputFileResult::WriteFailed: return fail(TileWriteResult::WriteFailed, tilePath, tile.error());
            default: return fail(TileWriteResult::CreateFailed, tilePath, tile.error());
        }
        feedback.showProgress(++tilesWritten_, job.tileCount);
    }
    if (batch.readFailed()) return fail(TileWriteResult::SourceReadFailed, job.bitmapPath, 0);
    return TileWriteResult::Written;
}

TileWriteResult TileWriter::writeTiles(const ConversionJob& job, UserFeedback& feedback) {
    const int64_t count = batchCount(job, tilesPerBatch_);
    TileWriteResult result = TileWriteResult::Written;
    tilesWritten_ = 0;

    // Reading and converting on a second thread, writing on this one, which alone talks
    // to the user; or everything on this one.
    bool pipelined = false;
    if (threadsToUse() >= 2 && count >= 2) {
        BatchPipeline pipeline(job, source_, buffers_, tilesPerBatch_);
        if (pipeline.start()) {
            pipelined = true;
            for (int64_t n = 0; n < count && result == TileWriteResult::Written; ++n) {
                result = writeBatch(job, pipeline.take(n), feedback);
                pipeline.release(n);
            }
            pipeline.stop();
        }
    }
    if (!pipelined) {
        TileBatch& batch = buffers_.slots[0];
        for (int64_t n = 0; n < count && result == TileWriteResult::Written; ++n) {
            fillBatch(source_, batchPlan(job, n, tilesPerBatch_), batch, buffers_.diffusionFor(job));
            result = writeBatch(job, batch, feedback);
        }
    }
    if (const char* text = tileWriteMessage(result)) {
        feedback.showMessage(text, messages::kWarningCaption, MessageIcon::Exclamation);
        feedback.noteFailedFile(failedPath_, failedError_);
    }
    return result;
}

#pragma once
// Writes the tile files <folder>\layer1\levelRRR\smplCCCRRR.map (layout in TileFormat.h),
// each whole under its ".part" name and then renamed into place, so no tile file is ever
// left cut, whatever stops the run.

#include <csignal>
#include <cstdint>

#include "ConversionJob.h"
#include "FileServices.h"
#include "OutputPaths.h"
#include "PixelSource.h"
#include "TileBatch.h"
#include "TileFormat.h"
#include "UserFeedback.h"

enum class TileWriteResult {
    Written = 0,
    CreateFailed = 1,      // a tile could not be created or put in place
    WriteFailed = 2,       // disk full, file too large or I/O error; the cut file is removed
    SourceReadFailed = 3,  // the pixels could not be read any more
    Interrupted = 4,       // asked to stop; every tile in place is whole
};

// The warning shown for a result; null for Written and Interrupted.
const char* tileWriteMessage(TileWriteResult result);

// The two batches in flight, and the strip of error diffusion when the job dithers, taken
// in the check step.
struct TileBuffers {
    TileBatch slots[2];
    ErrorDiffusion diffusion;
    bool allocate(const ConversionJob& job) {
        return slots[0].allocate(job) && slots[1].allocate(job) &&
               (job.dither == 0 || diffusion.allocate(job.tileColumns));
    }
    // What fillBatch diffuses with: nothing unless the job dithers.
    ErrorDiffusion* diffusionFor(const ConversionJob& job) { return job.dither != 0 ? &diffusion : nullptr; }
};

class TileWriter {
public:
    // threadCount 0 uses two threads where the machine has two cores or more; 1 does
    // everything on the calling thread; 2 or more reads and converts on a second thread
    // while the calling thread writes. Messages and progress always come from the caller.
    TileWriter(OutputFolder& output, PixelSource& source, TileBuffers& buffers, int threadCount = 0)
        : output_(output), source_(source), buffers_(buffers), threadCount_(threadCount) {}

    // The run stops between two tiles once *flag is non-zero.
    void stopWhen(const volatile std::sig_atomic_t* flag) { stop_ = flag; }

    // At most this many tiles a batch, 1 to kMaxTilesPerBatch (the default): for the tests,
    // which cut rows of tiles into several batches without a picture 320 tiles wide.
    void limitBatchTiles(int32_t tilesPerBatch) { tilesPerBatch_ = tilesPerBatch; }

    // Writes every tile of the job, row of tiles by row of tiles, west to east. Stops at
    // the first failure after showing its warning; tiles put in place before stay.
    TileWriteResult writeTiles(const ConversionJob& job, UserFeedback& feedback);

    // Puts tile (column, row)'s TileHeader at the start of its file's bytes, which the
    // writer then writes with the pixels in one go.
    static void writeTileHeader(uint8_t* tileBytes, const ConversionJob& job,
                                const uint8_t neighbourBlock[kNeighbourBlockSize], uint32_t tileTopLatitude,
                                uint32_t tileLeftLongitude);

    int32_t tilesWritten() const { return tilesWritten_; }

private:
    int threadsToUse() const;
    TileWriteResult writeBatch(const ConversionJob& job, TileBatch& batch, UserFeedback& feedback);
    TileWriteResult fail(TileWriteResult result, const char* path, int systemError);

    OutputFolder& output_;
    PixelSource& source_;
    TileBuffers& buffers_;
    int threadCount_;
    int32_t tilesPerBatch_ = kMaxTilesPerBatch;
    const volatile std::sig_atomic_t* stop_ = nullptr;
    int32_t tilesWritten_ = 0;
    char failedPath_[1024] = {};  // an output path, or the bitmap's
    int failedError_ = 0;
};

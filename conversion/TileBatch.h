#pragma once
// A batch of tiles of one row of tiles, assembled in memory: for each tile its 160-byte
// header (put there by the writer) followed by its 160 x 160 palette indices, exactly the
// bytes of its tile file.
// Its pixels come from a PixelSource, a strip of 160 picture rows at a time, each row
// converted at once into the rows of the batch's tiles.

#include <cstdint>

#include "Buffer.h"
#include "ConversionJob.h"
#include "ErrorDiffusion.h"
#include "PixelSource.h"
#include "TileFormat.h"

// Up to this many tiles (8 MiB) are assembled at a time; a row of tiles wider than this
// is written in several batches, so memory does not grow with the picture's width either.
inline constexpr int32_t kMaxTilesPerBatch = 320;

// Which tiles a batch holds. Batches go in writing order: rows of tiles top first, each
// split into stretches of at most kMaxTilesPerBatch columns, west to east.
struct BatchPlan {
    int32_t row = 0;
    int32_t firstColumn = 0;
    int32_t columnCount = 0;
};

// Number of batches of a job, and batch n of them, with at most tilesPerBatch tiles each
// (the writer's is kMaxTilesPerBatch; the tests take others).
int64_t batchCount(const ConversionJob& job, int32_t tilesPerBatch = kMaxTilesPerBatch);
BatchPlan batchPlan(const ConversionJob& job, int64_t n, int32_t tilesPerBatch = kMaxTilesPerBatch);

struct TileBatch {
    BatchPlan plan;
    // Tiles 0 .. completeTiles - 1 hold all their pixels. Less than plan.columnCount only
    // when the source failed; the batch is then the last.
    int32_t completeTiles = 0;
    Buffer bytes;  // room for the widest batch of the job

    // Takes the memory for the widest batch of the job; false when it cannot be had.
    bool allocate(const ConversionJob& job);
    uint8_t* tile(int32_t index) { return bytes.data() + static_cast<size_t>(index) * kTileFileSize; }
    const uint8_t* tile(int32_t index) const { return bytes.data() + static_cast<size_t>(index) * kTileFileSize; }
    bool readFailed() const { return completeTiles < plan.columnCount; }
};

// Fills the pixels of the batch's tiles (everything after their headers) from the source.
// With error diffusion (the job's dither), the first batch of each row of tiles reads and
// diffuses the whole strip, and every batch of the row takes its tiles' indices from it;
// the batches must then come in writing order. A strip that could not be read whole gives
// no complete tile, since the error of what is missing would reach every tile.
void fillBatch(PixelSource& source, const BatchPlan& plan, TileBatch& batch, ErrorDiffusion* diffusion = nullptr);

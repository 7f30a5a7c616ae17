#pragma once
// A batch of tiles of one row of tiles, assembled in memory: for each tile its 160-byte
// header followed by its 160 x 160 palette indices, exactly the bytes of its tile file.
//
// The pixels of one row of tiles are 160 consecutive rows stored in the bitmap, so a
// batch is read with a few large reads (several stored rows at a time when the batch is
// the whole width, one read per stored row otherwise) and each stored row is converted
// at once into the rows of the batch's tiles.

#include <cstdint>
#include <vector>

#include "ConversionJob.h"
#include "FileServices.h"
#include "TileFormat.h"

// Up to this many tiles (8 MiB) are assembled at a time; a row of tiles wider than this
// is written in several batches, so memory does not grow with the bitmap's width either.
inline constexpr int32_t kMaxTilesPerBatch = 320;
// Size aimed at for one read when whole stored rows are read together.
inline constexpr size_t kReadBlockBytes = 1u << 20;

struct TileBatch {
    int32_t row = 0;          // row of tiles
    int32_t firstColumn = 0;
    int32_t columnCount = 0;
    // Tiles 0 .. completeTiles - 1 of the batch hold all their pixels. Less than
    // columnCount only when a read failed or came up short; the batch is then the last.
    int32_t completeTiles = 0;
    bool readFailed = false;
    std::vector<uint8_t> bytes;  // columnCount tile files, one after the other

    uint8_t* tile(int32_t index) { return bytes.data() + static_cast<size_t>(index) * kTileFileSize; }
    const uint8_t* tile(int32_t index) const {
        return bytes.data() + static_cast<size_t>(index) * kTileFileSize;
    }
};

// The batches of a job in writing order: rows of tiles top first, each split into
// stretches of at most kMaxTilesPerBatch columns, west to east.
struct BatchPlan {
    int32_t row;
    int32_t firstColumn;
    int32_t columnCount;
};
std::vector<BatchPlan> planBatches(const ConversionJob& job);

// Reads and converts the batches of one job. Holds one read block.
class TileBatchReader {
public:
    TileBatchReader(FileServices& files, FileServices::Handle bitmap, const ConversionJob& job);

    // Sizes batch.bytes for the largest batch of the job (so that filling never allocates).
    void reserve(TileBatch& batch) const;

    // Fills the batch with headers and pixels. Reads stop at the first failed or short
    // read; the tiles whose pixels were all delivered by then count as complete.
    void fill(const BatchPlan& plan, TileBatch& batch);

private:
    FileServices& files_;
    FileServices::Handle bitmap_;
    const ConversionJob& job_;
    std::vector<uint8_t> block_;
};

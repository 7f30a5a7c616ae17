#include "TileBatch.h"

#include <algorithm>

#include "ColorQuantizer.h"

std::vector<BatchPlan> planBatches(const ConversionJob& job) {
    std::vector<BatchPlan> plans;
    for (int32_t row = 0; row < job.tileRows; ++row)
        for (int32_t first = 0; first < job.tileColumns; first += kMaxTilesPerBatch)
            plans.push_back({row, first, std::min(kMaxTilesPerBatch, job.tileColumns - first)});
    return plans;
}

namespace {

uint64_t storedRowBytes(const ConversionJob& job) { return 3u * static_cast<uint64_t>(job.bitmapWidth); }

// Whole stored rows are read together when a batch spans the whole width.
size_t rowsPerWholeRead(const ConversionJob& job) {
    uint64_t rows = kReadBlockBytes / storedRowBytes(job);
    return static_cast<size_t>(std::clamp<uint64_t>(rows, 1, kTileSide));
}

}  // namespace

TileBatchReader::TileBatchReader(FileServices& files, FileServices::Handle bitmap, const ConversionJob& job)
    : files_(files), bitmap_(bitmap), job_(job) {
    if (job.tileColumns <= kMaxTilesPerBatch)
        block_.resize(rowsPerWholeRead(job) * storedRowBytes(job));
    else
        block_.resize(static_cast<size_t>(kTileRowSourceBytes) * kMaxTilesPerBatch);
}

void TileBatchReader::reserve(TileBatch& batch) const {
    int32_t widest = std::min(kMaxTilesPerBatch, job_.tileColumns);
    batch.bytes.resize(static_cast<size_t>(widest) * kTileFileSize);
}

void TileBatchReader::fill(const BatchPlan& plan, TileBatch& batch) {
    batch.row = plan.row;
    batch.firstColumn = plan.firstColumn;
    batch.columnCount = plan.columnCount;
    batch.completeTiles = 0;
    batch.readFailed = false;
    if (batch.bytes.size() < static_cast<size_t>(plan.columnCount) * kTileFileSize)
        batch.bytes.resize(static_cast<size_t>(plan.columnCount) * kTileFileSize);

    for (int32_t i = 0; i < plan.columnCount; ++i) {
        int32_t column = plan.firstColumn + i;
        uint8_t neighbours[kNeighbourBlockSize];
        fillNeighbourBlock(neighbours, column, plan.row, job_.tileColumns, job_.tileRows);
        TileCorner corner = tileCorner(job_, column, plan.row);
        buildTileHeader(batch.tile(i), job_, neighbours, corner.topLatitude, corner.leftLongitude);
    }

    // The row of tiles is stored as 160 consecutive rows, its bottom picture row first:
    // stored row k of the stretch is pixel row 159 - k of its tiles.
    const uint64_t rowBytes = storedRowBytes(job_);
    const bool wholeWidth = plan.firstColumn == 0 && plan.columnCount == job_.tileColumns;
    const size_t stretchBytes = static_cast<size_t>(kTileRowSourceBytes) * plan.columnCount;
    const uint64_t firstStoredRow =
        static_cast<uint64_t>(job_.bitmapHeight) - static_cast<uint64_t>(kTileSide) * (plan.row + 1);
    const uint64_t stretchStart = job_.pixelDataOffset + rowBytes * firstStoredRow +
                                  static_cast<uint64_t>(kTileRowSourceBytes) * plan.firstColumn;
    // Bytes from one stored row to the next in the read block.
    const size_t blockStride = wholeWidth ? static_cast<size_t>(rowBytes) : stretchBytes;
    const size_t rowsPerRead = wholeWidth ? rowsPerWholeRead(job_) : 1;

    // One stored row becomes pixel row 159 - k of each of the first `tiles` tiles.
    auto convertRow = [&](const uint8_t* stored, int32_t k, int32_t tiles) {
        int32_t pixelRow = kTileSide - 1 - k;
        ColorQuantizer::quantizePieces(stored, tiles, kTileSide,
                                       batch.tile(0) + kTileHeaderSize + pixelRow * kTileSide,
                                       kTileFileSize);
    };

    for (int32_t k = 0; k < kTileSide;) {
        size_t rows = std::min(rowsPerRead, static_cast<size_t>(kTileSide - k));
        size_t wanted = wholeWidth ? rows * blockStride : stretchBytes;
        int64_t got = files_.readAt(bitmap_, stretchStart + rowBytes * static_cast<uint64_t>(k),
                                    block_.data(), wanted);
        if (got != static_cast<int64_t>(wanted)) {
            // Stop reading. A tile is complete only if every one of its 160 stretches
            // arrived: possible when all that is missing lies in the last stored row,
            // past the tile's own stretch (a bitmap cut short in its last row).
            size_t delivered = got > 0 ? static_cast<size_t>(got) : 0;
            size_t wholeRows = delivered / blockStride;
            for (size_t r = 0; r < wholeRows; ++r)
                convertRow(block_.data() + r * blockStride, k + static_cast<int32_t>(r), plan.columnCount);
            if (k + static_cast<int32_t>(wholeRows) == kTileSide - 1) {
                size_t partial = delivered % blockStride;
                batch.completeTiles = std::min(plan.columnCount,
                                               static_cast<int32_t>(partial / kTileRowSourceBytes));
                convertRow(block_.data() + wholeRows * blockStride, kTileSide - 1, batch.completeTiles);
            }
            batch.readFailed = true;
            return;
        }
        for (size_t r = 0; r < rows; ++r)
            convertRow(block_.data() + r * blockStride, k + static_cast<int32_t>(r), plan.columnCount);
        k += static_cast<int32_t>(rows);
    }
    batch.completeTiles = plan.columnCount;
}

#include "TileBatch.h"

#include <algorithm>
#include <cstring>

#include "ColorQuantizer.h"

int64_t batchCount(const ConversionJob& job, int32_t tilesPerBatch) {
    int64_t perRow = (job.tileColumns + tilesPerBatch - 1) / tilesPerBatch;
    return perRow * job.tileRows;
}

BatchPlan batchPlan(const ConversionJob& job, int64_t n, int32_t tilesPerBatch) {
    int64_t perRow = (job.tileColumns + tilesPerBatch - 1) / tilesPerBatch;
    BatchPlan plan;
    plan.row = static_cast<int32_t>(n / perRow);
    plan.firstColumn = static_cast<int32_t>(n % perRow) * tilesPerBatch;
    plan.columnCount = std::min(tilesPerBatch, job.tileColumns - plan.firstColumn);
    return plan;
}

bool TileBatch::allocate(const ConversionJob& job) {
    int32_t widest = std::min(kMaxTilesPerBatch, job.tileColumns);
    return bytes.allocate(static_cast<size_t>(widest) * kTileFileSize);
}

namespace {

// Turns each picture row of the strip into that row of every tile of the batch.
class BatchRows final : public PixelSource::RowSink {
public:
    explicit BatchRows(TileBatch& batch) : batch_(batch) {}

    void takeRow(int32_t pixelRow, const uint8_t* pixels) override {
        ColorQuantizer::quantizePieces(pixels, batch_.plan.columnCount, kTileSide,
                                               batch_.tile(0) + kTileHeaderSize + pixelRow * kTileSide,
                                               kTileFileSize);
    }

private:
    TileBatch& batch_;
};

}  // namespace

void fillBatch(PixelSource& source, const BatchPlan& plan, TileBatch& batch, ErrorDiffusion* diffusion) {
    batch.plan = plan;
    if (diffusion == nullptr) {
        BatchRows rows(batch);
        batch.completeTiles = source.readStrip(plan.row, plan.firstColumn, plan.columnCount, rows);
        return;
    }
    if (plan.firstColumn == 0) diffusion->takeStrip(source, plan.row);
    batch.completeTiles = diffusion->stripWhole() ? plan.columnCount : 0;
    for (int32_t r = 0; r < kTileSide; ++r) {
        const uint8_t* indices = diffusion->indexRow(r) + static_cast<size_t>(plan.firstColumn) * kTileSide;
        for (int32_t i = 0; i < batch.completeTiles; ++i)
            std::memcpy(batch.tile(i) + kTileHeaderSize + r * kTileSide, indices + static_cast<size_t>(i) * kTileSide,
                        kTileSide);
    }
}

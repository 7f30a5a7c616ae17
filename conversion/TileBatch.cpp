#include "TileBatch.h"

#include <algorithm>

#include "ColorQuantizer.h"

int64_t batchCount(const ConversionJob& job) {
    int64_t perRow = (job.tileColumns + kMaxTilesPerBatch - 1) / kMaxTilesPerBatch;
    return perRow * job.tileRows;
}

BatchPlan batchPlan(const ConversionJob& job, int64_t n) {
    int64_t perRow = (job.tileColumns + kMaxTilesPerBatch - 1) / kMaxTilesPerBatch;
    BatchPlan plan;
    plan.row = static_cast<int32_t>(n / perRow);
    plan.firstColumn = static_cast<int32_t>(n % perRow) * kMaxTilesPerBatch;
    plan.columnCount = std::min(kMaxTilesPerBatch, job.tileColumns - plan.firstColumn);
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

void fillBatch(PixelSource& source, const BatchPlan& plan, TileBatch& batch) {
    batch.plan = plan;
    BatchRows rows(batch);
    batch.completeTiles = source.readStrip(plan.row, plan.firstColumn, plan.columnCount, rows);
}

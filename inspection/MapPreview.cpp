#include "MapPreview.h"

#include <algorithm>
#include <vector>

#include "MapFiles.h"
#include "GridRule.h"
#include "IndexFormat.h"
#include "OutputPaths.h"
#include "PreviewFile.h"
#include "TileFormat.h"

namespace fs = std::filesystem;

namespace {

double degreesOf(uint32_t millisecondsOfArc) { return millisecondsOfArc / 3600000.0; }

// One row of tiles at the preview's scale: the kept picture rows, each the width of the
// preview.
class ScaledStrip {
public:
    ScaledStrip(int32_t previewWidth, int32_t scale) : width_(previewWidth), scale_(scale) {}

    // Prepares for row of tiles `row`: which of its 160 picture rows are kept.
    void start(int32_t row) {
        firstRow_ = row * kTileSide;
        firstKept_ = scaledSide(firstRow_, scale_);
        keptCount_ = scaledSide(firstRow_ + kTileSide, scale_) - firstKept_;
        pixels_.assign(static_cast<size_t>(keptCount_) * width_, 0);
    }

    // Copies the kept pixels of one tile's 160 x 160 indices (or draws the tile as
    // `fill` when it has none), mapping indices above 230 to the no-colour entry.
    int64_t putTile(int32_t column, const uint8_t* indices, size_t indexCount) {
        int64_t above = 0;
        int32_t left = column * kTileSide;
        int32_t firstX = scaledSide(left, scale_), endX = std::min(scaledSide(left + kTileSide, scale_), width_);
        for (int32_t k = 0; k < keptCount_; ++k) {
            int32_t y = (firstKept_ + k) * scale_ - firstRow_;
            uint8_t* out = pixels_.data() + static_cast<size_t>(k) * width_;
            for (int32_t x = firstX; x < endX; ++x) {
                size_t at = static_cast<size_t>(y) * kTileSide + (x * scale_ - left);
                uint8_t index = kNoColourIndex;
                if (at < indexCount) {
                    index = indices[at];
                    if (index >= kNoColourIndex) {
                        ++above;
                        index = kNoColourIndex;
                    }
                }
                out[x] = index;
            }
        }
        return above;
    }

    int32_t keptRows() const { return keptCount_; }
    const uint8_t* keptRow(int32_t k) const { return pixels_.data() + static_cast<size_t>(k) * width_; }

private:
    int32_t width_, scale_;
    int32_t firstRow_ = 0, firstKept_ = 0, keptCount_ = 0;
    std::vector<uint8_t> pixels_;
};

}  // namespace

PreviewReport previewMap(const fs::path& indexFile, const fs::path& png, int32_t scale,
                         const volatile std::sig_atomic_t* stop) {
    PreviewReport report;
    uint8_t record[kIndexRecordSize];
    ReadResult read = readFileStart(indexFile, record, sizeof record);
    IndexFields index;
    std::vector<FormatViolation> violations;
    if (read.status != ReadStatus::Read) {
        report.failure = displayText(indexFile) + ": " +
                         (read.status == ReadStatus::Missing ? std::string("no such file") : read.reason);
        return report;
    }
    if (!decodeIndex(record, read.size, index, violations) || !folderNameUsable(index.folderName) ||
        !gridFits(index.tileColumns, index.tileRows)) {
        report.failure = displayText(indexFile) + ": the tiles cannot be found from this index (see tessella verify)";
        return report;
    }
    int32_t columns = static_cast<int32_t>(index.tileColumns), rows = static_cast<int32_t>(index.tileRows);
    report.width = scaledSide(columns * kTileSide, scale);
    report.height = scaledSide(rows * kTileSide, scale);

    PreviewFile file;
    file.stopWhen(stop);
    if (!file.open(png, paletteLayout(report.width, report.height, true)) || !file.readsFrom(read.identity)) {
        report.outcome = PreviewOutcome::ImageFailed;
        report.failure = file.failure();
        return report;
    }
    file.placeAt(scaledBy(placementOf(degreesOf(index.topLeftLongitude), degreesOf(index.topLeftLatitude),
                                      degreesOf(index.bottomRightLongitude), degreesOf(index.bottomRightLatitude),
                                      columns * kTileSide, rows * kTileSide),
                          scale));
    fs::path root = mapFolderOf(indexFile);
    ScaledStrip strip(report.width, scale);
    std::vector<uint8_t> tile(kTileFileSize);
    for (int32_t row = 0; row < rows; ++row) {
        strip.start(row);
        if (strip.keptRows() == 0) continue;
        std::string level = levelFolderPath(index.folderName.c_str(), row);
        for (int32_t column = 0; column < columns; ++column) {
            std::string name = tileFilePath(level, column, row);
            ReadResult tileRead = readFileStart(root / name, tile.data(), tile.size());
            if (tileRead.status == ReadStatus::Read && !file.readsFrom(tileRead.identity)) {
                report.outcome = PreviewOutcome::ImageFailed;
                report.failure = file.failure();
                return report;
            }
            size_t pixels = 0;
            if (tileRead.status == ReadStatus::Read && tileRead.size > static_cast<size_t>(kTileHeaderSize))
                pixels = tileRead.size - kTileHeaderSize;
            if (tileRead.status == ReadStatus::Missing)
                report.gaps.add(FindingKind::TileMissing, name, "missing; drawn transparent");
            else if (tileRead.status == ReadStatus::Failed)
                report.gaps.add(FindingKind::TileUnreadable, name, "cannot be read: " + tileRead.reason + "; drawn transparent");
            else if (pixels < static_cast<size_t>(kTilePixels))
                report.gaps.add(FindingKind::TileSize, name, "cut short; what is missing is drawn transparent");
            report.pixelsAbove230 += strip.putTile(column, tile.data() + kTileHeaderSize, pixels);
        }
        for (int32_t k = 0; k < strip.keptRows(); ++k) {
            if (!file.writeRow(strip.keptRow(k))) {
                report.outcome = file.failedOutcome();
                report.failure = file.failure();
                return report;
            }
        }
    }
    if (!file.commit()) {
        report.outcome = file.failedOutcome();
        report.failure = file.failure();
        return report;
    }
    report.outcome = PreviewOutcome::Written;
    return report;
}

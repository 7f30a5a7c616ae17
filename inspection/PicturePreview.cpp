#include "PicturePreview.h"

#include <vector>

#include "ColorQuantizer.h"
#include "ConversionJob.h"
#include "ErrorDiffusion.h"
#include "MapFiles.h"
#include "PreviewFile.h"

namespace fs = std::filesystem;

namespace {

// Keeps the picture rows of one strip that the preview shows, each already reduced to
// its kept pixels (blue, green, red).
class KeptRows : public PixelSource::RowSink {
public:
    KeptRows(int32_t previewWidth, int32_t scale) : width_(previewWidth), scale_(scale) {}

    void start(int32_t row) {
        firstRow_ = row * kTileSide;
        firstKept_ = scaledSide(firstRow_, scale_);
        keptCount_ = scaledSide(firstRow_ + kTileSide, scale_) - firstKept_;
        pixels_.assign(static_cast<size_t>(keptCount_) * width_ * 3, 0);
    }

    void takeRow(int32_t pixelRow, const uint8_t* pixels) override {
        int32_t y = firstRow_ + pixelRow;
        if (y % scale_ != 0) return;
        uint8_t* out = pixels_.data() + static_cast<size_t>(y / scale_ - firstKept_) * width_ * 3;
        for (int32_t x = 0; x < width_; ++x) {
            const uint8_t* in = pixels + static_cast<size_t>(x) * scale_ * 3;
            out[3 * x] = in[0];
            out[3 * x + 1] = in[1];
            out[3 * x + 2] = in[2];
        }
    }

    // The kept pixels of a strip the diffusion took.
    void keep(const ErrorDiffusion& diffusion) {
        for (int32_t r = 0; r < kTileSide; ++r) takeRow(r, diffusion.pixelRow(r));
    }
    // The diffused indices of kept row k.
    void keptIndices(int32_t k, const ErrorDiffusion& diffusion, uint8_t* indices) const {
        const uint8_t* row = diffusion.indexRow((firstKept_ + k) * scale_ - firstRow_);
        for (int32_t x = 0; x < width_; ++x) indices[x] = row[static_cast<size_t>(x) * scale_];
    }

    int32_t keptRows() const { return keptCount_; }
    const uint8_t* keptRow(int32_t k) const { return pixels_.data() + static_cast<size_t>(k) * width_ * 3; }

private:
    int32_t width_, scale_;
    int32_t firstRow_ = 0, firstKept_ = 0, keptCount_ = 0;
    std::vector<uint8_t> pixels_;
};

}  // namespace

PreviewReport previewPicture(PixelSource& source, const std::vector<FileIdentity>& inputs, const PictureShape& shape,
                             const fs::path& png, int32_t scale, bool compare, const volatile std::sig_atomic_t* stop,
                             bool dither, const std::optional<PicturePlacement>& placement) {
    PreviewReport report;
    report.width = scaledSide(shape.tileColumns * kTileSide, scale);
    report.height = scaledSide(shape.tileRows * kTileSide, scale);
    ImageLayout layout = paletteLayout(compare ? 2 * report.width : report.width, report.height, false);
    if (compare) {
        layout.indexed = false;
        layout.colours.clear();
    }
    PreviewFile file;
    file.stopWhen(stop);
    bool opened = file.open(png, layout);
    for (size_t i = 0; opened && i < inputs.size(); ++i) opened = file.readsFrom(inputs[i]);
    if (!opened) {
        report.outcome = PreviewOutcome::ImageFailed;
        report.failure = file.failure();
        return report;
    }
    if (placement) file.placeAt(scaledBy(*placement, scale));
    KeptRows rows(report.width, scale);
    ErrorDiffusion diffusion;
    if (dither && !diffusion.allocate(shape.tileColumns)) {
        report.outcome = PreviewOutcome::SourceUnusable;
        report.failure = "not enough memory to diffuse a row of tiles";
        return report;
    }
    std::vector<uint8_t> indices(static_cast<size_t>(report.width));
    std::vector<uint8_t> out(static_cast<size_t>(layout.width) * (compare ? 3 : 1));
    for (int32_t row = 0; row < shape.tileRows; ++row) {
        rows.start(row);
        const bool whole = dither ? diffusion.takeStrip(source, row)
                                  : source.readStrip(row, 0, shape.tileColumns, rows) == shape.tileColumns;
        if (dither) rows.keep(diffusion);
        if (!whole) {
            report.outcome = PreviewOutcome::SourceUnusable;
            report.failure = "the picture could not be read whole";
            return report;
        }
        for (int32_t k = 0; k < rows.keptRows(); ++k) {
            const uint8_t* bgr = rows.keptRow(k);
            if (dither) rows.keptIndices(k, diffusion, indices.data());
            else ColorQuantizer::quantizePieces(bgr, 1, report.width, indices.data(), indices.size());
            const uint8_t* line = indices.data();
            if (compare) {
                uint8_t* original = out.data();
                uint8_t* stored = out.data() + 3 * static_cast<size_t>(report.width);
                for (int32_t x = 0; x < report.width; ++x) {
                    original[3 * x] = bgr[3 * x + 2];
                    original[3 * x + 1] = bgr[3 * x + 1];
                    original[3 * x + 2] = bgr[3 * x];
                    const palette::Colour& c = palette::kColours[indices[x]];
                    stored[3 * x] = c.red;
                    stored[3 * x + 1] = c.green;
                    stored[3 * x + 2] = c.blue;
                }
                line = out.data();
            }
            if (!file.writeRow(line)) {
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

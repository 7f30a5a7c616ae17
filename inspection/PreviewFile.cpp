#include "PreviewFile.h"

#include <system_error>

#include "MapFiles.h"
#include "OutputPaths.h"

namespace fs = std::filesystem;

PreviewFile::~PreviewFile() {
    writer_.reset();  // closes the file before it is removed
    if (!committed_ && !part_.empty()) {
        std::error_code ignored;
        fs::remove(part_, ignored);
    }
}

bool PreviewFile::open(const fs::path& file, const ImageLayout& layout) {
    final_ = file;
    part_ = file;
    part_ += kPartSuffix;
    std::string reason;
    writer_ = createPngWriter(part_, layout, reason);
    if (!writer_) {
        failure_ = "cannot create " + displayText(part_) + ": " + reason;
        return false;
    }
    return true;
}

bool PreviewFile::writeRow(const uint8_t* row) {
    if (writer_->writeRow(row)) return true;
    failure_ = "cannot write " + displayText(part_) + ": " + writer_->failure();
    return false;
}

bool PreviewFile::commit() {
    if (!writer_->finish()) {
        failure_ = "cannot write " + displayText(part_) + ": " + writer_->failure();
        return false;
    }
    writer_.reset();
    std::error_code error;
    fs::rename(part_, final_, error);
    if (error) {
        failure_ = "cannot rename " + displayText(part_) + " to " + displayText(final_) + ": " + error.message();
        return false;
    }
    committed_ = true;
    return true;
}

ImageLayout paletteLayout(int32_t width, int32_t height, bool withNoColour) {
    ImageLayout layout;
    layout.width = width;
    layout.height = height;
    layout.indexed = true;
    layout.colours.assign(palette::kColours, palette::kColours + palette::kColourCount);
    if (withNoColour) {
        layout.colours.push_back({0, 0, 0});
        layout.transparentIndex = kNoColourIndex;
    }
    return layout;
}

#include "BmpOutput.h"

#include "ConversionJob.h"
#include "OutputFile.h"

namespace {

constexpr int kHeadersSize = 54;

void putLittle16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
void putLittle32(uint8_t* at, uint32_t value) {
    putLittle16(at, value & 0xFFFF);
    putLittle16(at + 2, value >> 16);
}

// Writes each picture row of a strip where it lies in the bottom-up file, as it comes.
class RowWriter : public PixelSource::RowSink {
public:
    RowWriter(OutputFile& file, int32_t rowBytes, int32_t height) : file_(file), rowBytes_(rowBytes), height_(height) {}
    void startStrip(int32_t row) { firstPictureRow_ = row * kTileSide; }
    void takeRow(int32_t pixelRow, const uint8_t* pixels) override {
        if (failed_) return;
        uint64_t offset = kHeadersSize + static_cast<uint64_t>(height_ - 1 - (firstPictureRow_ + pixelRow)) * rowBytes_;
        failed_ = !file_.writeAt(offset, pixels, static_cast<size_t>(rowBytes_));
    }
    bool failed() const { return failed_; }

private:
    OutputFile& file_;
    int32_t rowBytes_, height_;
    int32_t firstPictureRow_ = 0;
    bool failed_ = false;
};

}  // namespace

BmpWriteResult writeBmp(const std::string& path, PixelSource& source, int32_t width, int32_t height,
                        const std::function<void(int32_t, int32_t)>& progress,
                        const volatile std::sig_atomic_t* stop) {
    BmpWriteResult result;
    const int32_t rowBytes = 3 * width;  // a multiple of 4: width is a multiple of 160
    const uint64_t pixelBytes = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height);
    if (pixelBytes + kHeadersSize > 0xFFFFFFFFu) {
        result.status = BmpWriteStatus::TooLarge;
        return result;
    }
    OutputTarget target;
    int error = 0;
    if (!openOutputTarget(path.c_str(), target, error)) return {BmpWriteStatus::CreateFailed, error};
    // Refused before any work; the rename into place refuses one that appears meanwhile.
    if (target.folder->entryAt(target.name.c_str()) != OutputFolder::Entry::Missing)
        return {BmpWriteStatus::AlreadyExists, 0};
    auto stopped = [&] { return stop != nullptr && *stop != 0; };
    if (stopped()) return {BmpWriteStatus::Interrupted, 0};
    OutputFile file(*target.folder);  // its temporary goes whatever way this returns
    if (file.create(target.name.c_str(), Temporary::Unique) != OutputFileResult::Done)
        return {BmpWriteStatus::CreateFailed, file.error()};

    uint8_t headers[kHeadersSize] = {'B', 'M'};
    putLittle32(headers + 2, static_cast<uint32_t>(pixelBytes + kHeadersSize));
    putLittle32(headers + 10, kHeadersSize);
    putLittle32(headers + 14, 40);
    putLittle32(headers + 18, static_cast<uint32_t>(width));
    putLittle32(headers + 22, static_cast<uint32_t>(height));  // positive: bottom-up
    putLittle16(headers + 26, 1);
    putLittle16(headers + 28, 24);
    putLittle32(headers + 34, static_cast<uint32_t>(pixelBytes));
    if (!file.writeAt(0, headers, sizeof headers)) return {BmpWriteStatus::WriteFailed, file.error()};

    const int32_t columns = width / kTileSide, rows = height / kTileSide;
    RowWriter writer(file, rowBytes, height);
    for (int32_t row = 0; row < rows; ++row) {
        if (stopped()) return {BmpWriteStatus::Interrupted, 0};
        writer.startStrip(row);
        int32_t delivered = source.readStrip(row, 0, columns, writer);
        if (writer.failed()) return {BmpWriteStatus::WriteFailed, file.error()};
        if (delivered != columns) return {BmpWriteStatus::ReadFailed, 0};
        if (progress) progress(row + 1, rows);
    }
    if (!source.unchanged()) return {BmpWriteStatus::ReadFailed, 0};
    if (stopped()) return {BmpWriteStatus::Interrupted, 0};
    switch (file.place(Placing::NeverReplace)) {
        case OutputFileResult::Done: return result;
        case OutputFileResult::Exists: return {BmpWriteStatus::AlreadyExists, 0};
        case OutputFileResult::WriteFailed: return {BmpWriteStatus::WriteFailed, file.error()};
        case OutputFileResult::CreateFailed: break;
    }
    return {BmpWriteStatus::CreateFailed, file.error()};
}

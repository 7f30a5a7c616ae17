#include <vector>

#include "ImageWriter.h"
#include "WicCom.h"

namespace {

// The encoder's output: a stream that writes through the caller's OutputFile.
class OutputStream final : public OffsetStream {
public:
    explicit OutputStream(OutputFile& file) : file_(file) {}

    // Why the last write failed, for messages.
    int error() const { return file_.error(); }

protected:
    HRESULT writeAt(uint64_t offset, const void* data, ULONG size) override {
        if (!file_.writeAt(offset, data, size)) return HRESULT_FROM_WIN32(static_cast<DWORD>(file_.error()));
        return S_OK;
    }

private:
    OutputFile& file_;
};

// The Windows Imaging Component's PNG encoder, fed one row at a time.
class WicWriter : public ImageWriter {
public:
    explicit WicWriter(OutputFile& file) : stream_(file) {}
    ~WicWriter() override {
        release(frame_);
        release(encoder_);
    }

    bool open(const ImageLayout& layout) {
        layout_ = layout;
        if (!session_.start(failure_)) return false;
        HRESULT result;
        if (FAILED(result = session_.factory().CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder_)))
            return fail("the PNG encoder", result);
        if (FAILED(result = encoder_->Initialize(&stream_, WICBitmapEncoderNoCache)))
            return fail("starting the PNG encoder", result);
        if (FAILED(result = encoder_->CreateNewFrame(&frame_, nullptr))) return fail("a frame", result);
        if (FAILED(result = frame_->Initialize(nullptr))) return fail("starting the frame", result);
        if (FAILED(result = frame_->SetSize(static_cast<UINT>(layout.width), static_cast<UINT>(layout.height))))
            return fail("the picture's size", result);
        WICPixelFormatGUID format = layout.indexed ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
        const WICPixelFormatGUID asked = format;
        if (FAILED(result = frame_->SetPixelFormat(&format))) return fail("the pixel format", result);
        if (format != asked) {
            failure_ = "the PNG encoder does not take this pixel format";
            return false;
        }
        if (layout.indexed && !setPalette()) return false;
        row_.resize(static_cast<size_t>(layout.width) * (layout.indexed ? 1 : 3));
        return true;
    }

    bool writeRow(const uint8_t* row) override {
        if (!failure_.empty()) return false;
        const BYTE* pixels = row;
        if (!layout_.indexed) {
            // The encoder takes blue, green, red.
            for (size_t x = 0; x < row_.size(); x += 3) {
                row_[x] = row[x + 2];
                row_[x + 1] = row[x + 1];
                row_[x + 2] = row[x];
            }
            pixels = row_.data();
        }
        UINT size = static_cast<UINT>(row_.size());
        HRESULT result = frame_->WritePixels(1, size, size, const_cast<BYTE*>(pixels));
        return SUCCEEDED(result) || fail("writing a row", result);
    }

    bool finish() override {
        if (!failure_.empty()) return false;
        HRESULT result;
        if (FAILED(result = frame_->Commit())) return fail("completing the frame", result);
        if (FAILED(result = encoder_->Commit())) return fail("completing the file", result);
        release(frame_);
        release(encoder_);
        return true;
    }

    std::string failure() const override { return failure_; }

private:
    bool setPalette() {
        std::vector<WICColor> colours;
        for (size_t i = 0; i < layout_.colours.size(); ++i) {
            const palette::Colour& c = layout_.colours[i];
            UINT alpha = static_cast<int>(i) == layout_.transparentIndex ? 0u : 0xFFu;
            colours.push_back((alpha << 24) | (UINT{c.red} << 16) | (UINT{c.green} << 8) | UINT{c.blue});
        }
        IWICPalette* palette = nullptr;
        HRESULT result = session_.factory().CreatePalette(&palette);
        if (SUCCEEDED(result)) result = palette->InitializeCustom(colours.data(), static_cast<UINT>(colours.size()));
        if (SUCCEEDED(result)) result = frame_->SetPalette(palette);
        release(palette);
        return SUCCEEDED(result) || fail("the palette", result);
    }

    bool fail(const char* what, HRESULT result) {
        // A failed write is the file's, told in the system's words.
        if (stream_.error() != 0) {
            char reason[256];
            describeSystemError(stream_.error(), reason, sizeof reason);
            failure_ = reason;
        } else {
            failure_ = hresultText(what, result);
        }
        return false;
    }

    ImageLayout layout_;
    WicSession session_;  // released last
    OutputStream stream_;
    IWICBitmapEncoder* encoder_ = nullptr;
    IWICBitmapFrameEncode* frame_ = nullptr;
    std::vector<BYTE> row_;
    std::string failure_;
};

}  // namespace

std::unique_ptr<ImageWriter> createPngWriter(OutputFile& file, const ImageLayout& layout, std::string& reason) {
    auto writer = std::make_unique<WicWriter>(file);
    if (!writer->open(layout)) {
        reason = writer->failure();
        return nullptr;
    }
    return writer;
}

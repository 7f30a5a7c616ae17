#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <vector>

#include "ImageWriter.h"

namespace {

template <typename T>
void release(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

std::string hresultText(const char* what, HRESULT result) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (HRESULT 0x%08lX)", what, static_cast<unsigned long>(result));
    return text;
}

// The Windows Imaging Component's PNG encoder, fed one row at a time.
class WicWriter : public ImageWriter {
public:
    ~WicWriter() override {
        release(frame_);
        release(encoder_);
        release(stream_);
        release(factory_);
        if (comStarted_) CoUninitialize();
    }

    bool open(const std::filesystem::path& path, const ImageLayout& layout) {
        layout_ = layout;
        HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        comStarted_ = SUCCEEDED(result);  // S_FALSE also needs its CoUninitialize
        if (FAILED(result) && result != RPC_E_CHANGED_MODE) return fail("starting COM", result);
        if (FAILED(result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IWICImagingFactory, reinterpret_cast<void**>(&factory_))))
            return fail("the imaging component", result);
        if (FAILED(result = factory_->CreateStream(&stream_))) return fail("a stream", result);
        if (FAILED(result = stream_->InitializeFromFilename(path.c_str(), GENERIC_WRITE)))
            return fail("creating the file", result);
        if (FAILED(result = factory_->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder_)))
            return fail("the PNG encoder", result);
        if (FAILED(result = encoder_->Initialize(stream_, WICBitmapEncoderNoCache)))
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
        result = stream_->Commit(STGC_DEFAULT);
        if (FAILED(result) && result != E_NOTIMPL) return fail("writing the file", result);
        release(frame_);
        release(encoder_);
        release(stream_);  // closes the file
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
        HRESULT result = factory_->CreatePalette(&palette);
        if (SUCCEEDED(result)) result = palette->InitializeCustom(colours.data(), static_cast<UINT>(colours.size()));
        if (SUCCEEDED(result)) result = frame_->SetPalette(palette);
        release(palette);
        return SUCCEEDED(result) || fail("the palette", result);
    }

    bool fail(const char* what, HRESULT result) {
        failure_ = hresultText(what, result);
        return false;
    }

    ImageLayout layout_;
    bool comStarted_ = false;
    IWICImagingFactory* factory_ = nullptr;
    IWICStream* stream_ = nullptr;
    IWICBitmapEncoder* encoder_ = nullptr;
    IWICBitmapFrameEncode* frame_ = nullptr;
    std::vector<BYTE> row_;
    std::string failure_;
};

}  // namespace

std::unique_ptr<ImageWriter> createPngWriter(const std::filesystem::path& file,
                                             const ImageLayout& layout, std::string& reason) {
    auto writer = std::make_unique<WicWriter>();
    if (!writer->open(file, layout)) {
        reason = writer->failure();
        return nullptr;
    }
    return writer;
}

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

// The encoder's output: a stream that writes through the caller's OutputFile, at the
// position the encoder seeks to.
class OutputStream final : public IStream {
public:
    explicit OutputStream(OutputFile& file) : file_(file) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id == IID_IUnknown || id == IID_IStream || id == IID_ISequentialStream) {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // owned by the writer

    HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG* read) override {
        if (read != nullptr) *read = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override {
        if (written != nullptr) *written = 0;
        if (!file_.writeAt(position_, data, size)) return HRESULT_FROM_WIN32(static_cast<DWORD>(file_.error()));
        position_ += size;
        if (position_ > size_) size_ = position_;
        if (written != nullptr) *written = size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* moved) override {
        int64_t base = origin == STREAM_SEEK_SET ? 0
                       : origin == STREAM_SEEK_CUR ? static_cast<int64_t>(position_)
                                                   : static_cast<int64_t>(size_);
        int64_t to = base + move.QuadPart;
        if (to < 0) return STG_E_INVALIDFUNCTION;
        position_ = static_cast<uint64_t>(to);
        if (moved != nullptr) moved->QuadPart = position_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = size_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override {
        *clone = nullptr;
        return E_NOTIMPL;
    }

    // Why the last write failed, for messages.
    int error() const { return file_.error(); }

private:
    OutputFile& file_;
    uint64_t position_ = 0;
    uint64_t size_ = 0;
    ULONG references_ = 1;
};

// The Windows Imaging Component's PNG encoder, fed one row at a time.
class WicWriter : public ImageWriter {
public:
    explicit WicWriter(OutputFile& file) : stream_(file) {}
    ~WicWriter() override {
        release(frame_);
        release(encoder_);
        release(factory_);
        if (comStarted_) CoUninitialize();
    }

    bool open(const ImageLayout& layout) {
        layout_ = layout;
        HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        comStarted_ = SUCCEEDED(result);  // S_FALSE also needs its CoUninitialize
        if (FAILED(result) && result != RPC_E_CHANGED_MODE) return fail("starting COM", result);
        if (FAILED(result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IWICImagingFactory, reinterpret_cast<void**>(&factory_))))
            return fail("the imaging component", result);
        if (FAILED(result = factory_->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder_)))
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
        HRESULT result = factory_->CreatePalette(&palette);
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
    bool comStarted_ = false;
    IWICImagingFactory* factory_ = nullptr;
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

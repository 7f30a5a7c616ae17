#include "WicCom.h"

#include <cstdio>

std::string hresultText(const char* what, HRESULT result) {
    char text[160];
    std::snprintf(text, sizeof text, "%s failed (HRESULT 0x%08lX)", what, static_cast<unsigned long>(result));
    return text;
}

WicSession::~WicSession() {
    release(factory_);
    if (comStarted_) CoUninitialize();
}

bool WicSession::start(std::string& failure) {
    HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    comStarted_ = SUCCEEDED(result);  // S_FALSE also needs its CoUninitialize
    if (FAILED(result) && result != RPC_E_CHANGED_MODE) {
        failure = hresultText("starting COM", result);
        return false;
    }
    result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory_));
    if (FAILED(result)) {
        failure = hresultText("the imaging component", result);
        return false;
    }
    return true;
}

HRESULT OffsetStream::QueryInterface(REFIID id, void** object) {
    if (id == IID_IUnknown || id == IID_IStream || id == IID_ISequentialStream) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT OffsetStream::Read(void* data, ULONG size, ULONG* read) {
    ULONG done = 0;
    HRESULT result = readAt(position_, data, size, done);
    if (read != nullptr) *read = done;
    if (FAILED(result)) return result;
    position_ += done;
    return done < size ? S_FALSE : S_OK;
}

HRESULT OffsetStream::Write(const void* data, ULONG size, ULONG* written) {
    if (written != nullptr) *written = 0;
    HRESULT result = writeAt(position_, data, size);
    if (FAILED(result)) return result;
    position_ += size;
    if (position_ > size_) size_ = position_;
    if (written != nullptr) *written = size;
    return S_OK;
}

HRESULT OffsetStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* moved) {
    int64_t base = origin == STREAM_SEEK_SET ? 0
                   : origin == STREAM_SEEK_CUR ? static_cast<int64_t>(position_)
                                               : static_cast<int64_t>(size_);
    int64_t to = base + move.QuadPart;
    if (to < 0) return STG_E_INVALIDFUNCTION;
    position_ = static_cast<uint64_t>(to);
    if (moved != nullptr) moved->QuadPart = position_;
    return S_OK;
}

HRESULT OffsetStream::Stat(STATSTG* stat, DWORD) {
    *stat = STATSTG{};
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = size_;
    return S_OK;
}

HRESULT OffsetStream::readAt(uint64_t, void*, ULONG, ULONG& done) {
    done = 0;
    return E_NOTIMPL;
}

HRESULT OffsetStream::writeAt(uint64_t, const void*, ULONG) { return E_NOTIMPL; }

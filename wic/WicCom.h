#pragma once
// What every use of the Windows Imaging Component shares: COM started for one user and the
// imaging factory, interfaces released once, an HRESULT in words, and a stream over a file
// that the file services opened or the output file writes (never a file opened by name).

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <string>

template <typename T>
void release(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

// "what failed (HRESULT 0x80070002)".
std::string hresultText(const char* what, HRESULT result);

// COM started on this thread for as long as the object lives, and the imaging factory.
class WicSession {
public:
    WicSession() = default;
    WicSession(const WicSession&) = delete;
    WicSession& operator=(const WicSession&) = delete;
    ~WicSession();

    // Starts COM (in whichever apartment the thread already has) and makes the factory;
    // false with failure set when either cannot be had.
    bool start(std::string& failure);
    IWICImagingFactory& factory() { return *factory_; }

private:
    bool comStarted_ = false;
    IWICImagingFactory* factory_ = nullptr;
};

// A stream at a position of its own over bytes that are read or written at absolute
// offsets: the reading or writing side is the subclass's. It is owned by whoever made it,
// not by its references.
class OffsetStream : public IStream {
public:
    explicit OffsetStream(uint64_t size = 0) : size_(size) {}
    virtual ~OffsetStream() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* moved) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override {
        *clone = nullptr;
        return E_NOTIMPL;
    }

protected:
    // Up to size bytes at offset into data; done is how many (fewer only at the end).
    virtual HRESULT readAt(uint64_t offset, void* data, ULONG size, ULONG& done);
    // All size bytes at offset.
    virtual HRESULT writeAt(uint64_t offset, const void* data, ULONG size);

private:
    uint64_t position_ = 0;
    uint64_t size_ = 0;
    ULONG references_ = 1;
};

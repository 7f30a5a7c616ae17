#pragma once
// The conversion's large buffers. Each is taken once, in the check step, before anything
// is written; a buffer that cannot be had is a result the caller reports, never an
// exception, and nothing after the check allocates.

#include <cstddef>
#include <cstdint>

class Buffer {
public:
    Buffer() = default;
    ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // Makes the buffer exactly size bytes, zero-filled; false (and empty) when the memory
    // cannot be had.
    bool allocate(size_t size);
    void release();

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// Where buffers come from: the C library's calloc, unless a test has put a function in
// its place (null gives the C library's back). Tests use it to run out of memory.
using BufferAllocator = void* (*)(size_t size);
void setBufferAllocatorForTesting(BufferAllocator allocator);

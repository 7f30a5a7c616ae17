#include "Buffer.h"

#include <cstdlib>

namespace {

void* systemAllocate(size_t size) { return std::calloc(size == 0 ? 1 : size, 1); }

BufferAllocator allocator = systemAllocate;

}  // namespace

void setBufferAllocatorForTesting(BufferAllocator replacement) {
    allocator = replacement != nullptr ? replacement : systemAllocate;
}

Buffer::~Buffer() { release(); }

bool Buffer::allocate(size_t size) {
    release();
    data_ = static_cast<uint8_t*>(allocator(size));
    if (data_ == nullptr) return false;
    size_ = size;
    return true;
}

void Buffer::release() {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
}

// The tile writer's working memory does not grow with the bitmap's height: it holds a
// row of tiles at a time, never the bitmap. Measured as the peak of heap bytes in use
// while writeTiles runs (this program counts every allocation), over a bitmap served by
// file services that make its bytes up on the fly and throw the tiles away, so neither
// the disk nor the test holds the picture either.

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "ConversionJob.h"
#include "FileServices.h"
#include "TestBitmap.h"
#include "Buffer.h"
#include "TileWriting.h"
#include "WorkedExample.h"

namespace {

std::atomic<size_t> heapInUse{0};
std::atomic<size_t> heapPeak{0};

void* counted(void* block) {
    if (block == nullptr) throw std::bad_alloc();
    size_t now = heapInUse += malloc_usable_size(block);
    size_t peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
    return block;
}

void uncounted(void* block) {
    if (block == nullptr) return;
    heapInUse -= malloc_usable_size(block);
    std::free(block);
}

}  // namespace

void* operator new(size_t size) { return counted(std::malloc(size == 0 ? 1 : size)); }
void* operator new[](size_t size) { return counted(std::malloc(size == 0 ? 1 : size)); }
void* operator new(size_t size, std::align_val_t align) {
    size_t a = static_cast<size_t>(align);
    return counted(std::aligned_alloc(a, (std::max<size_t>(size, 1) + a - 1) / a * a));
}
void* operator new[](size_t size, std::align_val_t align) { return operator new(size, align); }
void operator delete(void* block) noexcept { uncounted(block); }
void operator delete[](void* block) noexcept { uncounted(block); }
void operator delete(void* block, size_t) noexcept { uncounted(block); }
void operator delete[](void* block, size_t) noexcept { uncounted(block); }
void operator delete(void* block, std::align_val_t) noexcept { uncounted(block); }
void operator delete[](void* block, std::align_val_t) noexcept { uncounted(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { uncounted(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { uncounted(block); }

namespace {

// A 24-bit bitmap of any size that exists only as a rule for its bytes.
class SyntheticBitmap final : public FileReading {
public:
    SyntheticBitmap(int32_t width, int32_t height) {
        BitmapHeaderFields fields;
        fields.width = width;
        fields.height = height;
        headers_ = bitmapHeaders(fields);
        size_ = static_cast<uint64_t>(headers_.size()) + 3ull * static_cast<uint64_t>(width) * height;
    }

    bool fileExists(const char*) override { return true; }
    Handle openForReading(const char*) override { return 1; }
    int64_t fileSize(Handle) override { return static_cast<int64_t>(size_); }
    int64_t readAt(Handle, uint64_t offset, void* buffer, size_t size) override {
        largestRead = std::max(largestRead, size);
        auto* out = static_cast<uint8_t*>(buffer);
        size_t count = offset >= size_ ? 0 : static_cast<size_t>(std::min<uint64_t>(size, size_ - offset));
        for (size_t i = 0; i < count; ++i) {
            uint64_t at = offset + i;
            out[i] = at < headers_.size() ? headers_[at] : static_cast<uint8_t>(at * 2654435761u >> 13);
        }
        return static_cast<int64_t>(count);
    }
    bool identify(Handle, FileIdentity& identity) override { return identifyPath("", identity); }
    bool identifyPath(const char*, FileIdentity& identity) override {
        identity.file = 1;
        identity.size = static_cast<int64_t>(size_);
        return true;
    }
    void close(Handle) override {}
    int lastError() override { return 0; }

    size_t largestRead = 0;

private:
    std::vector<uint8_t> headers_;
    uint64_t size_ = 0;
};

// An output folder where every file is counted and dropped.
class DroppingOutput final : public OutputFolder {
public:
    Entry entryAt(const char*) override { return Entry::Missing; }
    bool fileExists(const char*) override { return false; }
    bool makeFolder(const char*) override { return true; }
    Handle createFile(const char*) override { return 2; }
    Handle createUniqueFile(const char*, char* path, size_t) override {
        path[0] = '\0';
        return 2;
    }
    LockResult lockFile(const char*, Handle& file) override {
        file = 3;
        return LockResult::Locked;
    }
    bool writeAll(Handle, const void*, size_t size) override {
        bytesWritten += size;
        return true;
    }
    bool writeAllAt(Handle, uint64_t, const void*, size_t size) override { return writeAll(0, nullptr, size); }
    bool close(Handle) override { return true; }
    bool replaceWith(const char*, const char*) override { return true; }
    MoveResult moveNoReplace(const char*, const char*) override { return MoveResult::Moved; }
    bool removeFile(const char*) override { return true; }
    bool removeFolder(const char*) override { return true; }
    bool identify(const char*, FileIdentity&) override { return false; }
    bool listFolder(const char*, EntryCallback, void*) override { return false; }
    int lastError() override { return 0; }
    const char* location() const override { return "memory"; }

    uint64_t bytesWritten = 0;
};

// The conversion's buffers, counted like every other block.
void* countedBuffer(size_t size) { return counted(std::calloc(size == 0 ? 1 : size, 1)); }

class CountingFeedback : public UserFeedback {
public:
    void showMessage(const char*, const char*, MessageIcon) override { ++messages; }
    void showWaitCursor() override {}
    void showArrowCursor() override {}
    int messages = 0;
};

struct WriteMeasure {
    size_t peakHeap;    // bytes in use at the most, above what was in use before
    size_t largestRead; // one read call, bytes
};

WriteMeasure writeAllTiles(int32_t width, int32_t height, int threads) {
    ConversionJob job = workedExampleJob(width, height);
    job.bitmapAccepted = 1;
    SyntheticBitmap bitmap(width, height);
    DroppingOutput output;
    CountingFeedback feedback;
    setBufferAllocatorForTesting(countedBuffer);

    const size_t before = heapInUse.load();
    heapPeak = before;
    EXPECT_EQ(writeTilesOf(job, bitmap, output, feedback, threads), TileWriteResult::Written);
    const size_t peak = heapPeak.load() - before;
    setBufferAllocatorForTesting(nullptr);

    EXPECT_EQ(feedback.messages, 0);
    EXPECT_EQ(output.bytesWritten, static_cast<uint64_t>(job.tileCount) * kTileFileSize);
    return {peak, bitmap.largestRead};
}

TEST(TileWriterMemory, DoesNotGrowWithTheBitmapsHeight) {
    for (int threads : {1, 2}) {
        for (int32_t width : {480, 1600}) {
            SCOPED_TRACE(::testing::Message() << threads << " thread(s), width " << width);
            const WriteMeasure low = writeAllTiles(width, 480, threads);
            const WriteMeasure tall = writeAllTiles(width, 16000, threads);
            // A row of tiles of this width: what the writer may hold, twice over when
            // it reads one row while writing the other.
            const size_t tileRowBytes = static_cast<size_t>(width / 160) * kTileFileSize;
            EXPECT_LE(low.peakHeap, 4 * tileRowBytes + (2u << 20));
            // Thirty-three times the height: the same memory, but for the list of rows to do.
            EXPECT_LE(tall.peakHeap, low.peakHeap + 64 * 1024)
                << "480 rows: " << low.peakHeap << " bytes, 16000 rows: " << tall.peakHeap;
            // No read reaches beyond one row of tiles (160 stored rows).
            EXPECT_LE(tall.largestRead, static_cast<size_t>(width) * 3 * 160);
        }
    }
}

}  // namespace

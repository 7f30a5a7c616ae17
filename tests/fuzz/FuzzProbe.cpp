// The bitmap probe on arbitrary bytes. Beyond not crashing, every verdict is compared with
// an independent reading of the two headers, and the probe must keep its promises: one
// message on a refusal and none on acceptance, caption "Warning", the arrow cursor back,
// the file closed, the job untouched unless accepted, nothing read past the 54 header
// bytes, nothing written.

#include <cstdint>
#include <cstring>

#include "BitmapProbe.h"
#include "FuzzCheck.h"
#include "MemoryFileServices.h"
#include "Messages.h"
#include "RecordingFeedback.h"

namespace {

struct Expected {
    unsigned result;
    const char* message;
};

uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

Expected expectedVerdict(const uint8_t* data, size_t size) {
    if (size < 54 || data[0] != 'B' || data[1] != 'M') return {2, messages::kNotBitmap};
    unsigned bits = data[28] | data[29] << 8;
    if (bits != 24) return {3, messages::kNot24Bit};
    if (le32(data + 30) != 0) return {4, messages::kCompressed};
    int64_t width = static_cast<int32_t>(le32(data + 18));
    int64_t height = static_cast<int32_t>(le32(data + 22));
    if (width < 480 || height < 480) return {5, messages::kTooSmall};
    if (width % 160 != 0 || height % 160 != 0) return {6, messages::kNotTileMultiple};
    return {0, nullptr};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFileServices files("map.bmp", data, size);
    ConversionJob job;
    // Marks in every field the probe may write, to see whether a refusal touched them.
    std::memset(static_cast<void*>(&job), 0x5A, sizeof job);
    ConversionJob before = job;
    RecordingFeedback feedback;

    unsigned result = static_cast<unsigned>(BitmapProbe(files).probeBitmap("map.bmp", job, feedback));
    Expected expected = expectedVerdict(data, size);

    FUZZ_CHECK(result == expected.result, "the probe's verdict follows the two headers");
    FUZZ_CHECK(files.openFiles == 0, "the bitmap is closed on every path");
    FUZZ_CHECK(files.furthestRead <= 54, "only the 54 header bytes are read");
    FUZZ_CHECK(!feedback.events.empty() && feedback.events.front() == "wait" &&
                   feedback.events.back() == "arrow",
               "the wait cursor is shown and the arrow comes back");
    if (result == 0) {
        FUZZ_CHECK(feedback.messages.empty(), "an accepted bitmap shows no message");
        int32_t width = static_cast<int32_t>(le32(data + 18));
        int32_t height = static_cast<int32_t>(le32(data + 22));
        FUZZ_CHECK(job.pixelDataOffset == le32(data + 10), "pixel-data offset recorded");
        FUZZ_CHECK(job.bitmapWidth == width && job.bitmapHeight == height, "size recorded");
        FUZZ_CHECK(job.tileColumns == width / 160 && job.tileRows == height / 160, "grid recorded");
        FUZZ_CHECK(static_cast<uint32_t>(job.tileCount) ==
                       static_cast<uint32_t>(job.tileColumns) * static_cast<uint32_t>(job.tileRows),
                   "tile count recorded");
        FUZZ_CHECK(job.bitmapAccepted == before.bitmapAccepted, "the probe does not accept by itself");
    } else {
        FUZZ_CHECK(feedback.messages.size() == 1, "a refusal shows exactly one message");
        FUZZ_CHECK(feedback.messages[0].text == expected.message, "the refusal's own message");
        FUZZ_CHECK(feedback.messages[0].caption == messages::kWarningCaption, "caption Warning");
        FUZZ_CHECK(feedback.messages[0].icon == MessageIcon::Information, "information icon");
        FUZZ_CHECK(std::memcmp(&job, &before, sizeof job) == 0, "a refusal leaves the job alone");
    }
    return 0;
}

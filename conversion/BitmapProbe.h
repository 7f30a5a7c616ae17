#pragma once
// Decides whether a file is a bitmap the system converts: 24 bits per pixel,
// uncompressed, bottom-up, at least 480 by 480, both sides multiples of 160.

#include <cstdint>

#include "ConversionJob.h"
#include "FileServices.h"
#include "UserFeedback.h"

enum class BitmapProbeResult {
    Accepted = 0,
    NotFound = 1,
    Unreadable = 2,  // cannot be opened, or not a bitmap at all
    Not24Bit = 3,
    Compressed = 4,
    TooSmall = 5,
    NotTileMultiple = 6,
};

// The message shown for a result that refuses the file; null for Accepted. Unreadable
// has two: the file that cannot be opened, and the one that is no bitmap.
const char* bitmapProbeMessage(BitmapProbeResult result, bool opened);

class BitmapProbe {
public:
    explicit BitmapProbe(FileReading& files = platformFileReading()) : files_(files) {}

    // Reads the two headers of the file at path. On acceptance writes pixelDataOffset,
    // bitmapWidth, bitmapHeight, tileColumns, tileRows and tileCount into the job; on a
    // refusal shows its message (caption "Warning") and changes nothing in the job.
    BitmapProbeResult probeBitmap(const char* path, ConversionJob& job, UserFeedback& feedback);

private:
    FileReading& files_;
};

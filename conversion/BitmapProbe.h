#pragma once
// Decides whether a file is a bitmap the system converts: 24 bits per pixel,
// uncompressed, bottom-up, at least 480 by 480, both sides multiples of 160.

#include <cstdint>

#include "ConversionJob.h"
#include "FileServices.h"
#include "UserFeedback.h"

enum BitmapProbeResult : unsigned {
    kBitmapAccepted = 0,
    kBitmapNotFound = 1,
    kBitmapUnreadable = 2,  // cannot be opened, or not a bitmap at all
    kBitmapNot24Bit = 3,
    kBitmapCompressed = 4,
    kBitmapTooSmall = 5,
    kBitmapNotTileMultiple = 6,
};

inline constexpr int kBitmapHeadersSize = 54;  // 14-byte file header, 40-byte info header

class BitmapProbe {
public:
    explicit BitmapProbe(FileServices& files = platformFileServices()) : files_(files) {}

    // Reads the two headers of the file at path. On acceptance writes pixelDataOffset,
    // bitmapWidth, bitmapHeight, tileColumns, tileRows and tileCount into the job; on a
    // refusal shows its message (caption "Warning") and changes nothing in the job.
    unsigned probeBitmap(const char* path, ConversionJob& job, UserFeedback& feedback);

private:
    FileServices& files_;
};

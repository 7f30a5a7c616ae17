#include "BitmapProbe.h"

#include "BigEndian.h"
#include "GridRule.h"
#include "Messages.h"

// Fields of the two bitmap headers, by offset from the start of the file (little-endian):
//   0  file type, 'B' 'M'
//  10  offset of the pixel data
//  18  width in pixels (signed)
//  22  height in pixels (signed; negative means top-down)
//  28  bits per pixel
//  30  compression (0: none)
// Nothing else is looked at: the pixels are found through the pixel-data offset alone.

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

}  // namespace

const char* bitmapProbeMessage(BitmapProbeResult result, bool opened) {
    switch (result) {
        case BitmapProbeResult::Accepted: return nullptr;
        case BitmapProbeResult::NotFound: return messages::kCannotFindBitmap;
        case BitmapProbeResult::Unreadable: return opened ? messages::kNotBitmap : messages::kCannotOpenBitmap;
        case BitmapProbeResult::Not24Bit: return messages::kNot24Bit;
        case BitmapProbeResult::Compressed: return messages::kCompressed;
        case BitmapProbeResult::TooSmall: return messages::kTooSmall;
        case BitmapProbeResult::NotTileMultiple: return messages::kNotTileMultiple;
    }
    return nullptr;
}

BitmapProbeResult BitmapProbe::probeBitmap(const char* path, ConversionJob& job, UserFeedback& feedback) {
    if (!files_.fileExists(path)) {
        feedback.showMessage(bitmapProbeMessage(BitmapProbeResult::NotFound, false), messages::kWarningCaption,
                             MessageIcon::Exclamation);
        return BitmapProbeResult::NotFound;
    }
    FileReading::Handle file = files_.openForReading(path);
    if (file == FileReading::kNoFile) {
        // A named pipe or a device opens, but holds no bitmap.
        const int error = files_.lastError();
        const bool noDiskFile = error == kErrorPipeStands || error == kErrorDeviceStands;
        feedback.showMessage(bitmapProbeMessage(BitmapProbeResult::Unreadable, noDiskFile), messages::kWarningCaption,
                             MessageIcon::Information);
        return BitmapProbeResult::Unreadable;
    }
    feedback.showWaitCursor();

    auto refuse = [&](BitmapProbeResult result) {
        feedback.showMessage(bitmapProbeMessage(result, true), messages::kWarningCaption, MessageIcon::Information);
        files_.close(file);
        feedback.showArrowCursor();
        return result;
    };

    uint8_t headers[kBitmapHeadersSize] = {};
    // A file that ends inside its headers is no bitmap: none of its fields can be trusted.
    int64_t fileHeaderRead = files_.readAt(file, 0, headers, kFileHeaderSize);
    if (fileHeaderRead != kFileHeaderSize || headers[0] != 'B' || headers[1] != 'M')
        return refuse(BitmapProbeResult::Unreadable);
    int64_t infoHeaderRead = files_.readAt(file, kFileHeaderSize, headers + kFileHeaderSize, kInfoHeaderSize);
    if (infoHeaderRead != kInfoHeaderSize) return refuse(BitmapProbeResult::Unreadable);

    uint32_t pixelDataOffset = getLittleEndian32(headers + 10);
    auto width = static_cast<int32_t>(getLittleEndian32(headers + 18));
    auto height = static_cast<int32_t>(getLittleEndian32(headers + 22));
    uint16_t bitsPerPixel = getLittleEndian16(headers + 28);
    uint32_t compression = getLittleEndian32(headers + 30);

    if (bitsPerPixel != 24) return refuse(BitmapProbeResult::Not24Bit);
    if (compression != 0) return refuse(BitmapProbeResult::Compressed);
    if (width < kSmallestPictureSide || height < kSmallestPictureSide)
        return refuse(BitmapProbeResult::TooSmall);
    if (width % kTileSide != 0 || height % kTileSide != 0)
        return refuse(BitmapProbeResult::NotTileMultiple);

    job.pixelDataOffset = pixelDataOffset;
    job.bitmapWidth = width;
    job.bitmapHeight = height;
    job.tileColumns = width / kTileSide;
    job.tileRows = height / kTileSide;
    // Computed unsigned: absurd sizes wrap instead of overflowing; such a file cannot hold
    // its pixels and is refused before anything is written.
    job.tileCount = static_cast<int32_t>(static_cast<uint32_t>(job.tileColumns) *
                                         static_cast<uint32_t>(job.tileRows));
    files_.close(file);
    feedback.showArrowCursor();
    return BitmapProbeResult::Accepted;
}

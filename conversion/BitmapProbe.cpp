#include "BitmapProbe.h"

#include "BitmapHeaders.h"
#include "GridRule.h"
#include "Messages.h"

// The headers are read as the conversion reads them (BitmapHeaders.h): the 40-byte
// kind's fields, whatever the header's size says. Nothing else is looked at: the pixels
// are found through the pixel-data offset alone.

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

    // A file that ends inside its headers is no bitmap: none of its fields can be trusted.
    BitmapHeaders headers;
    if (readBitmapHeaders(files_, file, HeaderLayout::Conversion, headers) != HeaderReading::Read)
        return refuse(BitmapProbeResult::Unreadable);
    if (headers.bitsPerPixel != 24) return refuse(BitmapProbeResult::Not24Bit);
    if (headers.compression != 0) return refuse(BitmapProbeResult::Compressed);
    switch (pictureSizeFit(headers.width, headers.height)) {
        case PictureSizeFit::Fits: break;
        case PictureSizeFit::TooSmall: return refuse(BitmapProbeResult::TooSmall);
        case PictureSizeFit::OffTheGrid: return refuse(BitmapProbeResult::NotTileMultiple);
    }

    job.pixelDataOffset = headers.pixelDataOffset;
    job.bitmapWidth = headers.width;
    job.bitmapHeight = headers.height;
    job.tileColumns = headers.width / kTileSide;
    job.tileRows = headers.height / kTileSide;
    // Computed unsigned: absurd sizes wrap instead of overflowing; such a file cannot hold
    // its pixels and is refused before anything is written.
    job.tileCount = static_cast<int32_t>(static_cast<uint32_t>(job.tileColumns) *
                                         static_cast<uint32_t>(job.tileRows));
    files_.close(file);
    feedback.showArrowCursor();
    return BitmapProbeResult::Accepted;
}

#include "Conversion.h"

#include "IndexWriter.h"
#include "Messages.h"
#include "TileWriter.h"

BitmapData checkBitmapData(const ConversionJob& job, FileServices& files) {
    FileServices::Handle bitmap = files.openForReading(job.bitmapPath);
    if (bitmap == FileServices::kNoFile) return BitmapData::Unreadable;
    int64_t size = files.fileSize(bitmap);
    files.close(bitmap);
    if (size < 0) return BitmapData::Unreadable;
    // Width and height are positive once accepted; their product times 3 fits in 64 bits
    // unsigned (below 2^31 * 2^31 * 3), and so does the sum with a 32-bit offset.
    uint64_t pixelBytes = 3u * static_cast<uint64_t>(job.bitmapWidth) * static_cast<uint64_t>(job.bitmapHeight);
    uint64_t needed = job.pixelDataOffset + pixelBytes;
    bool complete = needed >= pixelBytes && static_cast<uint64_t>(size) >= needed;
    return complete ? BitmapData::Complete : BitmapData::Short;
}

ConversionOutcome runConversion(ConversionJob& job, const SettingsText& texts, UserFeedback& feedback,
                                FileServices& files) {
    feedback.showWaitCursor();
    if (job.bitmapAccepted == 0) {
        feedback.showArrowCursor();
        return ConversionOutcome::NoBitmap;
    }
    SettingsError error = applySettings(job, texts);
    if (error != SettingsError::NoError) {
        feedback.showMessage(settingsErrorMessage(error), messages::kNoCaption, MessageIcon::Information);
        feedback.showArrowCursor();
        return ConversionOutcome::SettingsRefused;
    }
    // A bitmap changed or cut short after it was chosen would otherwise give tiles of
    // garbage; refuse it before anything is written.
    BitmapData data = checkBitmapData(job, files);
    if (data != BitmapData::Complete) {
        feedback.showMessage(data == BitmapData::Short ? messages::kBitmapTruncated : messages::kCannotReadBitmap,
                             messages::kWarningCaption, MessageIcon::Exclamation);
        feedback.showArrowCursor();
        return ConversionOutcome::BitmapUnusable;
    }
    if (IndexWriter(files).writeIndex(job, feedback) != kIndexWritten) {
        feedback.showArrowCursor();
        return ConversionOutcome::OutputFailed;
    }
    if (TileWriter(files).writeTiles(job, feedback) != kTilesWritten) {
        feedback.showArrowCursor();
        return ConversionOutcome::OutputFailed;
    }
    feedback.showMessage(messages::kSuccess, messages::kNoCaption, MessageIcon::Information);
    feedback.showArrowCursor();
    return ConversionOutcome::Converted;
}

#include "BitmapChoice.h"

#include <cstring>

#include "BitmapProbe.h"
#include "Messages.h"

BitmapChoice chooseBitmap(const char* path, ConversionJob& job, UserFeedback& feedback, FileReading& files) {
    size_t length = strnlen(path, sizeof job.bitmapPath);
    if (length == sizeof job.bitmapPath) {
        feedback.showMessage(messages::kCannotOpenBitmap, messages::kWarningCaption, MessageIcon::Information);
        return BitmapChoice::Refused;
    }
    if (BitmapProbe(files).probeBitmap(path, job, feedback) != BitmapProbeResult::Accepted) return BitmapChoice::Refused;

    std::memcpy(job.bitmapPath, path, length + 1);
    FileReading::Handle bitmap = files.openForReading(path);
    if (bitmap == FileReading::kNoFile) {
        feedback.showMessage(messages::kCannotOpenBitmapFile, messages::kWarningCaption, MessageIcon::Information);
        job.bitmapAccepted = 0;
        return BitmapChoice::CannotReopen;
    }
    files.close(bitmap);
    job.bitmapAccepted = 1;
    return BitmapChoice::Accepted;
}

#pragma once
// What happens when the user has picked a bitmap file: the probe, then a check that the
// file opens again for reading. Only then may CONVERT run on it.

#include "ConversionJob.h"
#include "FileServices.h"
#include "UserFeedback.h"

enum class BitmapChoice {
    Refused,       // the probe refused it and said why; the job is as it was
    CannotReopen,  // accepted by the probe but cannot be opened again: the job holds the new
                   // path and geometry, not accepted ("Error : Cannot open bitmap file.")
    Accepted,      // the job holds the bitmap and is marked accepted
};

// path is the file's full path; a path that does not fit the job is refused like a file
// that cannot be opened.
BitmapChoice chooseBitmap(const char* path, ConversionJob& job, UserFeedback& feedback,
                          FileReading& files = platformFileReading());

#pragma once
// The CONVERT command: settings, index file, tile files, one message at the end.

#include "ConversionJob.h"
#include "FileServices.h"
#include "Settings.h"
#include "UserFeedback.h"

// What became of one CONVERT. The dialog needs none of it (every outcome has been shown
// to the user); the command line turns it into its exit code.
enum class ConversionOutcome {
    Converted,          // "SUCCESS : File convert finish." was shown
    NoBitmap,           // no accepted bitmap: nothing shown, nothing written
    SettingsRefused,    // a setting failed validation: nothing written
    BitmapUnusable,     // the bitmap no longer holds its pixels: nothing written
    OutputFailed,       // a writer failed and showed its warning
};

ConversionOutcome runConversion(ConversionJob& job, const SettingsText& texts,
                                UserFeedback& feedback,
                                FileServices& files = platformFileServices());

// What the accepted bitmap file holds now, at CONVERT.
enum class BitmapData {
    Complete,    // opens and holds every pixel its header promises
    Unreadable,  // cannot be opened or measured any more: removed, or replaced by a folder
    Short,       // holds fewer bytes than its header promises
};
BitmapData checkBitmapData(const ConversionJob& job, FileServices& files);
inline bool bitmapDataComplete(const ConversionJob& job, FileServices& files) {
    return checkBitmapData(job, files) == BitmapData::Complete;
}

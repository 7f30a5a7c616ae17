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

// Whether the accepted bitmap still opens and holds every pixel its header promises.
bool bitmapDataComplete(const ConversionJob& job, FileServices& files);

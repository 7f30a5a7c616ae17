#pragma once
// What the benchmark programs share: a job for a bitmap with fixed settings, checked as
// CONVERT checks it, the write step into the current folder, and feedback that prints
// failures.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "BitmapProbe.h"
#include "ConversionJob.h"
#include "Conversion.h"
#include "UserFeedback.h"

namespace bench {

class PrintingFeedback : public UserFeedback {
public:
    void showMessage(const char* text, const char* caption, MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    }
    void showWaitCursor() override {}
    void showArrowCursor() override {}
};

// Usage of the programs: PROGRAM BITMAP OUTPUT_DIR FOLDER [THREADS]. The output
// folder tree is made inside OUTPUT_DIR, which becomes the current directory.
struct Arguments {
    std::string bitmap;
    std::string folder;
    int threads = 0;
};

inline bool parseArguments(int argc, char** argv, Arguments& args) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s BITMAP OUTPUT_DIR FOLDER [THREADS]\n", argv[0]);
        return false;
    }
    args.bitmap = std::filesystem::absolute(argv[1]).string();
    args.folder = argv[3];
    args.threads = argc > 4 ? std::atoi(argv[4]) : 0;
    std::error_code error;
    std::filesystem::current_path(argv[2], error);
    if (error) {
        std::fprintf(stderr, "%s: %s\n", argv[2], error.message().c_str());
        return false;
    }
    return true;
}

// The settings every benchmark converts with; dither as asked.
inline SettingsText benchSettings(const std::string& folder, bool dither = false) {
    SettingsText texts;
    texts.mapName = "BENCH MAP";
    texts.folderName = folder;
    texts.topLeftLatitude = {"35", "40", "0"};
    texts.topLeftLongitude = {"139", "45", "0"};
    texts.bottomRightLatitude = {"35", "39", "0"};
    texts.bottomRightLongitude = {"139", "46", "0"};
    texts.eastWestDistance = "1852";
    texts.northSouthDistance = "926";
    texts.dither = dither;
    return texts;
}

// Probes the bitmap and runs the check step, as CONVERT does before it writes.
inline bool prepareJob(const Arguments& args, ConversionJob& job, CheckedConversion& checked, bool dither = false) {
    PrintingFeedback feedback;
    if (BitmapProbe().probeBitmap(args.bitmap.c_str(), job, feedback) != BitmapProbeResult::Accepted) return false;
    std::snprintf(job.bitmapPath, sizeof job.bitmapPath, "%s", args.bitmap.c_str());
    job.bitmapAccepted = 1;
    return checkConversion(job, benchSettings(args.folder, dither), feedback, checked) == ConversionOutcome::Converted;
}

// The write step into the current folder with the given threads.
inline bool writeMap(CheckedConversion& checked, int threads) {
    PrintingFeedback feedback;
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(".", error);
    if (!output) return false;
    WriteOptions options;
    options.threadCount = threads;
    return writeConversion(checked, *output, feedback, options).outcome == ConversionOutcome::Converted;
}

}  // namespace bench

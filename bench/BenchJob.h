#pragma once
// What the benchmark programs share: a job for a bitmap with fixed settings, the output
// folders made as a conversion makes them, and feedback that prints failures.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "BitmapProbe.h"
#include "ConversionJob.h"
#include "IndexWriter.h"
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

// Probes the bitmap, fills the settings and makes the folders with the index file.
inline bool prepareJob(const Arguments& args, ConversionJob& job) {
    PrintingFeedback feedback;
    if (BitmapProbe().probeBitmap(args.bitmap.c_str(), job, feedback) != BitmapProbeResult::Accepted) return false;
    std::snprintf(job.bitmapPath, sizeof job.bitmapPath, "%s", args.bitmap.c_str());
    std::snprintf(job.mapName, sizeof job.mapName, "BENCH MAP");
    std::snprintf(job.folderName, sizeof job.folderName, "%s", args.folder.c_str());
    job.topLeftLatitude = 128400000;
    job.topLeftLongitude = 503100000;
    job.bottomRightLatitude = 128340000;
    job.bottomRightLongitude = 503160000;
    job.eastWestDistance = 18520;
    job.northSouthDistance = 9260;
    job.bitmapAccepted = 1;
    return IndexWriter().writeIndex(job, feedback) == kIndexWritten;
}

}  // namespace bench

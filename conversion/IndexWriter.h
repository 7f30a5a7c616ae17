#pragma once
// The index file <folder>.vlm and the output folder tree.

#include <cstdint>

#include "ConversionJob.h"
#include "FileServices.h"
#include "IndexFormat.h"
#include "UserFeedback.h"

enum IndexWriteResult : int {
    kIndexWritten = 0,
    kIndexExists = 1,         // an index file of that name exists; it is left untouched
    kIndexCreateFailed = 2,
    kIndexWriteFailed = 3,    // disk full or I/O error; the half-written file is removed
};

class IndexWriter {
public:
    explicit IndexWriter(FileServices& files = platformFileServices()) : files_(files) {}

    // Makes <folder>, <folder>\layer1 and one level folder per row of tiles, then writes
    // <folder>.vlm unless it exists. Shows its own warning on every failure.
    int writeIndex(const ConversionJob& job, UserFeedback& feedback);

private:
    FileServices& files_;
};

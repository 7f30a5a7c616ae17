#pragma once
// Writes the tiles of an accepted job as the write step does (the bitmap opened as the
// check step opens it, the buffers taken), for tests that look at the tile writer alone.

#include "BitmapSource.h"
#include "FileServices.h"
#include "TileWriter.h"

inline TileWriteResult writeTilesOf(const ConversionJob& job, FileReading& reading, OutputFolder& output,
                                    UserFeedback& feedback, int threadCount = 0) {
    BitmapSource source(reading);
    TileBuffers buffers;
    if (source.open(job) != BitmapData::Complete || !source.allocate() || !buffers.allocate(job))
        return TileWriteResult::SourceReadFailed;
    return TileWriter(output, source, buffers, threadCount).writeTiles(job, feedback);
}

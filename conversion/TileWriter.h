#pragma once
// Writes the tile files <folder>\layer1\levelRRR\smplCCCRRR.map (layout in TileFormat.h).

#include <cstdint>

#include "ConversionJob.h"
#include "FileServices.h"
#include "TileFormat.h"
#include "UserFeedback.h"

enum TileWriteResult : int {
    kTilesWritten = 0,
    kTileCreateFailed = 1,
    kTileWriteFailed = 2,     // disk full or I/O error; the half-written tile is removed
    kBitmapReadFailed = 3,    // the bitmap cannot be opened or read any more
};

class TileWriter {
public:
    // threadCount 0 uses two threads where the machine has two cores or more; 1 does
    // everything on the calling thread; 2 or more reads and converts on a second thread
    // while the calling thread writes. Messages and progress always come from the caller.
    explicit TileWriter(FileServices& files = platformFileServices(), int threadCount = 0)
        : files_(files), threadCount_(threadCount) {}

    // Writes every tile of the job, row of tiles by row of tiles, west to east. Stops at
    // the first failure after showing its warning; tiles written before stay.
    int writeTiles(const ConversionJob& job, UserFeedback& feedback);

    // Writes the header at the current end of a freshly created tile file.
    bool writeTileHeader(FileServices::Handle file, const ConversionJob& job,
                         const uint8_t neighbourBlock[kNeighbourBlockSize],
                         uint32_t tileTopLatitude, uint32_t tileLeftLongitude);

private:
    int threadsToUse() const;

    FileServices& files_;
    int threadCount_;
};

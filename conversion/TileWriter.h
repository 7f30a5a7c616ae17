#pragma once
// The tile files: <folder>\layer1\levelRRR\smplCCCRRR.map, each a 160-byte TileHeader
// followed by 160 rows of 160 palette indices, top row first.

#include <cstdint>

#include "ConversionJob.h"
#include "FileServices.h"
#include "UserFeedback.h"

inline constexpr int kTileHeaderSize = 160;
inline constexpr int kNeighbourBlockSize = 32;
inline constexpr int kTileFileSize = kTileHeaderSize + kTilePixels;  // 25,760 bytes

enum TileWriteResult : int {
    kTilesWritten = 0,
    kTileCreateFailed = 1,
    kTileWriteFailed = 2,     // disk full or I/O error; the half-written tile is removed
    kBitmapReadFailed = 3,    // the bitmap cannot be opened or read any more
};

// Slots 0 and 1 hold the tile's own column and row; 2 and 3 the columns east and west,
// 4 and 5 the rows south and north, where such a neighbour exists; 6 and 7 stay empty.
void fillNeighbourBlock(uint8_t block[kNeighbourBlockSize], int32_t column, int32_t row,
                        int32_t tileColumns, int32_t tileRows);

struct TileCorner {
    uint32_t topLatitude;
    uint32_t leftLongitude;
};
TileCorner tileCorner(const ConversionJob& job, int32_t column, int32_t row);

// The 160 header bytes of one tile.
void buildTileHeader(uint8_t header[kTileHeaderSize], const ConversionJob& job,
                     const uint8_t neighbourBlock[kNeighbourBlockSize], uint32_t tileTopLatitude,
                     uint32_t tileLeftLongitude);

// Byte offset in the bitmap file of pixel row j of tile (column, row): rows are stored
// bottom-up, 3 bytes a pixel, computed in 64 bits.
uint64_t sourceRowOffset(const ConversionJob& job, int32_t column, int32_t row, int32_t pixelRow);

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

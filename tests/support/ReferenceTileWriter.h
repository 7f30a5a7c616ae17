#pragma once
// The straightforward tile writer, kept as the baseline the fast one is measured and
// checked against: for each tile in order, each of its 160 pixel rows is read with one
// 480-byte read and converted pixel by pixel with quantizePixel (so it does not depend on
// which row converter the quantizer uses), then the tile file is replaced and written
// (header, then pixels) and closed.

#include "ConversionJob.h"
#include "FileServices.h"
#include "UserFeedback.h"

class ReferenceTileWriter {
public:
    explicit ReferenceTileWriter(FileServices& files = platformFileServices()) : files_(files) {}

    // Same results, warnings and files as TileWriter::writeTiles.
    int writeTiles(const ConversionJob& job, UserFeedback& feedback);

private:
    FileServices& files_;
};

#pragma once
// The straightforward tile writer, kept as the baseline the fast one is measured and
// checked against: for each tile in order, each of its 160 pixel rows is read with one
// 480-byte read and converted pixel by pixel with quantizePixel (so it does not depend on
// which row converter the quantizer uses), then the tile file is written whole under its
// ".part" name and renamed into place.

#include "ConversionJob.h"
#include "FileServices.h"
#include "TileWriter.h"
#include "UserFeedback.h"

class ReferenceTileWriter {
public:
    ReferenceTileWriter(FileReading& reading, OutputFolder& output) : reading_(reading), output_(output) {}

    // Same results, warnings and files as TileWriter::writeTiles.
    TileWriteResult writeTiles(const ConversionJob& job, UserFeedback& feedback);

private:
    FileReading& reading_;
    OutputFolder& output_;
};

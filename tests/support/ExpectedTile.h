#pragma once
// Every byte a tile of a bitmap drawn by patternPixel must hold: its header as the format
// builds it, then each pixel quantized from its own picture position, top row first. The
// one measure the whole-output checks hold files against.

#include <cstdint>
#include <vector>

#include "ColorQuantizer.h"
#include "ConversionJob.h"
#include "TestBitmap.h"
#include "TileFormat.h"

inline std::vector<uint8_t> expectedTile(const ConversionJob& job, int32_t column, int32_t row) {
    std::vector<uint8_t> tile(kTileFileSize);
    uint8_t neighbours[kNeighbourBlockSize];
    fillNeighbourBlock(neighbours, column, row, job.tileColumns, job.tileRows);
    TileCorner corner = tileCorner(job, column, row);
    buildTileHeader(tile.data(), job, neighbours, corner.topLatitude, corner.leftLongitude);
    for (int32_t y = 0; y < kTileSide; ++y)
        for (int32_t x = 0; x < kTileSide; ++x) {
            Rgb pixel = patternPixel(column * kTileSide + x, row * kTileSide + y);
            tile[kTileHeaderSize + y * kTileSide + x] = ColorQuantizer::quantizePixel(pixel.blue, pixel.green, pixel.red);
        }
    return tile;
}

#pragma once
// What the driver feeds the program and what it expects on disk, worked out here from
// the file formats and their worked examples, without the program's own code.

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A 24-bit, uncompressed, bottom-up bitmap whose pixels are drawn from the colours of
// sampleColour, laid out so that every tile, every row and every column differ.
Bytes makeSampleBitmap(int32_t width, int32_t height);
// Palette index of the sample picture's pixel (x, y), y counted from the top.
uint8_t expectedIndexAt(int32_t x, int32_t y);

// A bitmap that must be refused: 24-bit but width and height below 480.
Bytes makeSmallBitmap();

// The settings of the worked example: map SAMPLE MAP, folder area01, corners 35°40'0" /
// 139°45'0" and 35°39'0" / 139°46'0", distances 1852 m and 926 m.
struct ExampleSettings {
    const char* mapName = "SAMPLE MAP";
    const char* folderName = "area01";
    const char* fields[14] = {"35", "40", "0",  "139", "45", "0", "35",
                              "39", "0",  "139", "46", "0", "1852", "926"};
};

// The index record of the worked example for a bitmap of columns x rows tiles (3 x 3 is
// the worked example itself, byte for byte).
Bytes exampleIndexRecord(int32_t columns, int32_t rows);

// The 160-byte header of tile (column, row) of the worked example's map on a grid of
// columns x rows tiles.
Bytes exampleTileHeader(int32_t column, int32_t row, int32_t columns, int32_t rows);
// The header of tile (2, 1) of the worked example, byte for byte as the tile format
// documents it.
Bytes workedExampleTile21Header();

// A whole tile file of the sample picture converted with the worked example's settings.
Bytes exampleTileFile(int32_t column, int32_t row, int32_t columns, int32_t rows);

// Hex of the first difference between two byte strings, or "" when they are equal.
std::string firstDifference(const Bytes& actual, const Bytes& expected);

#include "Expected.h"

#include <cstdio>
#include <cstring>

#include "WorkedExampleBytes.h"

namespace {

struct SampleColour {
    uint8_t red, green, blue;
    uint8_t index;  // the palette index the tile format documents for it
};

// The worked examples of the colour reduction: greys, special colours, cube cells.
constexpr SampleColour kSampleColours[] = {
    {0, 0, 0, 230},     {255, 255, 255, 0}, {128, 128, 128, 220}, {192, 192, 192, 225},
    {100, 100, 100, 165}, {128, 0, 0, 226}, {0, 128, 128, 229},   {0, 0, 128, 203},
    {255, 0, 0, 125},   {0, 255, 0, 210},   {0, 0, 255, 95},      {200, 100, 30, 135},
    {20, 20, 21, 230},
};
constexpr int kSampleColourCount = sizeof kSampleColours / sizeof kSampleColours[0];

const SampleColour& sampleColour(int32_t x, int32_t y) {
    // Stripes 8 pixels wide and 4 high, shifted per tile, so a mix-up of rows, columns,
    // tiles or the bottom-up order shows.
    const int32_t k = (x / 8) * 7 + (y / 4) * 3 + (x / 160) * 5 + (y / 160) * 11;
    return kSampleColours[k % kSampleColourCount];
}

void put16le(Bytes& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32le(Bytes& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void put32be(Bytes& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
void putText(Bytes& out, size_t at, const char* text, size_t fieldSize) {
    const size_t length = strlen(text) < fieldSize ? strlen(text) : fieldSize;
    memcpy(out.data() + at, text, length);
}

Bytes bitmapHeaders(int32_t width, int32_t height) {
    Bytes out(54, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32le(out, 2, static_cast<uint32_t>(54 + 3 * width * height));
    put32le(out, 10, 54);
    put32le(out, 14, 40);
    put32le(out, 18, static_cast<uint32_t>(width));
    put32le(out, 22, static_cast<uint32_t>(height));
    put16le(out, 26, 1);
    put16le(out, 28, 24);
    put32le(out, 34, static_cast<uint32_t>(3 * width * height));
    return out;
}

// The worked example's numbers.
constexpr uint32_t kTopLeftLatitude = 128400000;     // 35°40'
constexpr uint32_t kTopLeftLongitude = 503100000;    // 139°45'
constexpr uint32_t kBottomRightLatitude = 128340000; // 35°39'
constexpr uint32_t kBottomRightLongitude = 503160000; // 139°46'
constexpr uint32_t kEastWest = 18520;                // 1852 m in tenths
constexpr uint32_t kNorthSouth = 9260;

}  // namespace

uint8_t expectedIndexAt(int32_t x, int32_t y) { return sampleColour(x, y).index; }

Bytes makeSampleBitmap(int32_t width, int32_t height) {
    Bytes out = bitmapHeaders(width, height);
    out.reserve(out.size() + 3 * static_cast<size_t>(width) * height);
    for (int32_t y = height - 1; y >= 0; --y) {  // bottom row first
        for (int32_t x = 0; x < width; ++x) {
            const SampleColour& c = sampleColour(x, y);
            out.push_back(c.blue);
            out.push_back(c.green);
            out.push_back(c.red);
        }
    }
    return out;
}

Bytes makeSmallBitmap() {
    Bytes out = bitmapHeaders(320, 320);
    out.resize(out.size() + 3 * 320 * 320, 0x80);
    return out;
}

Bytes exampleIndexRecord(int32_t columns, int32_t rows) {
    Bytes out(160, 0);
    ExampleSettings settings;
    putText(out, 0, settings.mapName, 32);
    putText(out, 32, settings.folderName, 32);
    putText(out, 64, "smpl", 16);
    putText(out, 80, "area01.txt", 16);
    put32be(out, 96, static_cast<uint32_t>(columns * rows));
    put32be(out, 100, static_cast<uint32_t>(columns));
    put32be(out, 104, static_cast<uint32_t>(rows));
    const uint8_t constants[8] = {0x00, 0x08, 0x00, 0x01, 0x00, 0x01, 0x00, 0x19};
    memcpy(out.data() + 108, constants, 8);
    put32be(out, 116, kEastWest);
    put32be(out, 120, kNorthSouth);
    const uint8_t side[4] = {0x00, 0xA0, 0x00, 0xA0};
    memcpy(out.data() + 124, side, 4);
    put32be(out, 144, kTopLeftLatitude);
    put32be(out, 148, kTopLeftLongitude);
    put32be(out, 152, kBottomRightLatitude);
    put32be(out, 156, kBottomRightLongitude);
    return out;
}

Bytes exampleTileHeader(int32_t column, int32_t row, int32_t columns, int32_t rows) {
    Bytes out(160, 0);
    putText(out, 0, "VeMo00000100", 12);
    putText(out, 16, "SAMPLE MAP", 16);
    auto slot = [&out](int index, int32_t number) {
        char digits[8];
        snprintf(digits, sizeof digits, "%03d", static_cast<int>(number));
        memcpy(out.data() + 32 + 4 * index, digits, 3);
    };
    slot(0, column);
    slot(1, row);
    if (column < columns - 1) slot(2, column + 1);
    if (column > 0) slot(3, column - 1);
    if (row < rows - 1) slot(4, row + 1);
    if (row > 0) slot(5, row - 1);
    const uint8_t constants[4] = {0x08, 0x01, 0x00, 0x19};
    memcpy(out.data() + 64, constants, 4);
    put32be(out, 68, kEastWest);
    put32be(out, 72, kNorthSouth);
    const uint8_t side[4] = {0x00, 0xA0, 0x00, 0xA0};
    memcpy(out.data() + 76, side, 4);
    put32be(out, 80, kTopLeftLatitude);
    put32be(out, 84, kTopLeftLongitude);
    const uint32_t latitudeStep = (kTopLeftLatitude - kBottomRightLatitude) / rows;
    const uint32_t longitudeStep = (kBottomRightLongitude - kTopLeftLongitude) / columns;
    put32be(out, 88, kTopLeftLatitude - static_cast<uint32_t>(row) * latitudeStep);
    put32be(out, 92, kTopLeftLongitude + static_cast<uint32_t>(column) * longitudeStep);
    put32be(out, 96, 25600);
    return out;
}

Bytes workedExampleTile21Header() {
    Bytes out(160, 0);
    memcpy(out.data(), kWorkedExampleTile21Header, sizeof kWorkedExampleTile21Header);
    return out;
}

Bytes exampleTileFile(int32_t column, int32_t row, int32_t columns, int32_t rows) {
    Bytes out = exampleTileHeader(column, row, columns, rows);
    for (int32_t j = 0; j < 160; ++j) {
        for (int32_t i = 0; i < 160; ++i) out.push_back(expectedIndexAt(160 * column + i, 160 * row + j));
    }
    return out;
}

std::string firstDifference(const Bytes& actual, const Bytes& expected) {
    char text[160];
    if (actual.size() != expected.size()) {
        snprintf(text, sizeof text, "size %zu, expected %zu", actual.size(), expected.size());
        return text;
    }
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            snprintf(text, sizeof text, "byte %zu is %02X, expected %02X", i, actual[i], expected[i]);
            return text;
        }
    }
    return "";
}

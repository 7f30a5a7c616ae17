#pragma once
// Builds bitmap files for the tests: headers field by field, pixels from a function of
// the picture position, so every byte of a conversion can be predicted.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct BitmapHeaderFields {
    char signature[2] = {'B', 'M'};
    uint32_t pixelDataOffset = 54;
    uint32_t infoHeaderSize = 40;
    int32_t width = 480;
    int32_t height = 480;
    uint16_t bitsPerPixel = 24;
    uint32_t compression = 0;
};

// The fields of a bitmap of this size and kind, the others as above.
BitmapHeaderFields headerFields(int32_t width, int32_t height, uint16_t bitsPerPixel = 24, uint32_t compression = 0,
                                uint32_t infoHeaderSize = 40);

struct Rgb {
    uint8_t red, green, blue;
};

// Colour of the picture pixel at (x, y), y counted from the top row.
using PixelFunction = std::function<Rgb(int32_t x, int32_t y)>;

// The 54 header bytes (more if pixelDataOffset asks for a gap, which is zero-filled).
std::vector<uint8_t> bitmapHeaders(const BitmapHeaderFields& fields);

// A whole 24-bit bottom-up bitmap: headers, then the rows bottom row first.
std::vector<uint8_t> makeBitmap(int32_t width, int32_t height, const PixelFunction& pixel,
                                uint32_t pixelDataOffset = 54);

// A pattern that exercises every classification: greys, special colours, cube cells,
// and a different colour in every tile.
Rgb patternPixel(int32_t x, int32_t y);

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);

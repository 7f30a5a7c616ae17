#pragma once
// Reduces 24-bit pixels (stored blue, green, red) to the palette indices 0 to 230 of
// the tile files, each pixel by its own three bytes.

#include <cstdint>

namespace ColorQuantizer {

inline constexpr int kCubeTableSize = 216;
inline constexpr int kGreyTableSize = 11;
inline constexpr int kSpecialColorCount = 4;
inline constexpr uint8_t kHighestIndex = 230;

extern const uint8_t CubeTable[kCubeTableSize];
extern const uint8_t GreyTable[kGreyTableSize];
extern const uint8_t SpecialColorTable[kSpecialColorCount];

// The index of one pixel.
uint8_t quantizePixel(uint8_t blue, uint8_t green, uint8_t red);

// Converts pixelCount pixels of source (3 bytes each) into pixelCount indices in
// destination. A count of zero or less touches nothing.
void quantizeRow(const uint8_t* source, uint8_t* destination, int32_t pixelCount);

}  // namespace ColorQuantizer

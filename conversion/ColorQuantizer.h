#pragma once
// Reduces 24-bit pixels (stored blue, green, red) to the palette indices 0 to 230 of
// the tile files, each pixel by its own three bytes.

#include <cstddef>
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

// Converts pieceCount pieces of piecePixels pixels (3 bytes each) that follow each other
// in source; piece i goes to destination + i * destinationStride. Each index is the one
// quantizePixel gives. The tile writer turns a stored row into one row of each of its
// tiles this way; a single row is one piece. Nothing outside the pieces' source bytes and
// destination bytes is touched, and a count of zero or less touches nothing.
// The converter is the widest this processor runs, chosen on the first call.
void quantizePieces(const uint8_t* source, int32_t pieceCount, int32_t piecePixels,
                    uint8_t* destination, size_t destinationStride);

}  // namespace ColorQuantizer

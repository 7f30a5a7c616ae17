#pragma once
// The record of one conversion, from the bitmap check to the last tile file.

#include <cstdint>

// A tile is a square of this many pixels on each side.
inline constexpr int32_t kTileSide = 160;
inline constexpr int32_t kTilePixels = kTileSide * kTileSide;
// Bytes of one tile's stretch of a picture row in a 24-bit bitmap.
inline constexpr int32_t kTileRowSourceBytes = 3 * kTileSide;

inline constexpr int kBitmapPathSize = 1024;
inline constexpr int kMapNameSize = 33;    // 32 bytes of text and a zero
inline constexpr int kFolderNameSize = 9;  // 8 bytes of text and a zero

struct ConversionJob {
    char bitmapPath[kBitmapPathSize] = {};
    uint32_t pixelDataOffset = 0;   // byte offset of the pixel data in the bitmap file
    uint8_t bitmapAccepted = 0;     // 1: a bitmap passed the probe and could be opened again
    int32_t tileCount = 0;          // tileColumns x tileRows
    char mapName[kMapNameSize] = {};        // every byte after the text is zero
    char folderName[kFolderNameSize] = {};  // 1 to 8 bytes of a..z and 0..9 once validated
    int32_t bitmapWidth = 0;        // pixels
    int32_t bitmapHeight = 0;       // pixels
    int32_t tileColumns = 0;        // bitmapWidth / 160
    int32_t tileRows = 0;           // bitmapHeight / 160
    uint32_t topLeftLatitude = 0;       // milliseconds of arc
    uint32_t topLeftLongitude = 0;
    uint32_t bottomRightLatitude = 0;
    uint32_t bottomRightLongitude = 0;
    uint32_t eastWestDistance = 0;      // tenths of a metre
    uint32_t northSouthDistance = 0;
    // 1: Floyd-Steinberg error diffusion before the colour reduction (ErrorDiffusion.h);
    // without it every pixel is reduced by its own colour alone. Stored nowhere in the map.
    uint8_t dither = 0;
};

// The picture's size and the grid of tiles it makes: width and height in pixels,
// multiples of kTileSide. The tile count is the index's 32-bit field, computed unsigned:
// absurd sizes wrap instead of overflowing.
void setJobGrid(ConversionJob& job, int32_t width, int32_t height);

// The reset the dialog makes when it opens: every text empty, every number 0, nothing
// accepted. pixelDataOffset is left alone: a successful probe writes it before a bitmap
// can be accepted.
void resetJob(ConversionJob& job);

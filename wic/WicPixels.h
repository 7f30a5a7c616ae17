#pragma once
// How a decoded frame's pixels are copied out of the Windows Imaging Component so that
// they become the same 24-bit pixels as the Linux build's: the frame's own format wherever
// it keeps the samples as the file holds them (palette indices with their palette, grey,
// 16-bit colour, straight alpha), converted by placement/PixelConversion; WIC's converter
// only where it loses nothing the map shows.

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <vector>

#include "PixelConversion.h"

struct WicPixels {
    WICPixelFormatGUID copyFormat{};  // what CopyPixels is asked for
    bool converted = false;           // copyFormat differs from the frame's: through WIC's converter
    int bitsPerPixel = 0;             // of copyFormat
    int unpackBits = 0;               // 1, 2 or 4: samples packed below a byte, unpacked here
    bool blueFirst = false;           // blue, green, red, alpha: swapped to red first here
    bool deep = false;                // 16-bit samples
    SampleLayout layout;              // of the samples once unpacked and swapped
};

// How to copy a frame of pixel format native (its palette, for indexed formats, in
// palette; null otherwise). False when a palette format comes without its palette.
bool choosePixels(const WICPixelFormatGUID& native, IWICPalette* palette, WicPixels& pixels);

// Pixels copied as straight 8-bit blue, green, red and alpha through WIC's converter, for
// the scaler's smooth modes, which would blend palette indices.
void copyAsBgra(WicPixels& pixels);

// The copied row (width pixels as copyFormat holds them) to samples convertToBgr takes:
// unpacked to one byte per sample and red first. samples8 or samples16 gets them.
void prepareSamples(const WicPixels& pixels, const uint8_t* copied, int32_t width, std::vector<uint8_t>& samples8,
                    std::vector<uint16_t>& samples16);

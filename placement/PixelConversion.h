#pragma once
// Source samples to the 24-bit blue-green-red pixels of a map picture: palettes expanded,
// grey copied to the three colours, alpha composed over white, samples deeper or
// shallower than 8 bits scaled as v x 255 / max (16 bits: v x 255 / 65535), or any
// samples stretched from a range onto 0..255; pixels a mask marks as no data white.

#include <cstdint>
#include <vector>

struct SampleLayout {
    // Bgr: 8-bit colour read from GDAL with its bands asked for in the tiles' order (blue,
    // green, red), so the samples are the pixels as they stand.
    enum class Kind { Palette, Grey, GreyAlpha, Rgb, Rgba, Bgr };
    Kind kind = Kind::Rgb;
    uint32_t maxValue = 255;          // 255, 65535, or 2^bits - 1 for 1 to 7 bits
    std::vector<uint8_t> paletteBgr;  // Palette: 3 bytes per entry, already over white
    // Colour samples (read as float) stretchMin..stretchMax mapped onto 0..255, rounded and
    // clamped, as gdal_translate -scale does; alpha is still scaled by maxValue.
    bool stretch = false;
    double stretchMin = 0;
    double stretchMax = 255;

    int samplesPerPixel() const;
};

// One palette entry (red, green, blue, alpha, 8 bits each) as it shows over white.
void paletteEntryOverWhite(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha, uint8_t bgr[3]);

// Converts `count` pixels of interleaved samples (samplesPerPixel() each) to bgr.
void convertToBgr(const uint8_t* samples, int32_t count, const SampleLayout& layout, uint8_t* bgr);
void convertToBgr(const uint16_t* samples, int32_t count, const SampleLayout& layout, uint8_t* bgr);
// Stretched samples (layout.stretch): any sample type, read as float.
void convertToBgr(const float* samples, int32_t count, const SampleLayout& layout, uint8_t* bgr);

// Pixels whose mask value m (0 no data .. 255 valid) is below 255 composed over white.
void applyMask(const uint8_t* mask, int32_t count, uint8_t* bgr);

#pragma once
// A synthetic map picture, fast to draw at any size: rolling land in a few pale tints
// with scan noise, lakes, contour lines, roads with grey edges, a black grid and dense
// black "lettering", plus some exact greys and the special colours. Its statistics are
// those of a scanned topographic sheet: mostly near-flat tints, few exact greys, sharp
// lines. The same picture feeds the quantizer benchmark and the end-to-end comparison.

#include <cstdint>

namespace bench {

struct Pixel {
    uint8_t blue, green, red;
};

inline uint32_t mix(uint32_t a, uint32_t b) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

// Smooth "elevation" 0..255: bilinear value noise on a 512-pixel lattice.
inline int elevation(int32_t x, int32_t y) {
    const int32_t cell = 512;
    int32_t cx = x / cell, cy = y / cell;
    int32_t fx = x % cell, fy = y % cell;
    int32_t a = mix(cx, cy) & 255, b = mix(cx + 1, cy) & 255;
    int32_t c = mix(cx, cy + 1) & 255, d = mix(cx + 1, cy + 1) & 255;
    int32_t top = a * (cell - fx) + b * fx, bottom = c * (cell - fx) + d * fx;
    return (top * (cell - fy) + bottom * fy) / (cell * cell);
}

inline Pixel noisePixel(int32_t x, int32_t y) {
    uint32_t h = mix(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
    return {static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16)};
}

// Picture pixel (x, y), y counted from the top; e is elevation(x, y), passed in so a row
// can reuse it.
inline Pixel mapPixel(int32_t x, int32_t y, int e) {
    auto rgb = [](int r, int g, int b) {
        return Pixel{static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r)};
    };
    if (x % 1600 == 0 || y % 1600 == 0) return rgb(0, 0, 0);                  // grid
    int road = (x + (y >> 2)) % 1200;
    if (road < 6) return road == 0 || road == 5 ? rgb(128, 128, 128) : rgb(255, 255, 255);
    int street = y % 700;
    if (street < 4) return street == 0 ? rgb(128, 0, 0) : rgb(255, 240, 160);  // main road
    uint32_t h = mix(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
    if ((mix(static_cast<uint32_t>(x >> 5), static_cast<uint32_t>(y >> 4)) & 31) == 0 && (h & 3))
        return rgb(20, 20, 20);                                                 // lettering
    if (e % 24 == 0) return rgb(170, 110, 60);                                  // contour
    int jitter = static_cast<int>(h % 9) - 4;                                   // scan noise
    auto tint = [&](int r, int g, int b) {
        return rgb(r + jitter, g + ((jitter * 3) >> 2), b - jitter);
    };
    if (e < 60) return (h & 63) == 0 ? rgb(0, 128, 128) : tint(160, 200, 235);  // water
    if (e < 110) return tint(236, 232, 214);
    if (e < 160) return tint(214, 232, 190);
    if (e < 200) return tint(196, 220, 166);
    return (h & 15) == 0 ? rgb(192, 192, 192) : tint(232, 214, 186);
}

inline Pixel mapPixel(int32_t x, int32_t y) { return mapPixel(x, y, elevation(x, y)); }

}  // namespace bench

#include "PixelConversion.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// The colour value c (0..max) seen through alpha a (0..max) over white, rounded.
inline uint64_t overWhite(uint64_t c, uint64_t a, uint64_t max) {
    return (c * a + max * (max - a) + max / 2) / max;
}

inline uint8_t toByte(uint64_t v, uint64_t max) { return static_cast<uint8_t>(v * 255 / max); }

template <SampleLayout::Kind kind, typename Sample>
void convertKind(const Sample* s, int32_t count, const SampleLayout& layout, uint8_t* bgr) {
    const uint64_t max = layout.maxValue;
    const std::size_t entries = layout.paletteBgr.size() / 3;
    for (int32_t i = 0; i < count; ++i, bgr += 3) {
        if constexpr (kind == SampleLayout::Kind::Palette) {
            std::size_t index = s[0];
            if (index < entries) {
                bgr[0] = layout.paletteBgr[3 * index];
                bgr[1] = layout.paletteBgr[3 * index + 1];
                bgr[2] = layout.paletteBgr[3 * index + 2];
            } else {
                bgr[0] = bgr[1] = bgr[2] = 0;  // an index past the table, as a viewer shows it
            }
            s += 1;
        } else if constexpr (kind == SampleLayout::Kind::Grey) {
            bgr[0] = bgr[1] = bgr[2] = toByte(s[0], max);
            s += 1;
        } else if constexpr (kind == SampleLayout::Kind::GreyAlpha) {
            bgr[0] = bgr[1] = bgr[2] = toByte(overWhite(s[0], s[1], max), max);
            s += 2;
        } else if constexpr (kind == SampleLayout::Kind::Bgr) {
            bgr[0] = toByte(s[0], max);
            bgr[1] = toByte(s[1], max);
            bgr[2] = toByte(s[2], max);
            s += 3;
        } else if constexpr (kind == SampleLayout::Kind::Rgb) {
            if (sizeof(Sample) == 1 && max == 255) {
                bgr[0] = static_cast<uint8_t>(s[2]);
                bgr[1] = static_cast<uint8_t>(s[1]);
                bgr[2] = static_cast<uint8_t>(s[0]);
            } else {
                bgr[0] = toByte(s[2], max);
                bgr[1] = toByte(s[1], max);
                bgr[2] = toByte(s[0], max);
            }
            s += 3;
        } else {
            bgr[0] = toByte(overWhite(s[2], s[3], max), max);
            bgr[1] = toByte(overWhite(s[1], s[3], max), max);
            bgr[2] = toByte(overWhite(s[0], s[3], max), max);
            s += 4;
        }
    }
}

// The common case, kept apart so that it compiles to a plain loop: 8-bit red, green, blue.
void swapRedAndBlueEach(const uint8_t* s, int32_t count, uint8_t* bgr) {
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t red = s[3 * i], green = s[3 * i + 1], blue = s[3 * i + 2];
        bgr[3 * i] = blue;
        bgr[3 * i + 1] = green;
        bgr[3 * i + 2] = red;
    }
}

#if defined(__x86_64__)
// Five pixels per 16-byte shuffle. The sixteenth byte written is the next pixel's red in
// the wrong place; the next step (or the loop of single pixels that ends the row) writes
// that pixel again, so the loop stops while at least one pixel follows.
__attribute__((target("ssse3"))) void swapRedAndBlueSsse3(const uint8_t* s, int32_t count, uint8_t* bgr) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    int32_t i = 0;
    for (; i + 6 <= count; i += 5) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * static_cast<size_t>(i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 3 * static_cast<size_t>(i)),
                         _mm_shuffle_epi8(pixels, order));
    }
    swapRedAndBlueEach(s + 3 * static_cast<size_t>(i), count - i, bgr + 3 * static_cast<size_t>(i));
}
#endif

void swapRedAndBlue(const uint8_t* s, int32_t count, uint8_t* bgr) {
#if defined(__x86_64__)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) return swapRedAndBlueSsse3(s, count, bgr);
#endif
    swapRedAndBlueEach(s, count, bgr);
}

template <typename Sample>
void convert(const Sample* s, int32_t count, const SampleLayout& layout, uint8_t* bgr) {
    if constexpr (sizeof(Sample) == 1) {
        if (layout.kind == SampleLayout::Kind::Bgr && layout.maxValue == 255) {
            std::memcpy(bgr, s, 3 * static_cast<size_t>(count));
            return;
        }
        if (layout.kind == SampleLayout::Kind::Rgb && layout.maxValue == 255) return swapRedAndBlue(s, count, bgr);
    }
    switch (layout.kind) {
        case SampleLayout::Kind::Palette: return convertKind<SampleLayout::Kind::Palette>(s, count, layout, bgr);
        case SampleLayout::Kind::Grey: return convertKind<SampleLayout::Kind::Grey>(s, count, layout, bgr);
        case SampleLayout::Kind::GreyAlpha: return convertKind<SampleLayout::Kind::GreyAlpha>(s, count, layout, bgr);
        case SampleLayout::Kind::Rgb: return convertKind<SampleLayout::Kind::Rgb>(s, count, layout, bgr);
        case SampleLayout::Kind::Rgba: return convertKind<SampleLayout::Kind::Rgba>(s, count, layout, bgr);
        case SampleLayout::Kind::Bgr: return convertKind<SampleLayout::Kind::Bgr>(s, count, layout, bgr);
    }
}

}  // namespace

int SampleLayout::samplesPerPixel() const {
    switch (kind) {
        case Kind::Palette:
        case Kind::Grey: return 1;
        case Kind::GreyAlpha: return 2;
        case Kind::Rgb:
        case Kind::Bgr: return 3;
        case Kind::Rgba: return 4;
    }
    return 3;
}

void paletteEntryOverWhite(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha, uint8_t bgr[3]) {
    bgr[0] = static_cast<uint8_t>(overWhite(blue, alpha, 255));
    bgr[1] = static_cast<uint8_t>(overWhite(green, alpha, 255));
    bgr[2] = static_cast<uint8_t>(overWhite(red, alpha, 255));
}

void convertToBgr(const uint8_t* samples, int32_t count, const SampleLayout& layout, uint8_t* bgr) {
    convert(samples, count, layout, bgr);
}

void convertToBgr(const uint16_t* samples, int32_t count, const SampleLayout& layout, uint8_t* bgr) {
    convert(samples, count, layout, bgr);
}

void convertToBgr(const float* samples, int32_t count, const SampleLayout& layout, uint8_t* bgr) {
    const double scale = 255.0 / (layout.stretchMax - layout.stretchMin);
    auto colour = [&](float v) -> uint64_t {
        double byte = std::round((static_cast<double>(v) - layout.stretchMin) * scale);
        return byte > 0 ? (byte < 255 ? static_cast<uint64_t>(byte) : 255) : 0;  // NaN becomes 0
    };
    auto alpha = [&](float v) -> uint64_t {
        double byte = std::round(static_cast<double>(v) * 255.0 / layout.maxValue);
        return byte > 0 ? (byte < 255 ? static_cast<uint64_t>(byte) : 255) : 0;
    };
    const int spp = layout.samplesPerPixel();
    for (int32_t i = 0; i < count; ++i, samples += spp, bgr += 3) {
        switch (layout.kind) {
            case SampleLayout::Kind::Palette:
            case SampleLayout::Kind::Grey: bgr[0] = bgr[1] = bgr[2] = static_cast<uint8_t>(colour(samples[0])); break;
            case SampleLayout::Kind::GreyAlpha:
                bgr[0] = bgr[1] = bgr[2] = static_cast<uint8_t>(overWhite(colour(samples[0]), alpha(samples[1]), 255));
                break;
            case SampleLayout::Kind::Bgr:
                bgr[0] = static_cast<uint8_t>(colour(samples[0]));
                bgr[1] = static_cast<uint8_t>(colour(samples[1]));
                bgr[2] = static_cast<uint8_t>(colour(samples[2]));
                break;
            case SampleLayout::Kind::Rgb:
                bgr[0] = static_cast<uint8_t>(colour(samples[2]));
                bgr[1] = static_cast<uint8_t>(colour(samples[1]));
                bgr[2] = static_cast<uint8_t>(colour(samples[0]));
                break;
            case SampleLayout::Kind::Rgba: {
                const uint64_t a = alpha(samples[3]);
                bgr[0] = static_cast<uint8_t>(overWhite(colour(samples[2]), a, 255));
                bgr[1] = static_cast<uint8_t>(overWhite(colour(samples[1]), a, 255));
                bgr[2] = static_cast<uint8_t>(overWhite(colour(samples[0]), a, 255));
                break;
            }
        }
    }
}

void applyMask(const uint8_t* mask, int32_t count, uint8_t* bgr) {
    for (int32_t i = 0; i < count; ++i, bgr += 3) {
        if (mask[i] == 255) continue;
        for (int c = 0; c < 3; ++c) bgr[c] = static_cast<uint8_t>(overWhite(bgr[c], mask[i], 255));
    }
}

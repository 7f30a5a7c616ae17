#include "WicPixels.h"

#include <cstring>

namespace {

struct Layout {
    const GUID* format;
    int bits;
    SampleLayout::Kind kind;
    int unpackBits;
    bool blueFirst;
    bool deep;
    uint32_t maxValue;
};

// The frame formats copied as they are.
const Layout kKept[] = {
    {&GUID_WICPixelFormat1bppIndexed, 1, SampleLayout::Kind::Palette, 1, false, false, 255},
    {&GUID_WICPixelFormat2bppIndexed, 2, SampleLayout::Kind::Palette, 2, false, false, 255},
    {&GUID_WICPixelFormat4bppIndexed, 4, SampleLayout::Kind::Palette, 4, false, false, 255},
    {&GUID_WICPixelFormat8bppIndexed, 8, SampleLayout::Kind::Palette, 0, false, false, 255},
    {&GUID_WICPixelFormatBlackWhite, 1, SampleLayout::Kind::Grey, 1, false, false, 1},
    {&GUID_WICPixelFormat2bppGray, 2, SampleLayout::Kind::Grey, 2, false, false, 3},
    {&GUID_WICPixelFormat4bppGray, 4, SampleLayout::Kind::Grey, 4, false, false, 15},
    {&GUID_WICPixelFormat8bppGray, 8, SampleLayout::Kind::Grey, 0, false, false, 255},
    {&GUID_WICPixelFormat16bppGray, 16, SampleLayout::Kind::Grey, 0, false, true, 65535},
    {&GUID_WICPixelFormat24bppRGB, 24, SampleLayout::Kind::Rgb, 0, false, false, 255},
    {&GUID_WICPixelFormat24bppBGR, 24, SampleLayout::Kind::Bgr, 0, false, false, 255},
    {&GUID_WICPixelFormat32bppRGBA, 32, SampleLayout::Kind::Rgba, 0, false, false, 255},
    {&GUID_WICPixelFormat32bppBGRA, 32, SampleLayout::Kind::Rgba, 0, true, false, 255},
    {&GUID_WICPixelFormat48bppRGB, 48, SampleLayout::Kind::Rgb, 0, false, true, 65535},
    {&GUID_WICPixelFormat48bppBGR, 48, SampleLayout::Kind::Bgr, 0, false, true, 65535},
    {&GUID_WICPixelFormat64bppRGBA, 64, SampleLayout::Kind::Rgba, 0, false, true, 65535},
    {&GUID_WICPixelFormat64bppBGRA, 64, SampleLayout::Kind::Rgba, 0, true, true, 65535},
};

// Colour with a fourth byte of padding (8-bit palettes of a BMP come so from some
// decoders): the converter drops the padding and changes nothing else.
const Layout kPaddedColour = {&GUID_WICPixelFormat24bppBGR, 24, SampleLayout::Kind::Bgr, 0, false, false, 255};
// Anything else (premultiplied alpha, CMYK, 5-6-5 colour, floating point): straight 8-bit
// blue, green, red and alpha, as WIC's converter makes it.
const Layout kConvertedAny = {&GUID_WICPixelFormat32bppBGRA, 32, SampleLayout::Kind::Rgba, 0, true, false, 255};

void take(const Layout& from, bool converted, WicPixels& pixels) {
    pixels.copyFormat = *from.format;
    pixels.converted = converted;
    pixels.bitsPerPixel = from.bits;
    pixels.unpackBits = from.unpackBits;
    pixels.blueFirst = from.blueFirst;
    pixels.deep = from.deep;
    pixels.layout = SampleLayout{};
    pixels.layout.kind = from.kind;
    pixels.layout.maxValue = from.maxValue;
}

}  // namespace

bool choosePixels(const WICPixelFormatGUID& native, IWICPalette* palette, WicPixels& pixels) {
    for (const Layout& kept : kKept) {
        if (!IsEqualGUID(native, *kept.format)) continue;
        take(kept, false, pixels);
        if (kept.kind != SampleLayout::Kind::Palette) return true;
        UINT count = 0;
        if (palette == nullptr || FAILED(palette->GetColorCount(&count))) return false;
        std::vector<WICColor> colours(count);
        UINT got = 0;
        if (count > 0 && FAILED(palette->GetColors(count, colours.data(), &got))) return false;
        pixels.layout.paletteBgr.resize(3 * static_cast<size_t>(got));
        for (UINT i = 0; i < got; ++i) {
            const WICColor c = colours[i];  // alpha, red, green, blue from the top byte down
            paletteEntryOverWhite(static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                  static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 24),
                                  &pixels.layout.paletteBgr[3 * static_cast<size_t>(i)]);
        }
        return true;
    }
    const bool padded = IsEqualGUID(native, GUID_WICPixelFormat32bppBGR) || IsEqualGUID(native, GUID_WICPixelFormat32bppRGB);
    take(padded ? kPaddedColour : kConvertedAny, true, pixels);
    return true;
}

void copyAsBgra(WicPixels& pixels) { take(kConvertedAny, true, pixels); }

void prepareSamples(const WicPixels& pixels, const uint8_t* copied, int32_t width, std::vector<uint8_t>& samples8,
                    std::vector<uint16_t>& samples16) {
    const int spp = pixels.layout.samplesPerPixel();
    const size_t count = static_cast<size_t>(width) * spp;
    if (pixels.deep) {
        samples16.resize(count);
        std::memcpy(samples16.data(), copied, count * sizeof(uint16_t));  // little-endian, as Windows holds them
        if (pixels.blueFirst)
            for (size_t i = 0; i + 2 < count; i += spp) std::swap(samples16[i], samples16[i + 2]);
        return;
    }
    samples8.resize(count);
    if (pixels.unpackBits != 0) {
        // The first pixel in the top bits of each byte.
        const int bits = pixels.unpackBits, perByte = 8 / bits, mask = (1 << bits) - 1;
        for (int32_t x = 0; x < width; ++x) {
            const int shift = 8 - bits * (x % perByte + 1);
            samples8[static_cast<size_t>(x)] = static_cast<uint8_t>((copied[x / perByte] >> shift) & mask);
        }
        return;
    }
    std::memcpy(samples8.data(), copied, count);
    if (pixels.blueFirst)
        for (size_t i = 0; i + 2 < count; i += spp) std::swap(samples8[i], samples8[i + 2]);
}

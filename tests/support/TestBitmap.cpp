#include "TestBitmap.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

void putLittleEndian(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

BitmapHeaderFields headerFields(int32_t width, int32_t height, uint16_t bitsPerPixel, uint32_t compression,
                                uint32_t infoHeaderSize) {
    BitmapHeaderFields f;
    f.width = width;
    f.height = height;
    f.bitsPerPixel = bitsPerPixel;
    f.compression = compression;
    f.infoHeaderSize = infoHeaderSize;
    return f;
}

std::vector<uint8_t> bitmapHeaders(const BitmapHeaderFields& f) {
    size_t size = f.pixelDataOffset > 54 ? f.pixelDataOffset : 54;
    std::vector<uint8_t> out(size, 0);
    out[0] = static_cast<uint8_t>(f.signature[0]);
    out[1] = static_cast<uint8_t>(f.signature[1]);
    putLittleEndian(out, 10, f.pixelDataOffset, 4);
    putLittleEndian(out, 14, f.infoHeaderSize, 4);
    putLittleEndian(out, 18, static_cast<uint32_t>(f.width), 4);
    putLittleEndian(out, 22, static_cast<uint32_t>(f.height), 4);
    putLittleEndian(out, 26, 1, 2);  // planes
    putLittleEndian(out, 28, f.bitsPerPixel, 2);
    putLittleEndian(out, 30, f.compression, 4);
    return out;
}

std::vector<uint8_t> makeBitmap(int32_t width, int32_t height, const PixelFunction& pixel,
                                uint32_t pixelDataOffset) {
    BitmapHeaderFields fields;
    fields.width = width;
    fields.height = height;
    fields.pixelDataOffset = pixelDataOffset;
    std::vector<uint8_t> out = bitmapHeaders(fields);
    size_t rowBytes = static_cast<size_t>(width) * 3;
    out.resize(pixelDataOffset + rowBytes * static_cast<size_t>(height));
    uint32_t fileSize = static_cast<uint32_t>(out.size());
    putLittleEndian(out, 2, fileSize, 4);
    size_t at = pixelDataOffset;
    for (int32_t stored = 0; stored < height; ++stored) {
        int32_t y = height - 1 - stored;
        for (int32_t x = 0; x < width; ++x) {
            Rgb c = pixel(x, y);
            out[at++] = c.blue;
            out[at++] = c.green;
            out[at++] = c.red;
        }
    }
    return out;
}

Rgb patternPixel(int32_t x, int32_t y) {
    int32_t tile = (x / 160) * 7 + (y / 160) * 13;
    int32_t k = (x * 31 + y * 17 + tile * 5) % 97;
    if (k < 20) {
        uint8_t v = static_cast<uint8_t>((x + y * 3 + tile) & 0xFF);
        return {v, v, v};
    }
    if (k < 24) {
        static const Rgb specials[] = {{0, 128, 0}, {0, 128, 128}, {128, 0, 0}, {128, 0, 128}};
        return specials[k - 20];
    }
    return {static_cast<uint8_t>((x * 7 + tile * 11) & 0xFF),
            static_cast<uint8_t>((y * 5 + x + tile) & 0xFF),
            static_cast<uint8_t>((x ^ y ^ tile) & 0xFF)};
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

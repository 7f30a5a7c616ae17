// make_map WIDTH HEIGHT OUT.bmp [--noise]
// Writes a 24-bit bottom-up bitmap (40-byte info header) of the synthetic map picture,
// or of pure noise. WIDTH and HEIGHT must be multiples of 160.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "MapPicture.h"

namespace {

void put(std::vector<unsigned char>& out, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_map WIDTH HEIGHT OUT.bmp [--noise]\n");
        return 2;
    }
    const int32_t width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    const bool noise = argc > 4 && std::strcmp(argv[4], "--noise") == 0;
    if (width < 160 || height < 160 || width % 160 || height % 160) {
        std::fprintf(stderr, "make_map: sides must be positive multiples of 160\n");
        return 2;
    }
    const size_t rowBytes = 3 * static_cast<size_t>(width);
    const uint64_t fileSize = 54 + static_cast<uint64_t>(rowBytes) * height;
    std::vector<unsigned char> header(54, 0);
    header[0] = 'B';
    header[1] = 'M';
    put(header, 2, fileSize > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(fileSize), 4);
    put(header, 10, 54, 4);
    put(header, 14, 40, 4);
    put(header, 18, static_cast<uint32_t>(width), 4);
    put(header, 22, static_cast<uint32_t>(height), 4);
    put(header, 26, 1, 2);
    put(header, 28, 24, 2);
    FILE* out = std::fopen(argv[3], "wb");
    if (!out) {
        std::perror(argv[3]);
        return 1;
    }
    std::fwrite(header.data(), 1, header.size(), out);
    std::vector<unsigned char> row(rowBytes);
    for (int32_t stored = 0; stored < height; ++stored) {
        int32_t y = height - 1 - stored;
        for (int32_t x = 0; x < width; ++x) {
            bench::Pixel p = noise ? bench::noisePixel(x, y) : bench::mapPixel(x, y);
            row[3 * x] = p.blue;
            row[3 * x + 1] = p.green;
            row[3 * x + 2] = p.red;
        }
        if (std::fwrite(row.data(), 1, row.size(), out) != row.size()) {
            std::perror(argv[3]);
            return 1;
        }
    }
    if (std::fclose(out) != 0) {
        std::perror(argv[3]);
        return 1;
    }
    return 0;
}

// How much of a picture's tones the colour reduction keeps, without and with error
// diffusion (--dither): usage dither_quality BITMAP [BITMAP...]. For each 24-bit bitmap
// as convert takes it, read through the core's own reader, prints the palette colours used
// (of 231) and, against the source, the mean difference per pixel and channel and the mean
// difference of 8 x 8 blocks' average colours per channel (the tone an area shows from a
// step away), each on the 0..255 scale.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <vector>

#include "BenchJob.h"
#include "ColorQuantizer.h"
#include "ErrorDiffusion.h"
#include "Palette.h"

namespace {

struct Quality {
    std::set<uint8_t> colours;
    double pixelError = 0;  // sum over pixels and channels
    double blockError = 0;  // sum over blocks and channels
    int64_t pixels = 0, blocks = 0;
};

// Adds one strip: pixels (blue, green, red) and indices of its 160 rows.
void addStrip(Quality& q, const ErrorDiffusion& strip, const std::vector<std::vector<uint8_t>>& indices) {
    const int32_t width = strip.width();
    for (int32_t r = 0; r < kTileSide; ++r)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = strip.pixelRow(r) + 3 * x;
            const palette::Colour& c = palette::kColours[indices[r][x]];
            q.colours.insert(indices[r][x]);
            q.pixelError += std::abs(p[0] - c.blue) + std::abs(p[1] - c.green) + std::abs(p[2] - c.red);
            ++q.pixels;
        }
    for (int32_t by = 0; by < kTileSide; by += 8)
        for (int32_t bx = 0; bx + 8 <= width; bx += 8) {
            int sum[3] = {0, 0, 0};
            for (int32_t y = by; y < by + 8; ++y)
                for (int32_t x = bx; x < bx + 8; ++x) {
                    const uint8_t* p = strip.pixelRow(y) + 3 * x;
                    const palette::Colour& c = palette::kColours[indices[y][x]];
                    sum[0] += p[0] - c.blue;
                    sum[1] += p[1] - c.green;
                    sum[2] += p[2] - c.red;
                }
            q.blockError += (std::abs(sum[0]) + std::abs(sum[1]) + std::abs(sum[2])) / 64.0;
            ++q.blocks;
        }
}

void print(const char* picture, const char* way, const Quality& q) {
    std::printf("%s\t%s\t%zu\t%.2f\t%.2f\n", picture, way, q.colours.size(), q.pixelError / (3.0 * q.pixels),
                q.blockError / (3.0 * q.blocks));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s BITMAP [BITMAP...]\n", argv[0]);
        return 2;
    }
    std::printf("picture\treduction\tcolours\tmean pixel error\tmean 8x8 block error\n");
    const std::filesystem::path here = std::filesystem::current_path();
    for (int i = 1; i < argc; ++i) {
        std::filesystem::current_path(here);
        char* args[] = {argv[0], argv[i], const_cast<char*>("."), const_cast<char*>("quality")};
        bench::Arguments parsed;
        ConversionJob job;
        CheckedConversion checked;
        if (!bench::parseArguments(4, args, parsed) || !bench::prepareJob(parsed, job, checked)) return 1;
        ErrorDiffusion strip;
        if (!strip.allocate(job.tileColumns)) return 1;
        Quality plain, dithered;
        std::vector<std::vector<uint8_t>> plainIndices(kTileSide, std::vector<uint8_t>(strip.width()));
        std::vector<std::vector<uint8_t>> ditheredIndices(kTileSide, std::vector<uint8_t>(strip.width()));
        for (int32_t row = 0; row < job.tileRows; ++row) {
            if (!strip.takeStrip(checked.source(), row)) return 1;
            for (int32_t r = 0; r < kTileSide; ++r) {
                ColorQuantizer::quantizePieces(strip.pixelRow(r), 1, strip.width(), plainIndices[r].data(),
                                               plainIndices[r].size());
                std::copy_n(strip.indexRow(r), strip.width(), ditheredIndices[r].begin());
            }
            addStrip(plain, strip, plainIndices);
            addStrip(dithered, strip, ditheredIndices);
        }
        const std::string name = std::filesystem::path(argv[i]).filename().string();
        print(name.c_str(), "plain", plain);
        print(name.c_str(), "dither", dithered);
    }
    return 0;
}

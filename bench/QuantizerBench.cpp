// quantizePieces throughput, pixels per second on one core, for each converter this
// processor can run (forced in turn): rows of the synthetic map and rows of pure noise,
// converted as whole 16000-pixel rows and, as the tile writer does, in one call per row
// that puts each 160-pixel piece into its own tile.

#include <benchmark/benchmark.h>

#include <vector>

#include "ColorQuantizer.h"
#include "ColorQuantizerKernels.h"
#include "MapPicture.h"
#include "TileFormat.h"

namespace {

using ColorQuantizer::detail::RowKernel;

constexpr int32_t kRowPixels = 16000;
constexpr int32_t kRows = 64;  // 3 MB of source: the working set of a strip block

std::vector<uint8_t> makeRows(bool noise) {
    std::vector<uint8_t> bytes(3 * static_cast<size_t>(kRowPixels) * kRows);
    size_t at = 0;
    for (int32_t y = 0; y < kRows; ++y)
        for (int32_t x = 0; x < kRowPixels; ++x) {
            // Rows spread over the picture so every kind of area shows up.
            bench::Pixel p = noise ? bench::noisePixel(x, y) : bench::mapPixel(x, y * 97);
            bytes[at++] = p.blue;
            bytes[at++] = p.green;
            bytes[at++] = p.red;
        }
    return bytes;
}

void quantize(benchmark::State& state, RowKernel kernel, bool noise, int32_t piece) {
    if (!ColorQuantizer::detail::rowKernelAvailable(kernel)) {
        state.SkipWithError("converter not available on this processor");
        return;
    }
    const RowKernel previous = ColorQuantizer::detail::forceRowKernel(kernel);
    static const std::vector<uint8_t> mapRows = makeRows(false);
    static const std::vector<uint8_t> noiseRows = makeRows(true);
    const std::vector<uint8_t>& source = noise ? noiseRows : mapRows;
    // Whole rows go one after the other; 160-pixel pieces go into a batch of tile files,
    // row y of the source into pixel row y of each tile, as the tile writer puts them.
    const bool tiles = piece == kTileSide;
    const int32_t pieces = kRowPixels / piece;
    const size_t stride = tiles ? static_cast<size_t>(kTileFileSize) : 0;
    std::vector<uint8_t> out(tiles ? stride * static_cast<size_t>(pieces)
                                   : static_cast<size_t>(kRowPixels) * kRows);
    for (auto _ : state) {
        for (int32_t y = 0; y < kRows; ++y) {
            const uint8_t* row = source.data() + 3 * static_cast<size_t>(kRowPixels) * y;
            uint8_t* dest = out.data() + (tiles ? kTileHeaderSize + static_cast<size_t>(kTileSide) * y
                                                : static_cast<size_t>(kRowPixels) * y);
            ColorQuantizer::quantizePieces(row, pieces, piece, dest, stride);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    ColorQuantizer::detail::forceRowKernel(previous);
    state.SetItemsProcessed(state.iterations() * kRowPixels * kRows);
    state.SetBytesProcessed(state.iterations() * 3 * kRowPixels * kRows);
}

// The straightforward per-pixel classifier, for scale.
void quantizePixelByPixel(benchmark::State& state) {
    static const std::vector<uint8_t> source = makeRows(false);
    std::vector<uint8_t> out(static_cast<size_t>(kRowPixels) * kRows);
    for (auto _ : state) {
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = ColorQuantizer::quantizePixel(source[3 * i], source[3 * i + 1], source[3 * i + 2]);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kRowPixels * kRows);
}

void registerAll() {
    for (RowKernel kernel : ColorQuantizer::detail::kAllRowKernels) {
        std::string name = ColorQuantizer::detail::rowKernelName(kernel);
        for (bool noise : {false, true})
            for (int32_t piece : {kRowPixels, kTileSide}) {
                std::string full = "quantizePieces/" + name + (noise ? "/noise" : "/map") +
                                   (piece == kTileSide ? "/160px" : "/16000px");
                benchmark::RegisterBenchmark(full.c_str(), quantize, kernel, noise, piece)
                    ->Unit(benchmark::kMillisecond);
            }
    }
    benchmark::RegisterBenchmark("quantizePixel/map", quantizePixelByPixel)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

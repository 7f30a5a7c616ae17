// The tile writer on a 3200 x 1600 map (200 tiles), with one and two threads, without and
// with error diffusion (--dither) on the same pixels, each run into a fresh output folder
// (re-creating files just deleted is far slower on some file systems, so the folders are
// removed only after all runs). Run it with --benchmark_enable_random_interleaving=true, so
// that the repetitions of the four kinds take turns and the machine's load falls on each
// alike; the ratios of their times are what counts.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchJob.h"
#include "MapPicture.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWidth = 3200, kHeight = 1600;

struct Scratch {
    fs::path root;
    std::string bitmap;
    Scratch() {
        root = fs::temp_directory_path() / ("tessella-bench-" + std::to_string(::getpid()));
        fs::create_directories(root);
        bitmap = (root / "map.bmp").string();
        std::vector<uint8_t> bytes(54 + 3 * static_cast<size_t>(kWidth) * kHeight, 0);
        auto put = [&](size_t at, uint32_t v, int n) {
            for (int i = 0; i < n; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
        };
        bytes[0] = 'B';
        bytes[1] = 'M';
        put(2, static_cast<uint32_t>(bytes.size()), 4);
        put(10, 54, 4);
        put(14, 40, 4);
        put(18, kWidth, 4);
        put(22, kHeight, 4);
        put(26, 1, 2);
        put(28, 24, 2);
        size_t at = 54;
        for (int32_t stored = 0; stored < kHeight; ++stored)
            for (int32_t x = 0; x < kWidth; ++x) {
                bench::Pixel p = bench::mapPixel(x, kHeight - 1 - stored);
                bytes[at++] = p.blue;
                bytes[at++] = p.green;
                bytes[at++] = p.red;
            }
        FILE* out = std::fopen(bitmap.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

void writeTiles(benchmark::State& state) {
    static Scratch scratch;
    const int threads = static_cast<int>(state.range(0));
    const bool dither = state.range(1) != 0;
    int run = 0;
    std::vector<fs::path> outputs;
    for (auto _ : state) {
        state.PauseTiming();
        fs::path out = scratch.root / ("out-" + std::to_string(threads) + "-" + std::to_string(dither) + "-" +
                                      std::to_string(run++));
        fs::create_directories(out);
        outputs.push_back(out);
        char folder[16];
        std::snprintf(folder, sizeof folder, "m%d", run);
        char* args[] = {const_cast<char*>("bench"), const_cast<char*>(scratch.bitmap.c_str()),
                        const_cast<char*>(out.c_str()), folder};
        bench::Arguments parsed;
        ConversionJob job;
        CheckedConversion checked;
        if (!bench::parseArguments(4, args, parsed) || !bench::prepareJob(parsed, job, checked, dither)) {
            state.SkipWithError("cannot prepare the job");
            break;
        }
        state.ResumeTiming();
        if (!bench::writeMap(checked, threads)) {
            state.SkipWithError("writing failed");
            break;
        }
    }
    fs::current_path(scratch.root);
    for (const fs::path& out : outputs) fs::remove_all(out);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kWidth) * kHeight);
}

}  // namespace

BENCHMARK(writeTiles)
    ->ArgNames({"threads", "dither"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Iterations(40)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();

// io_floor BITMAP OUTPUT_DIR FOLDER [THREADS]
// What the file system alone costs for a conversion: the tile writer's reads (the same
// batches, blocks and offsets) and its files (the same paths, created the same way, one
// write of 25,760 bytes each, in the same order), with no computation: the bytes written
// are a constant tile. With 2 threads one thread reads while the other writes, at most
// two batches apart, as in the tile writer.

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "BenchJob.h"
#include "OutputPaths.h"
#include "TileBatch.h"
#include "TileWriter.h"

namespace {

// The reads of TileBatchReader::fill, without converting anything.
bool readBatch(FileServices& files, FileServices::Handle bitmap, const ConversionJob& job,
               const BatchPlan& plan, std::vector<uint8_t>& block) {
    const uint64_t rowBytes = 3u * static_cast<uint64_t>(job.bitmapWidth);
    const bool wholeWidth = plan.firstColumn == 0 && plan.columnCount == job.tileColumns;
    const size_t stretchBytes = static_cast<size_t>(kTileRowSourceBytes) * plan.columnCount;
    const uint64_t firstStoredRow =
        static_cast<uint64_t>(job.bitmapHeight) - static_cast<uint64_t>(kTileSide) * (plan.row + 1);
    const uint64_t start = job.pixelDataOffset + rowBytes * firstStoredRow +
                           static_cast<uint64_t>(kTileRowSourceBytes) * plan.firstColumn;
    const size_t rowsPerRead =
        wholeWidth ? static_cast<size_t>(std::clamp<uint64_t>(kReadBlockBytes / rowBytes, 1, kTileSide)) : 1;
    for (int32_t k = 0; k < kTileSide;) {
        size_t rows = std::min(rowsPerRead, static_cast<size_t>(kTileSide - k));
        size_t wanted = wholeWidth ? rows * static_cast<size_t>(rowBytes) : stretchBytes;
        if (block.size() < wanted) block.resize(wanted);
        if (files.readAt(bitmap, start + rowBytes * static_cast<uint64_t>(k), block.data(), wanted) !=
            static_cast<int64_t>(wanted))
            return false;
        k += static_cast<int32_t>(rows);
    }
    return true;
}

bool writeBatch(FileServices& files, const ConversionJob& job, const BatchPlan& plan,
                const std::vector<uint8_t>& tile) {
    std::string level = levelFolderPath(job.folderName, plan.row);
    for (int32_t i = 0; i < plan.columnCount; ++i) {
        std::string path = tileFilePath(level, plan.firstColumn + i, plan.row);
        FileServices::Handle file = files.replaceFile(path.c_str());
        if (file == FileServices::kNoFile) return false;
        bool written = files.writeAll(file, tile.data(), tile.size());
        if (!files.close(file) || !written) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bench::Arguments args;
    ConversionJob job;
    if (!bench::parseArguments(argc, argv, args) || !bench::prepareJob(args, job)) return 1;
    FileServices& files = platformFileServices();
    FileServices::Handle bitmap = files.openForReading(job.bitmapPath);
    if (bitmap == FileServices::kNoFile) return 1;
    const std::vector<BatchPlan> plans = planBatches(job);
    const std::vector<uint8_t> tile(kTileFileSize, 0x5A);
    std::vector<uint8_t> block;
    bool ok = true;
    if (args.threads == 1) {
        for (const BatchPlan& plan : plans)
            ok = ok && readBatch(files, bitmap, job, plan, block) && writeBatch(files, job, plan, tile);
    } else {
        std::mutex mutex;
        std::condition_variable changed;
        size_t read = 0, written = 0;
        bool failed = false;
        std::thread reader([&] {
            for (size_t n = 0; n < plans.size(); ++n) {
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    changed.wait(lock, [&] { return failed || n < written + 2; });
                    if (failed) return;
                }
                bool good = readBatch(files, bitmap, job, plans[n], block);
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    if (good) ++read;
                    else failed = true;
                }
                changed.notify_all();
                if (!good) return;
            }
        });
        for (size_t n = 0; n < plans.size() && ok; ++n) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return failed || read > n; });
                if (read <= n) ok = false;
            }
            if (ok) ok = writeBatch(files, job, plans[n], tile);
            {
                std::lock_guard<std::mutex> lock(mutex);
                ++written;
                if (!ok) failed = true;
            }
            changed.notify_all();
        }
        reader.join();
    }
    files.close(bitmap);
    return ok ? 0 : 1;
}

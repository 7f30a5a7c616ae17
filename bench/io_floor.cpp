// io_floor BITMAP OUTPUT_DIR FOLDER [THREADS [inplace]]
// What the file system alone costs for a conversion: the tile writer's reads (the same
// batches, blocks and offsets) and its files (the same paths, written the same way: the
// index under its temporary name first, each tile in one write of 25,760 bytes under its
// temporary name and renamed into place, the index renamed last), with no computation:
// the bytes written are a constant tile. With 2 threads one thread reads while the other
// writes, at most two batches apart, as in the tile writer. With "inplace" every file is
// written under its final name instead, to show what the renames cost.

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "BenchJob.h"
#include "OutputFile.h"
#include "OutputPaths.h"
#include "TileBatch.h"
#include "IndexFormat.h"
#include "TileFormat.h"

namespace {

constexpr size_t kReadBlockBytes = 1u << 20;  // as the bitmap source reads

// The reads of the bitmap source for one batch, without converting anything.
bool readBatch(FileReading& files, FileReading::Handle bitmap, const ConversionJob& job,
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

// One whole file, as the tile writer writes it (OutputFile), or straight under its name.
bool writeFile(OutputFolder& output, const char* path, const std::vector<uint8_t>& bytes, bool inPlace) {
    if (!inPlace) {
        OutputFile file(output);
        return file.create(path, Temporary::Shared) == OutputFileResult::Done &&
               file.write(bytes.data(), bytes.size()) && file.place(Placing::Replace) == OutputFileResult::Done;
    }
    OutputFolder::Handle file = output.createFile(path);
    if (file == OutputFolder::kNoFile) return false;
    bool written = output.writeAll(file, bytes.data(), bytes.size());
    return output.close(file) && written;
}

bool writeBatch(OutputFolder& output, const ConversionJob& job, const BatchPlan& plan,
                const std::vector<uint8_t>& tile, bool inPlace) {
    for (int32_t i = 0; i < plan.columnCount; ++i) {
        OutputPath path;
        formatTilePath(path, job.folderName, plan.firstColumn + i, plan.row);
        if (!writeFile(output, path, tile, inPlace)) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bench::Arguments args;
    ConversionJob job;
    CheckedConversion checked;
    if (!bench::parseArguments(argc, argv, args) || !bench::prepareJob(args, job, checked)) return 1;
    const bool inPlace = argc > 5 && std::string(argv[5]) == "inplace";
    FileReading& files = platformFileReading();
    FileReading::Handle bitmap = files.openForReading(job.bitmapPath);
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(".", error);
    if (bitmap == FileReading::kNoFile || !output) return 1;
    for (int32_t row = 0; row < job.tileRows; ++row) {
        OutputPath level;
        formatLevelFolderPath(level, job.folderName, row);
        if (row == 0) {
            output->makeFolder(job.folderName);
            OutputPath layer;
            formatLayerFolderPath(layer, job.folderName);
            output->makeFolder(layer);
        }
        output->makeFolder(level);
    }
    std::vector<BatchPlan> plans;
    for (int64_t n = 0; n < batchCount(job); ++n) plans.push_back(batchPlan(job, n));
    const std::vector<uint8_t> tile(kTileFileSize, 0x5A);
    const std::vector<uint8_t> record(kIndexRecordSize, 0x5A);
    OutputPath index;
    formatIndexPath(index, job.folderName);
    OutputFile indexFile(*output);
    if (inPlace) {
        if (!writeFile(*output, index, record, true)) return 1;
    } else if (indexFile.create(index, Temporary::Lock) != OutputFileResult::Done ||
               !indexFile.write(record.data(), record.size())) {
        return 1;
    }
    std::vector<uint8_t> block;
    bool ok = true;
    if (args.threads == 1) {
        for (const BatchPlan& plan : plans)
            ok = ok && readBatch(files, bitmap, job, plan, block) && writeBatch(*output, job, plan, tile, inPlace);
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
            if (ok) ok = writeBatch(*output, job, plans[n], tile, inPlace);
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
    if (!inPlace) ok = ok && indexFile.place(Placing::NeverReplace) == OutputFileResult::Done;
    return ok ? 0 : 1;
}

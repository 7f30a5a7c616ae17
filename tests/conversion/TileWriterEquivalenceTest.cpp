// The tile writer against the straightforward one: the same files with the same bytes,
// created in the same order, the same warnings and results, with one and two threads,
// for bitmaps of several shapes and for every kind of failure.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "FaultyFileServices.h"
#include "ForcedRowKernel.h"
#include "IndexWriter.h"
#include "Messages.h"
#include "RecordingFeedback.h"
#include "ReferenceTileWriter.h"
#include "TempFolder.h"
#include "TestBitmap.h"
#include "TileBatch.h"
#include "TileWriter.h"
#include "OutputPaths.h"
#include "TestOutput.h"
#include "TileWriting.h"
#include "WorkedExample.h"

namespace fs = std::filesystem;

namespace {

// Records everything, and whether every call came from the thread that made it.
class CallerCheckingFeedback : public RecordingFeedback {
public:
    void showMessage(const char* text, const char* caption, MessageIcon icon) override {
        check();
        RecordingFeedback::showMessage(text, caption, icon);
    }
    void showProgress(int32_t tilesWritten, int32_t tileCount) override {
        check();
        progress.push_back(tilesWritten);
        RecordingFeedback::showProgress(tilesWritten, tileCount);
    }
    std::vector<int32_t> progress;
    bool onlyFromCaller = true;

private:
    void check() {
        if (std::this_thread::get_id() != caller_) onlyFromCaller = false;
    }
    std::thread::id caller_ = std::this_thread::get_id();
};

Rgb noisePixel(int32_t x, int32_t y) {
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return {static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16)};
}

std::vector<uint8_t> readWhole(const fs::path& path) {
    std::vector<uint8_t> bytes(fs::file_size(path));
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

struct Picture {
    const char* what;
    int32_t width, height;
    uint32_t pixelDataOffset;
    uint32_t infoHeaderSize;
    PixelFunction pixel;
};

// Everything one writer left behind and told.
struct Outcome {
    TileWriteResult result = TileWriteResult::Interrupted;
    std::map<std::string, std::vector<uint8_t>> files;  // every file under the map folder
    std::vector<std::string> created;                  // paths in the order they were created
    std::vector<ShownMessage> messages;
    std::vector<int32_t> progress;
    bool feedbackOnlyFromCaller = true;
};

using Arrange = std::function<void(FaultyFileServices&, const ConversionJob&)>;

class TileWriterEquivalence : public ::testing::Test {
protected:
    void SetUp() override { previous_ = fs::current_path(); }
    void TearDown() override { fs::current_path(previous_); }

    // Writes the bitmap once; both writers read it.
    ConversionJob prepare(const Picture& picture) {
        std::vector<uint8_t> bytes =
            makeBitmap(picture.width, picture.height, picture.pixel, picture.pixelDataOffset);
        bytes[14] = static_cast<uint8_t>(picture.infoHeaderSize);
        std::string path = bitmapFolder_.file("map.bmp");
        writeFile(path, bytes);
        ConversionJob job = workedExampleJob();
        std::strcpy(job.bitmapPath, path.c_str());
        job.pixelDataOffset = picture.pixelDataOffset;
        job.bitmapWidth = picture.width;
        job.bitmapHeight = picture.height;
        job.tileColumns = picture.width / kTileSide;
        job.tileRows = picture.height / kTileSide;
        job.tileCount = job.tileColumns * job.tileRows;
        job.bottomRightLongitude = job.topLeftLongitude + 1000 * static_cast<uint32_t>(job.tileColumns) + 7;
        return job;
    }

    // Runs one writer in a fresh output folder: folders made, then the tiles, with faults
    // arranged on the file services.
    template <typename Writer>
    Outcome run(const ConversionJob& job, const Arrange& arrange, Writer&& write) {
        outputs_.push_back(std::make_unique<TempFolder>());
        fs::current_path(outputs_.back()->path());
        for (int32_t row = 0; row < job.tileRows; ++row) fs::create_directories(levelFolderPath(job.folderName, row));
        auto output = openTestOutput(outputs_.back()->path());
        FaultyFileServices files(platformFileReading(), *output);
        if (arrange) arrange(files, job);
        CallerCheckingFeedback feedback;
        Outcome out;
        out.result = write(files, feedback);
        out.created = files.created;
        out.messages = feedback.messages;
        out.progress = feedback.progress;
        out.feedbackOnlyFromCaller = feedback.onlyFromCaller;
        for (const auto& entry : fs::recursive_directory_iterator(job.folderName))
            if (entry.is_regular_file()) out.files[entry.path().generic_string()] = readWhole(entry.path());
        fs::current_path(previous_);
        return out;
    }

    Outcome reference(const ConversionJob& job, const Arrange& arrange = {}) {
        return run(job, arrange, [&](FaultyFileServices& files, UserFeedback& feedback) {
            return ReferenceTileWriter(files.reading(), files.output()).writeTiles(job, feedback);
        });
    }

    Outcome fast(const ConversionJob& job, int threads, const Arrange& arrange = {}) {
        return run(job, arrange, [&](FaultyFileServices& files, UserFeedback& feedback) {
            return writeTilesOf(job, files.reading(), files.output(), feedback, threads);
        });
    }

    static void expectSame(const Outcome& fast, const Outcome& reference) {
        EXPECT_EQ(fast.result, reference.result);
        ASSERT_EQ(fast.messages.size(), reference.messages.size());
        for (size_t i = 0; i < fast.messages.size(); ++i) {
            EXPECT_EQ(fast.messages[i].text, reference.messages[i].text);
            EXPECT_EQ(fast.messages[i].caption, reference.messages[i].caption);
            EXPECT_EQ(fast.messages[i].icon, reference.messages[i].icon);
        }
        EXPECT_EQ(fast.progress, reference.progress);
        EXPECT_EQ(fast.created, reference.created);
        ASSERT_EQ(fast.files.size(), reference.files.size());
        for (const auto& [path, bytes] : reference.files) {
            auto found = fast.files.find(path);
            ASSERT_NE(found, fast.files.end()) << path;
            EXPECT_TRUE(found->second == bytes) << path << " differs";
        }
        EXPECT_TRUE(fast.feedbackOnlyFromCaller);
    }

    TempFolder bitmapFolder_;
    std::vector<std::unique_ptr<TempFolder>> outputs_;  // kept until the test ends: no folder is reused
    fs::path previous_;
};

TEST_F(TileWriterEquivalence, SameBytesForBitmapsOfEveryShape) {
    const Picture pictures[] = {
        {"smallest, plain header", 480, 480, 54, 40, patternPixel},
        {"wider than high, gap before the pixels", 800, 480, 70, 40, patternPixel},
        {"higher than wide, V5 header", 480, 1120, 138, 124, patternPixel},
        {"noise, odd gap", 1440, 640, 1001, 40, noisePixel},
    };
    for (const Picture& picture : pictures) {
        SCOPED_TRACE(picture.what);
        ConversionJob job = prepare(picture);
        Outcome expected = reference(job);
        ASSERT_EQ(expected.result, TileWriteResult::Written);
        ASSERT_EQ(expected.files.size(), static_cast<size_t>(job.tileCount));
        for (int threads : {1, 2}) {
            SCOPED_TRACE(threads);
            expectSame(fast(job, threads), expected);
        }
    }
}

TEST_F(TileWriterEquivalence, SameBytesWithEveryConverterTheProcessorHas) {
    // The portable converter included: the product uses it only where nothing wider runs.
    ConversionJob job = prepare({"noise, odd gap", 1440, 640, 1001, 40, noisePixel});
    Outcome expected = reference(job);
    ASSERT_EQ(expected.result, TileWriteResult::Written);
    for (ColorQuantizer::detail::RowKernel kernel : availableRowKernels()) {
        SCOPED_TRACE(ColorQuantizer::detail::rowKernelName(kernel));
        ForcedRowKernel forced(kernel);
        for (int threads : {1, 2}) {
            SCOPED_TRACE(threads);
            expectSame(fast(job, threads), expected);
        }
    }
}

TEST_F(TileWriterEquivalence, SameBytesWhenARowOfTilesTakesSeveralBatches) {
    // More columns than one batch holds: the row of tiles is read one stored row a time.
    const int32_t columns = kMaxTilesPerBatch + 2;
    ConversionJob job = prepare({"very wide", columns * kTileSide, kTileSide, 54, 40, noisePixel});
    Outcome expected = reference(job);
    ASSERT_EQ(expected.result, TileWriteResult::Written);
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        expectSame(fast(job, threads), expected);
    }
}

TEST_F(TileWriterEquivalence, ExistingTilesAreReplacedAlike) {
    ConversionJob job = prepare({"plain", 480, 480, 54, 40, patternPixel});
    auto oldTiles = [](FaultyFileServices&, const ConversionJob&) {
        writeFile("area01/layer1/level001/smpl001001.map", std::vector<uint8_t>(40000, 9));
        writeFile("area01/layer1/level002/smpl002002.map", {1});
    };
    Outcome expected = reference(job, oldTiles);
    for (int threads : {1, 2}) expectSame(fast(job, threads, oldTiles), expected);
}

struct FailureCase {
    const char* what;
    Arrange arrange;
    TileWriteResult result;
};

// Byte offset of stored row s, column c, of the job's bitmap.
uint64_t storedAt(const ConversionJob& job, int64_t storedRow, int64_t column = 0) {
    return job.pixelDataOffset + 3u * static_cast<uint64_t>(job.bitmapWidth * storedRow + column * kTileSide);
}

TEST_F(TileWriterEquivalence, SameFilesAndWarningWhenSomethingFails) {
    const FailureCase cases[] = {
        {"first tile cannot be created",
         [](FaultyFileServices& f, const ConversionJob&) { f.failCreateOf = "smpl000000.map"; },
         TileWriteResult::CreateFailed},
        {"a tile in the second row cannot be created",
         [](FaultyFileServices& f, const ConversionJob&) { f.failCreateOf = "smpl003001.map"; },
         TileWriteResult::CreateFailed},
        {"writing a tile fails",
         [](FaultyFileServices& f, const ConversionJob&) { f.failWriteTo = "smpl004002.map"; },
         TileWriteResult::WriteFailed},
        {"disk full inside a tile's pixels",
         [](FaultyFileServices& f, const ConversionJob&) { f.diskSpace = 7 * kTileFileSize + 3000; },
         TileWriteResult::WriteFailed},
        {"disk full right after a header",
         [](FaultyFileServices& f, const ConversionJob&) { f.diskSpace = 9 * kTileFileSize + 100; },
         TileWriteResult::WriteFailed},
        {"closing the first tile fails",
         [](FaultyFileServices& f, const ConversionJob&) { f.failCloseAt = 1; }, TileWriteResult::WriteFailed},
        {"no read of the pixels succeeds",
         [](FaultyFileServices& f, const ConversionJob& job) {
             uint64_t pixels = job.pixelDataOffset;
             f.readFails = [pixels](uint64_t offset, size_t) { return offset >= pixels; };
         },
         TileWriteResult::SourceReadFailed},
        // The top row of tiles is stored last: a bitmap cut inside its last stored row
        // still gives the tiles west of the cut.
        {"bitmap cut in its last stored row",
         [](FaultyFileServices& f, const ConversionJob& job) {
             f.shortReadFrom = storedAt(job, job.bitmapHeight - 1, 3) + 17;
         },
         TileWriteResult::SourceReadFailed},
        {"bitmap cut at its last stored row",
         [](FaultyFileServices& f, const ConversionJob& job) {
             f.shortReadFrom = storedAt(job, job.bitmapHeight - 1);
         },
         TileWriteResult::SourceReadFailed},
        {"bitmap cut in its middle",
         [](FaultyFileServices& f, const ConversionJob& job) {
             f.shortReadFrom = storedAt(job, job.bitmapHeight / 2, 2);
         },
         TileWriteResult::SourceReadFailed},
        {"a damaged stretch in the first tile of the second row of tiles",
         [](FaultyFileServices& f, const ConversionJob& job) {
             uint64_t bad = storedAt(job, job.bitmapHeight - 280) + 5;
             f.readFails = [bad](uint64_t offset, size_t size) { return offset <= bad && bad < offset + size; };
         },
         TileWriteResult::SourceReadFailed},
    };
    ConversionJob job = prepare({"5 by 3 tiles", 800, 480, 54, 40, noisePixel});
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        Outcome expected = reference(job, c.arrange);
        ASSERT_EQ(expected.result, c.result);
        for (int threads : {1, 2}) {
            SCOPED_TRACE(threads);
            expectSame(fast(job, threads, c.arrange), expected);
        }
    }
}

TEST_F(TileWriterEquivalence, ADamagedStretchStopsNoLaterThanTheReference) {
    // A read error inside a row of tiles: the straightforward writer notices it at the
    // first tile that needs the damaged bytes; the fast one, reading the row of tiles in
    // large blocks, notices it for the whole block and writes none of that row's tiles.
    // Both stop with the same warning; what is on disk is complete and correct.
    ConversionJob job = prepare({"5 by 3 tiles", 800, 480, 54, 40, noisePixel});
    auto damaged = [](FaultyFileServices& f, const ConversionJob& job) {
        uint64_t bad = storedAt(job, job.bitmapHeight - 80, 3);
        f.readFails = [bad](uint64_t offset, size_t size) { return offset <= bad && bad < offset + size; };
    };
    Outcome expected = reference(job, damaged);
    ASSERT_EQ(expected.result, TileWriteResult::SourceReadFailed);
    ASSERT_EQ(expected.files.size(), 3u);  // tiles (0, 0) to (2, 0)
    for (int threads : {1, 2}) {
        Outcome got = fast(job, threads, damaged);
        EXPECT_EQ(got.result, TileWriteResult::SourceReadFailed);
        ASSERT_EQ(got.messages.size(), 1u);
        EXPECT_EQ(got.messages[0].text, messages::kCannotReadBitmap);
        for (const auto& [path, bytes] : got.files) EXPECT_TRUE(expected.files.at(path) == bytes) << path;
        EXPECT_LE(got.files.size(), expected.files.size());
    }
}

}  // namespace

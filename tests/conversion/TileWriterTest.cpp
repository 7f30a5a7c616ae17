#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "BigEndian.h"
#include "ColorQuantizer.h"
#include "FaultyFileServices.h"
#include "IndexWriter.h"
#include "Messages.h"
#include "ExpectedTile.h"
#include "FolderTest.h"
#include "RecordingFeedback.h"
#include "SourceRows.h"
#include "TempFolder.h"
#include "TestBitmap.h"
#include "TileWriter.h"
#include "TestOutput.h"
#include "TileWriting.h"
#include "WorkedExample.h"
#include "OutputPaths.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> header(const ConversionJob& job, int32_t column, int32_t row) {
    uint8_t block[kNeighbourBlockSize];
    fillNeighbourBlock(block, column, row, job.tileColumns, job.tileRows);
    TileCorner corner = tileCorner(job, column, row);
    std::vector<uint8_t> out(kTileHeaderSize);
    buildTileHeader(out.data(), job, block, corner.topLatitude, corner.leftLongitude);
    return out;
}

TEST(TileHeader, WorkedExampleTile21ByteForByte) {
    EXPECT_EQ(header(workedExampleJob(), 2, 1), workedExampleTile21Header());
}

struct NeighbourCase {
    int32_t column, row;
    const char* slots[8];
};

TEST(NeighbourBlock, SlotsOfA3By3Grid) {
    const NeighbourCase cases[] = {
        {0, 0, {"000", "000", "001", "", "001", "", "", ""}},
        {2, 1, {"002", "001", "", "001", "002", "000", "", ""}},
        {1, 2, {"001", "002", "002", "000", "", "001", "", ""}},
    };
    for (const NeighbourCase& c : cases) {
        uint8_t block[kNeighbourBlockSize];
        std::memset(block, 0xEE, sizeof block);
        fillNeighbourBlock(block, c.column, c.row, 3, 3);
        for (int slot = 0; slot < 8; ++slot) {
            char text[5] = {};
            std::memcpy(text, block + 4 * slot, 4);
            EXPECT_STREQ(text, c.slots[slot]) << c.column << "," << c.row << " slot " << slot;
            EXPECT_EQ(block[4 * slot + 3], 0);
        }
    }
}

TEST(NeighbourBlock, NumbersPastThreeDigitsKeepTheirFirstThreeCharacters) {
    uint8_t block[kNeighbourBlockSize];
    fillNeighbourBlock(block, 1234, 0, 2000, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 3), "123");
    EXPECT_EQ(block[3], 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block + 8), 3), "123");  // 1235
}

TEST(TileHeader, MapNameIsCutTo16Bytes) {
    ConversionJob job = workedExampleJob();
    const std::pair<std::string, std::string> cases[] = {
        {std::string(16, 'A'), std::string(16, 'A')},
        {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOP"},
        {"abc", std::string("abc") + std::string(13, '\0')},
    };
    for (const auto& [name, field] : cases) {
        std::memset(job.mapName, 0, sizeof job.mapName);
        std::memcpy(job.mapName, name.data(), name.size());
        std::vector<uint8_t> h = header(job, 0, 0);
        EXPECT_EQ(std::string(h.begin() + 16, h.begin() + 32), field);
        EXPECT_EQ(h[15], 0);
    }
}

TEST(TileCorner, StepsDropTheirRemainders) {
    ConversionJob job = workedExampleJob();
    job.bottomRightLatitude = job.topLeftLatitude - 1000;  // one second over 3 rows: step 333
    for (int32_t row = 0; row < 3; ++row)
        EXPECT_EQ(tileCorner(job, 0, row).topLatitude, job.topLeftLatitude - 333u * row);
    job.bottomRightLongitude = job.topLeftLongitude + 2;  // smaller than the columns: step 0
    for (int32_t column = 0; column < 3; ++column)
        EXPECT_EQ(tileCorner(job, column, 0).leftLongitude, job.topLeftLongitude);
    std::vector<uint8_t> origin = header(workedExampleJob(), 0, 0);
    EXPECT_TRUE(std::equal(origin.begin() + 80, origin.begin() + 88, origin.begin() + 88));
}

TEST(SourceRowOffset, RowsAreStoredBottomUpAndAddressedIn64Bits) {
    ConversionJob job = workedExampleJob();
    EXPECT_EQ(sourceRowOffset(job, 0, 0, 0), 54u + 3u * 480u * 479u);  // last stored row
    EXPECT_EQ(sourceRowOffset(job, 1, 2, 159), 54u + 3u * 160u);         // first stored row
    job.bitmapWidth = 160000;
    job.bitmapHeight = 16000;
    job.tileColumns = 1000;
    job.tileRows = 100;
    EXPECT_EQ(sourceRowOffset(job, 999, 0, 0), 54ull + 3ull * (159840ull + 160000ull * 15999ull));
}

class TileWriterTest : public FolderTest {
protected:

    ConversionJob prepare(int32_t width, int32_t height, uint32_t offset = 54) {
        std::string path = folder_.file("map.bmp");
        writeFile(path, makeBitmap(width, height, patternPixel, offset));
        ConversionJob job = workedExampleJob();
        std::strcpy(job.bitmapPath, path.c_str());
        job.pixelDataOffset = offset;
        job.bitmapWidth = width;
        job.bitmapHeight = height;
        job.tileColumns = width / kTileSide;
        job.tileRows = height / kTileSide;
        job.tileCount = job.tileColumns * job.tileRows;
        for (int32_t row = 0; row < job.tileRows; ++row) fs::create_directories(levelFolderPath(job.folderName, row));
        return job;
    }

    TileWriteResult write(const ConversionJob& job, UserFeedback& feedback) {
        return writeTilesOf(job, platformFileReading(), *output_, feedback);
    }

};

TEST_F(TileWriterTest, EveryTileOfANonSquareBitmapByteForByte) {
    ConversionJob job = prepare(800, 480, 70);
    RecordingFeedback feedback;
    ASSERT_EQ(write(job, feedback), TileWriteResult::Written);
    EXPECT_TRUE(feedback.messages.empty());
    EXPECT_EQ(feedback.lastProgress, 15);
    for (int32_t row = 0; row < 3; ++row)
        for (int32_t column = 0; column < 5; ++column) {
            char name[64];
            std::snprintf(name, sizeof name, "area01/layer1/level%03d/smpl%03d%03d.map", row, column, row);
            std::vector<uint8_t> tile = readFile(name);
            ASSERT_EQ(tile.size(), static_cast<size_t>(kTileFileSize)) << name;
            EXPECT_TRUE(tile == expectedTile(job, column, row)) << name;
        }
    EXPECT_FALSE(fs::exists("area01/layer1/level000/smpl005000.map"));
}

TEST_F(TileWriterTest, ExistingTilesAndLinksAreReplacedNotWrittenThrough) {
    ConversionJob job = prepare(480, 480);
    writeFile("area01/layer1/level000/smpl000000.map", std::vector<uint8_t>(99999, 7));
    writeFile(folder_.file("outside.txt"), {1, 2, 3});
    fs::create_symlink(folder_.file("outside.txt"), "area01/layer1/level000/smpl001000.map");
    RecordingFeedback feedback;
    ASSERT_EQ(write(job, feedback), TileWriteResult::Written);
    EXPECT_EQ(readFile("area01/layer1/level000/smpl000000.map"), expectedTile(job, 0, 0));
    EXPECT_FALSE(fs::is_symlink("area01/layer1/level000/smpl001000.map"));
    EXPECT_EQ(readFile(folder_.file("outside.txt")), (std::vector<uint8_t>{1, 2, 3}));
}

struct TileFailure {
    const char* what;
    void (*arrange)(FaultyFileServices&);
    TileWriteResult result;
    const char* message;
    int tilesLeft;  // complete tiles on disk afterwards; -1: any number (read-ahead may vary)
};

class TileWriterFails : public TileWriterTest, public ::testing::WithParamInterface<TileFailure> {};

TEST_P(TileWriterFails, WarnsOnceStopsAndLeavesOnlyCompleteTiles) {
    ConversionJob job = prepare(480, 480);
    FaultyFileServices files(platformFileReading(), *output_);
    GetParam().arrange(files);
    RecordingFeedback feedback;
    EXPECT_EQ(writeTilesOf(job, files.reading(), files.output(), feedback), GetParam().result);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, GetParam().message);
    EXPECT_EQ(feedback.messages[0].caption, "Warning");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Exclamation);
    int complete = 0;
    for (const auto& entry : fs::recursive_directory_iterator("area01")) {
        if (!entry.is_regular_file()) continue;
        EXPECT_EQ(entry.path().extension(), ".map") << "a temporary was left: " << entry.path();
        EXPECT_EQ(entry.file_size(), static_cast<uintmax_t>(kTileFileSize)) << entry.path();
        ++complete;
    }
    if (GetParam().tilesLeft >= 0) {
        EXPECT_EQ(complete, GetParam().tilesLeft);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TileWriterFails,
    ::testing::Values(
        TileFailure{"first tile cannot be created", [](FaultyFileServices& f) { f.failCreateAt = 1; },
                    TileWriteResult::CreateFailed, messages::kCannotCreateOutput, 0},
        TileFailure{"middle tile cannot be created", [](FaultyFileServices& f) { f.failCreateAt = 5; },
                    TileWriteResult::CreateFailed, messages::kCannotCreateOutput, 4},
        TileFailure{"last tile cannot be put in place", [](FaultyFileServices& f) { f.failRenameTo = "smpl002002.map"; },
                    TileWriteResult::CreateFailed, messages::kCannotCreateOutput, 8},
        TileFailure{"disk full in the third tile",
                    [](FaultyFileServices& f) { f.diskSpace = 2 * kTileFileSize + 1000; },
                    TileWriteResult::WriteFailed, messages::kCannotWriteOutput, 2},
        TileFailure{"close fails", [](FaultyFileServices& f) { f.failCloseAt = 1; },
                    TileWriteResult::WriteFailed, messages::kCannotWriteOutput, 0},
        TileFailure{"short read", [](FaultyFileServices& f) { f.shortReadAt = 3; },
                    TileWriteResult::SourceReadFailed, messages::kCannotReadBitmap, -1},
        TileFailure{"read error", [](FaultyFileServices& f) { f.failReadAt = 2; },
                    TileWriteResult::SourceReadFailed, messages::kCannotReadBitmap, 0}));

TEST_F(TileWriterTest, MissingLevelFolderStopsAtItsFirstTile) {
    ConversionJob job = prepare(480, 480);
    fs::remove_all("area01/layer1/level001");
    RecordingFeedback feedback;
    EXPECT_EQ(write(job, feedback), TileWriteResult::CreateFailed);
    EXPECT_EQ(feedback.messages.size(), 1u);
    EXPECT_TRUE(fs::exists("area01/layer1/level000/smpl002000.map"));
    EXPECT_FALSE(fs::exists("area01/layer1/level002/smpl000002.map"));
}

}  // namespace

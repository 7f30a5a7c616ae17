#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "FaultyFileServices.h"
#include "IndexWriter.h"
#include "Messages.h"
#include "RecordingFeedback.h"
#include "TempFolder.h"
#include "TestBitmap.h"
#include "WorkedExample.h"

namespace fs = std::filesystem;

namespace {

class IndexWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(folder_.path());
    }
    void TearDown() override { fs::current_path(previous_); }

    TempFolder folder_;
    fs::path previous_;
};

TEST_F(IndexWriterTest, WorkedExampleMakesTheTreeAndTheRecordByteForByte) {
    ConversionJob job = workedExampleJob();
    RecordingFeedback feedback;
    ASSERT_EQ(IndexWriter().writeIndex(job, feedback), kIndexWritten);
    EXPECT_TRUE(feedback.messages.empty());
    EXPECT_EQ(readFile("area01.vlm"), workedExampleIndex());
    for (const char* level : {"level000", "level001", "level002"})
        EXPECT_TRUE(fs::is_directory(fs::path("area01") / "layer1" / level)) << level;
    EXPECT_FALSE(fs::exists(fs::path("area01") / "layer1" / "level003"));
}

TEST(IndexRecord, FieldsAtTheirEdges) {
    ConversionJob job = workedExampleJob();
    std::memset(job.mapName, 'N', 32);  // a 32-byte name leaves no zero before the folder name
    std::strcpy(job.folderName, "abcdefgh");
    job.bitmapHeight = 960;
    job.tileRows = 6;
    job.tileCount = 18;
    uint8_t record[kIndexRecordSize];
    buildIndexRecord(record, job);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record), 40), std::string(32, 'N') + "abcdefgh");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 80), 12), "abcdefgh.txt");
    for (int i = 92; i < 96; ++i) EXPECT_EQ(record[i], 0) << i;
    EXPECT_EQ(std::vector<uint8_t>(record + 96, record + 108),
              (std::vector<uint8_t>{0, 0, 0, 0x12, 0, 0, 0, 3, 0, 0, 0, 6}));
    for (int i = 128; i < 144; ++i) EXPECT_EQ(record[i], 0) << i;
}

TEST_F(IndexWriterTest, ExistingIndexIsNeverTouchedButMissingFoldersAreMade) {
    ConversionJob job = workedExampleJob();
    const std::vector<uint8_t> earlier = {1, 2, 3};
    writeFile("area01.vlm", earlier);
    job.bitmapHeight = 960;
    job.tileRows = 6;
    RecordingFeedback feedback;
    EXPECT_EQ(IndexWriter().writeIndex(job, feedback), kIndexExists);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, messages::kIndexExists);
    EXPECT_EQ(feedback.messages[0].caption, "Warning");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(readFile("area01.vlm"), earlier);
    EXPECT_TRUE(fs::is_directory("area01/layer1/level005"));
}

TEST_F(IndexWriterTest, ExistingTreeWithoutIndexIsReused) {
    fs::create_directories("area01/layer1/level000");
    ConversionJob job = workedExampleJob();
    RecordingFeedback feedback;
    EXPECT_EQ(IndexWriter().writeIndex(job, feedback), kIndexWritten);
    EXPECT_EQ(readFile("area01.vlm"), workedExampleIndex());
}

TEST_F(IndexWriterTest, CreateFailureWarnsAndWritesNothing) {
    FaultyFileServices files(platformFileServices());
    files.failCreateNewAt = 1;
    RecordingFeedback feedback;
    EXPECT_EQ(IndexWriter(files).writeIndex(workedExampleJob(), feedback), kIndexCreateFailed);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, messages::kCannotCreateOutput);
    EXPECT_EQ(feedback.messages[0].caption, "Warning");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(fs::exists("area01.vlm"));
    EXPECT_TRUE(fs::is_directory("area01/layer1/level002"));
}

TEST_F(IndexWriterTest, FailedWriteLeavesNoIndexToBlockTheNextConversion) {
    for (bool failClose : {false, true}) {
        FaultyFileServices files(platformFileServices());
        (failClose ? files.failCloseAt : files.failWriteAt) = 1;
        RecordingFeedback feedback;
        EXPECT_EQ(IndexWriter(files).writeIndex(workedExampleJob(), feedback), kIndexWriteFailed);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, messages::kCannotWriteOutput);
        EXPECT_FALSE(fs::exists("area01.vlm"));
        RecordingFeedback retry;
        EXPECT_EQ(IndexWriter().writeIndex(workedExampleJob(), retry), kIndexWritten);
        EXPECT_EQ(readFile("area01.vlm"), workedExampleIndex());
        fs::remove("area01.vlm");
    }
}

}  // namespace

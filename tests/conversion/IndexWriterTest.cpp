#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "FaultyFileServices.h"
#include "IndexWriter.h"
#include "Messages.h"
#include "FolderTest.h"
#include "RecordingFeedback.h"
#include "TempFolder.h"
#include "TestBitmap.h"
#include "TestOutput.h"
#include "WorkedExample.h"

namespace fs = std::filesystem;

namespace {

using IndexWriterTest = FolderTest;

TEST_F(IndexWriterTest, WorkedExampleMakesTheTreeAndTheRecordByteForByte) {
    ConversionJob job = workedExampleJob();
    RecordingFeedback feedback;
    IndexWriter writer(*output_);
    ASSERT_EQ(writer.writeIndex(job, feedback), IndexWriteResult::Written);
    EXPECT_FALSE(fs::exists("area01.vlm")) << "the index is put in place only after the tiles";
    EXPECT_EQ(readFile("area01.vlm.part"), workedExampleIndex());
    ASSERT_EQ(writer.publishIndex(job, feedback), IndexWriteResult::Written);
    EXPECT_TRUE(feedback.messages.empty());
    EXPECT_FALSE(fs::exists("area01.vlm.part"));
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
    EXPECT_EQ(IndexWriter(*output_).writeIndex(job, feedback), IndexWriteResult::Exists);
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
    IndexWriter writer(*output_);
    EXPECT_EQ(writer.writeIndex(job, feedback), IndexWriteResult::Written);
    EXPECT_EQ(writer.publishIndex(job, feedback), IndexWriteResult::Written);
    EXPECT_EQ(readFile("area01.vlm"), workedExampleIndex());
}

TEST_F(IndexWriterTest, CreateFailureWarnsAndWritesNothing) {
    FaultyFileServices files(platformFileReading(), *output_);
    files.failLockAt = 1;
    RecordingFeedback feedback;
    EXPECT_EQ(IndexWriter(files.output()).writeIndex(workedExampleJob(), feedback), IndexWriteResult::CreateFailed);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, messages::kCannotCreateOutput);
    EXPECT_EQ(feedback.messages[0].caption, "Warning");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(fs::exists("area01.vlm"));
    EXPECT_TRUE(fs::is_directory("area01/layer1/level002"));
}

TEST_F(IndexWriterTest, FailedWriteOrAbandonedRunLeavesNoIndexToBlockTheNextConversion) {
    {
        FaultyFileServices files(platformFileReading(), *output_);
        files.failWriteAt = 1;
        RecordingFeedback feedback;
        EXPECT_EQ(IndexWriter(files.output()).writeIndex(workedExampleJob(), feedback), IndexWriteResult::WriteFailed);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, messages::kCannotWriteOutput);
    }
    {
        RecordingFeedback feedback;
        IndexWriter abandoned(*output_);
        EXPECT_EQ(abandoned.writeIndex(workedExampleJob(), feedback), IndexWriteResult::Written);
    }
    EXPECT_FALSE(fs::exists("area01.vlm"));
    EXPECT_FALSE(fs::exists("area01.vlm.part"));
    RecordingFeedback retry;
    IndexWriter writer(*output_);
    EXPECT_EQ(writer.writeIndex(workedExampleJob(), retry), IndexWriteResult::Written);
    EXPECT_EQ(writer.publishIndex(workedExampleJob(), retry), IndexWriteResult::Written);
    EXPECT_EQ(readFile("area01.vlm"), workedExampleIndex());
}

TEST_F(IndexWriterTest, ARunHoldingTheMapStopsASecondOneWithTheSameNameWarning) {
    RecordingFeedback first, second;
    IndexWriter holder(*output_);
    ASSERT_EQ(holder.writeIndex(workedExampleJob(), first), IndexWriteResult::Written);
    auto otherOutput = openTestOutput(folder_.path());
    EXPECT_EQ(IndexWriter(*otherOutput).writeIndex(workedExampleJob(), second), IndexWriteResult::Exists);
    ASSERT_EQ(second.messages.size(), 1u);
    EXPECT_EQ(second.messages[0].text, messages::kIndexExists);
    EXPECT_EQ(readFile("area01.vlm.part"), workedExampleIndex()) << "the holder's file is untouched";
    EXPECT_EQ(holder.publishIndex(workedExampleJob(), first), IndexWriteResult::Written);
}

// A link where a folder of the tree goes would lead the tiles outside the output folder.
TEST_F(IndexWriterTest, LinkInTheTreeStopsItBeforeAnythingIsWritten) {
    for (const char* place : {"area01", "area01/layer1", "area01/layer1/level001"}) {
        TempFolder elsewhere;
        fs::remove_all("area01");
        fs::create_directories(fs::path(place).parent_path().empty() ? "." : fs::path(place).parent_path());
        fs::create_symlink(elsewhere.path(), place);
        RecordingFeedback feedback;
        EXPECT_EQ(IndexWriter(*output_).writeIndex(workedExampleJob(), feedback), IndexWriteResult::CreateFailed)
            << place;
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, messages::kCannotCreateOutput);
        EXPECT_TRUE(fs::is_empty(elsewhere.path())) << place;
        EXPECT_FALSE(fs::exists("area01.vlm.part")) << place;
    }
}

}  // namespace

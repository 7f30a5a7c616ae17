#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "BitmapProbe.h"
#include "ColorQuantizer.h"
#include "Buffer.h"
#include "Conversion.h"
#include "FaultyFileServices.h"
#include "Messages.h"
#include "ExpectedTile.h"
#include "FolderTest.h"
#include "RecordingFeedback.h"
#include "TempFolder.h"
#include "TestBitmap.h"
#include "TestOutput.h"
#include "WorkedExample.h"

namespace fs = std::filesystem;

namespace {

class ConversionTest : public FolderTest {
protected:

    // Writes the bitmap and accepts it the way the dialog does.
    ConversionJob accept(const std::vector<uint8_t>& bitmap) {
        std::string path = folder_.file("map.bmp");
        writeFile(path, bitmap);
        ConversionJob job;
        RecordingFeedback feedback;
        EXPECT_EQ(static_cast<unsigned>(BitmapProbe().probeBitmap(path.c_str(), job, feedback)), 0u);
        std::strcpy(job.bitmapPath, path.c_str());
        job.bitmapAccepted = 1;
        return job;
    }

    std::vector<std::string> listing() {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder_.path()))
            names.push_back(fs::relative(entry.path(), folder_.path()).string());
        std::sort(names.begin(), names.end());
        return names;
    }

};

TEST_F(ConversionTest, WholeConversionByteForByte) {
    ConversionJob job = accept(makeBitmap(640, 480, patternPixel));
    RecordingFeedback feedback;
    EXPECT_EQ(runConversion(job, workedExampleSettings(), feedback), ConversionOutcome::Converted);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, "SUCCESS : File convert finish.");
    EXPECT_EQ(feedback.messages[0].caption, "");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(feedback.events, (std::vector<std::string>{"wait", "message", "arrow"}));

    std::vector<uint8_t> index = readFile("area01.vlm");
    ASSERT_EQ(index.size(), 160u);
    EXPECT_EQ(std::vector<uint8_t>(index.begin() + 96, index.begin() + 108),
              (std::vector<uint8_t>{0, 0, 0, 12, 0, 0, 0, 4, 0, 0, 0, 3}));

    // Every byte of every tile comes from the settings and its own picture position.
    ConversionJob expected = workedExampleJob(640, 480);
    std::memcpy(expected.bitmapPath, job.bitmapPath, sizeof job.bitmapPath);
    for (int32_t row = 0; row < 3; ++row)
        for (int32_t column = 0; column < 4; ++column) {
            char name[64];
            std::snprintf(name, sizeof name, "area01/layer1/level%03d/smpl%03d%03d.map", row, column, row);
            EXPECT_TRUE(readFile(name) == expectedTile(expected, column, row)) << name;
        }
}

TEST_F(ConversionTest, NoAcceptedBitmapShowsAndWritesNothing) {
    ConversionJob job = accept(makeBitmap(480, 480, patternPixel));
    job.bitmapAccepted = 0;
    RecordingFeedback feedback;
    EXPECT_EQ(runConversion(job, workedExampleSettings(), feedback), ConversionOutcome::NoBitmap);
    EXPECT_EQ(feedback.events, (std::vector<std::string>{"wait", "arrow"}));
    EXPECT_EQ(listing(), std::vector<std::string>{"map.bmp"});
}

TEST_F(ConversionTest, RefusedSettingShowsItsMessageWithAnEmptyCaptionAndMakesNothing) {
    ConversionJob job = accept(makeBitmap(480, 480, patternPixel));
    SettingsText texts = workedExampleSettings();
    texts.mapName.clear();
    RecordingFeedback feedback;
    EXPECT_EQ(runConversion(job, texts, feedback), ConversionOutcome::SettingsRefused);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, messages::kIllegalMapName);
    EXPECT_EQ(feedback.messages[0].caption, "");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(feedback.events.back(), "arrow");
    EXPECT_EQ(listing(), std::vector<std::string>{"map.bmp"});
}

TEST_F(ConversionTest, SecondConversionStopsAtTheExistingIndex) {
    ConversionJob job = accept(makeBitmap(480, 480, patternPixel));
    RecordingFeedback first;
    ASSERT_EQ(runConversion(job, workedExampleSettings(), first), ConversionOutcome::Converted);
    fs::remove("area01/layer1/level000/smpl000000.map");
    std::vector<uint8_t> index = readFile("area01.vlm");
    RecordingFeedback second;
    SettingsText texts = workedExampleSettings();
    texts.mapName = "OTHER";
    EXPECT_EQ(runConversion(job, texts, second), ConversionOutcome::OutputFailed);
    ASSERT_EQ(second.messages.size(), 1u);
    EXPECT_EQ(second.messages[0].text, messages::kIndexExists);
    EXPECT_EQ(second.messages[0].caption, "Warning");
    EXPECT_EQ(readFile("area01.vlm"), index);
    EXPECT_FALSE(fs::exists("area01/layer1/level000/smpl000000.map")) << "no tile may be written";
}

TEST_F(ConversionTest, BitmapCutShortAfterItWasChosenIsRefusedBeforeAnythingIsWritten) {
    std::vector<uint8_t> bitmap = makeBitmap(480, 480, patternPixel);
    ConversionJob job = accept(bitmap);
    bitmap.resize(bitmap.size() - 1);
    writeFile(job.bitmapPath, bitmap);
    RecordingFeedback feedback;
    EXPECT_EQ(runConversion(job, workedExampleSettings(), feedback), ConversionOutcome::BitmapUnusable);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, messages::kBitmapTruncated);
    EXPECT_EQ(feedback.messages[0].caption, "Warning");
    EXPECT_EQ(listing(), std::vector<std::string>{"map.bmp"});

    fs::remove(job.bitmapPath);
    RecordingFeedback gone;
    EXPECT_EQ(runConversion(job, workedExampleSettings(), gone), ConversionOutcome::BitmapUnusable);
    ASSERT_EQ(gone.messages.size(), 1u);
    EXPECT_EQ(gone.messages[0].text, messages::kCannotReadBitmap);
    EXPECT_TRUE(listing().empty());
}

TEST_F(ConversionTest, PixelOffsetPastTheEndIsRefused) {
    std::vector<uint8_t> bitmap = makeBitmap(480, 480, patternPixel);
    bitmap[10] = 0xFF;  // pixel-data offset far beyond the file
    bitmap[11] = 0xFF;
    bitmap[12] = 0xFF;
    bitmap[13] = 0xFF;
    ConversionJob job = accept(bitmap);
    RecordingFeedback feedback;
    EXPECT_EQ(runConversion(job, workedExampleSettings(), feedback), ConversionOutcome::BitmapUnusable);
}

TEST_F(ConversionTest, WriterFailureShowsOnlyTheWritersWarning) {
    ConversionJob job = accept(makeBitmap(480, 480, patternPixel));
    auto output = openTestOutput(folder_.path());
    FaultyFileServices files(platformFileReading(), *output);
    files.failCreateAt = 4;
    RecordingFeedback feedback;
    EXPECT_EQ(runConversion(job, workedExampleSettings(), feedback, files.reading(), files.output()),
              ConversionOutcome::OutputFailed);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, messages::kCannotCreateOutput);
    EXPECT_EQ(feedback.events.back(), "arrow");
    EXPECT_FALSE(fs::exists("area01.vlm")) << "an index stands only over a whole map";
    EXPECT_FALSE(fs::exists("area01.vlm.part"));
    EXPECT_TRUE(fs::exists("area01/layer1/level000/smpl002000.map"));
}

// Each of the conversion's buffers in turn cannot be had: the check step says so and
// nothing is written; the next CONVERT, with memory, converts.
TEST_F(ConversionTest, TooLittleMemoryWritesNothing) {
    ConversionJob job = accept(makeBitmap(480, 480, patternPixel));
    static int allocations, failAt;
    for (failAt = 1; failAt <= 3; ++failAt) {
        allocations = 0;
        setBufferAllocatorForTesting([](size_t size) -> void* {
            return ++allocations == failAt ? nullptr : std::calloc(size, 1);
        });
        RecordingFeedback feedback;
        EXPECT_EQ(runConversion(job, workedExampleSettings(), feedback), ConversionOutcome::OutOfMemory) << failAt;
        setBufferAllocatorForTesting(nullptr);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, messages::kNotEnoughMemory);
        EXPECT_EQ(feedback.messages[0].caption, "Warning");
        EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(feedback.events.back(), "arrow");
        EXPECT_EQ(listing(), std::vector<std::string>{"map.bmp"});
    }
    RecordingFeedback feedback;
    EXPECT_EQ(runConversion(job, workedExampleSettings(), feedback), ConversionOutcome::Converted);
}

}  // namespace

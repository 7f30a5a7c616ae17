// Faults injected through the file-services seam into a whole CONVERT of a 3 x 3 tile map.
// For each: exactly one clear warning, never the success message, no truncated or wrong
// file and no index left behind, nothing changed outside the output folder, and a second
// CONVERT after the cause is gone simply converts.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <functional>

#include "FaultSandbox.h"
#include "FaultyFileServices.h"
#include "Messages.h"
#include "TestBitmap.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kPixelData = 54;
constexpr uint64_t kPictureRowBytes = 3 * 480;
constexpr int64_t kTileBytes = 25760;

struct SeamFault {
    const char* what;
    std::function<void(FaultyFileServices&)> inject;
    const char* message;
    int tilesLeft;  // complete tiles left, the first ones in writing order
};

void PrintTo(const SeamFault& fault, std::ostream* out) { *out << fault.what; }

void expectOneWarning(const ConvertRun& run, const char* text) {
    ASSERT_EQ(run.feedback.messages.size(), 1u);
    EXPECT_EQ(run.feedback.messages[0].text, text);
    EXPECT_EQ(run.feedback.messages[0].caption, "Warning");
    EXPECT_EQ(run.feedback.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(run.feedback.events.back(), "arrow");
}

// What the user does next: CONVERT again once the cause is gone. No index was left, so
// it just works.
void expectSecondConvert(FaultSandbox& sandbox) {
    ConvertRun last = sandbox.convert();
    EXPECT_EQ(last.outcome, ConversionOutcome::Converted);
    ASSERT_EQ(last.feedback.messages.size(), 1u);
    EXPECT_EQ(last.feedback.messages[0].text, messages::kSuccess);
    EXPECT_EQ(sandbox.completeMapFiles(), FaultSandbox::expectedFiles(9, true));
}

class SeamFaults : public ::testing::TestWithParam<SeamFault> {};

TEST_P(SeamFaults, OneWarningNothingTruncatedAndTheNextConvertBehaves) {
    const SeamFault& fault = GetParam();
    FaultSandbox sandbox;
    auto outsideBefore = sandbox.outsideOutput();

    auto output = sandbox.openOutput();
    FaultyFileServices files(platformFileReading(), *output);
    fault.inject(files);
    ConvertRun run = sandbox.convert(files.reading(), files.output());

    EXPECT_EQ(run.outcome, ConversionOutcome::OutputFailed);
    expectOneWarning(run, fault.message);
    EXPECT_EQ(sandbox.mapFiles(), sandbox.completeMapFiles()) << "a file left behind is truncated or wrong";
    EXPECT_EQ(sandbox.completeMapFiles(), FaultSandbox::expectedFiles(fault.tilesLeft, false));
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore) << "something outside the output folder changed";

    expectSecondConvert(sandbox);
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);
}

// Rows are stored bottom-up: tile row 0 lies in the last third of the pixel data, tile
// row 2 in the first.
constexpr uint64_t kLastThird = kPixelData + 320 * kPictureRowBytes;
constexpr uint64_t kFirstThirdEnd = kPixelData + 160 * kPictureRowBytes;

INSTANTIATE_TEST_SUITE_P(
    Faults, SeamFaults,
    ::testing::Values(
        SeamFault{"index cannot be created", [](FaultyFileServices& f) { f.failLockAt = 1; },
                  messages::kCannotCreateOutput, 0},
        SeamFault{"index write stops halfway", [](FaultyFileServices& f) { f.failWriteTo = "area01.vlm"; },
                  messages::kCannotWriteOutput, 0},
        SeamFault{"disk already full", [](FaultyFileServices& f) { f.diskSpace = 0; },
                  messages::kCannotWriteOutput, 0},
        SeamFault{"first tile cannot be created", [](FaultyFileServices& f) { f.failCreateOf = "smpl000000.map"; },
                  messages::kCannotCreateOutput, 0},
        SeamFault{"middle tile cannot be created", [](FaultyFileServices& f) { f.failCreateOf = "smpl001001.map"; },
                  messages::kCannotCreateOutput, 4},
        SeamFault{"last tile cannot be created", [](FaultyFileServices& f) { f.failCreateOf = "smpl002002.map"; },
                  messages::kCannotCreateOutput, 8},
        SeamFault{"first tile write stops halfway", [](FaultyFileServices& f) { f.failWriteTo = "smpl000000.map"; },
                  messages::kCannotWriteOutput, 0},
        SeamFault{"middle tile write stops halfway", [](FaultyFileServices& f) { f.failWriteTo = "smpl001001.map"; },
                  messages::kCannotWriteOutput, 4},
        SeamFault{"last tile write stops halfway", [](FaultyFileServices& f) { f.failWriteTo = "smpl002002.map"; },
                  messages::kCannotWriteOutput, 8},
        SeamFault{"disk fills inside the fourth tile",
                  [](FaultyFileServices& f) { f.diskSpace = 160 + 3 * kTileBytes + 1000; },
                  messages::kCannotWriteOutput, 3},
        SeamFault{"bitmap cut short while tiles are read",
                  [](FaultyFileServices& f) { f.shortReadFrom = kLastThird + 1000; },
                  messages::kCannotReadBitmap, 0},
        SeamFault{"bitmap read error in the last tile row",
                  [](FaultyFileServices& f) {
                      f.readFails = [](uint64_t offset, size_t) { return offset >= kPixelData && offset < kFirstThirdEnd; };
                  },
                  messages::kCannotReadBitmap, 6},
        SeamFault{"bitmap read error in the middle tile row",
                  [](FaultyFileServices& f) {
                      f.readFails = [](uint64_t offset, size_t size) {
                          return offset + size > kFirstThirdEnd + 1000 && offset < kLastThird;
                      };
                  },
                  messages::kCannotReadBitmap, 3},
        SeamFault{"last tile cannot be put in place", [](FaultyFileServices& f) { f.failRenameTo = "smpl002002.map"; },
                  messages::kCannotCreateOutput, 8},
        SeamFault{"index cannot be put in place", [](FaultyFileServices& f) { f.failRenameTo = "area01.vlm"; },
                  messages::kCannotCreateOutput, 9},
        SeamFault{"output folder read-only",
                  [](FaultyFileServices& f) {
                      f.failMakeFolder = true;
                      f.failLockAt = 1;
                      f.failCreateAt = 1;
                      f.failFromThenOn = true;
                  },
                  messages::kCannotCreateOutput, 0}),
    [](const ::testing::TestParamInfo<SeamFault>& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST(BitmapGone, BetweenTheProbeAndConvertNothingIsWrittenAndItConvertsOnceBack) {
    FaultSandbox sandbox;
    auto outsideBefore = sandbox.outsideOutput();
    std::string bitmap = readWhole(sandbox.bitmap());
    fs::remove(sandbox.bitmap());

    ConvertRun run = sandbox.convert();
    EXPECT_EQ(run.outcome, ConversionOutcome::BitmapUnusable);
    expectOneWarning(run, messages::kCannotReadBitmap);
    EXPECT_TRUE(fs::is_empty(sandbox.out())) << "nothing may be written, not even a folder";
    auto outsideAfter = sandbox.outsideOutput();
    outsideAfter["in/map.bmp"] = bitmap;
    EXPECT_EQ(outsideAfter, outsideBefore);

    writeFile(sandbox.bitmap().string(), std::vector<uint8_t>(bitmap.begin(), bitmap.end()));
    expectSecondConvert(sandbox);
}

TEST(BitmapGone, ReplacedByAFolderBetweenTheProbeAndConvert) {
    FaultSandbox sandbox;
    fs::remove(sandbox.bitmap());
    fs::create_directory(sandbox.bitmap());
    ConvertRun run = sandbox.convert();
    EXPECT_EQ(run.outcome, ConversionOutcome::BitmapUnusable);
    expectOneWarning(run, messages::kCannotReadBitmap);
    EXPECT_TRUE(fs::is_empty(sandbox.out()));
}

// The bitmap is rewritten while its tiles are written: the map would be made of two
// pictures, so no index is put in place; the tiles in place are whole.
TEST(BitmapChanged, DuringTheRunNoIndexIsPutInPlace) {
    FaultSandbox sandbox;
    fs::last_write_time(sandbox.bitmap(), fs::file_time_type::clock::now() - std::chrono::hours(1));
    auto output = sandbox.openOutput();
    FaultyFileServices files(platformFileReading(), *output);
    std::string bitmap = readWhole(sandbox.bitmap());
    files.onPutInPlace = [&](const std::string& path) {
        if (path.ends_with("smpl000000.map"))
            writeFile(sandbox.bitmap().string(), std::vector<uint8_t>(bitmap.begin(), bitmap.end()));
    };
    ConvertRun run = sandbox.convert(files.reading(), files.output());
    EXPECT_EQ(run.outcome, ConversionOutcome::OutputFailed);
    expectOneWarning(run, messages::kCannotReadBitmap);
    EXPECT_FALSE(fs::exists(sandbox.out() / "area01.vlm"));
    EXPECT_EQ(sandbox.mapFiles(), sandbox.completeMapFiles());
    expectSecondConvert(sandbox);
}

}  // namespace

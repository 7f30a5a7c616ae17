#include <gtest/gtest.h>

#include <string>

#include "BitmapChoice.h"
#include "FaultyFileServices.h"
#include "TestOutput.h"
#include "Messages.h"
#include "RecordingFeedback.h"
#include "TempFolder.h"
#include "TestBitmap.h"

namespace {

BitmapHeaderFields sized(int32_t width, int32_t height) {
    BitmapHeaderFields f;
    f.width = width;
    f.height = height;
    return f;
}

TEST(ChooseBitmap, AcceptedFileIsTakenWithItsPath) {
    TempFolder folder;
    std::string path = folder.file("a.bmp");
    writeFile(path, bitmapHeaders(sized(800, 640)));
    ConversionJob job;
    RecordingFeedback feedback;
    EXPECT_EQ(chooseBitmap(path.c_str(), job, feedback), BitmapChoice::Accepted);
    EXPECT_TRUE(feedback.messages.empty());
    EXPECT_EQ(job.bitmapAccepted, 1);
    EXPECT_EQ(std::string(job.bitmapPath), path);
    EXPECT_EQ(job.tileCount, 20);
}

TEST(ChooseBitmap, RefusedFileKeepsTheEarlierBitmapAccepted) {
    TempFolder folder;
    std::string good = folder.file("good.bmp"), bad = folder.file("bad.bmp");
    writeFile(good, bitmapHeaders(sized(480, 480)));
    writeFile(bad, bitmapHeaders(sized(500, 480)));
    ConversionJob job;
    RecordingFeedback feedback;
    ASSERT_EQ(chooseBitmap(good.c_str(), job, feedback), BitmapChoice::Accepted);
    EXPECT_EQ(chooseBitmap(bad.c_str(), job, feedback), BitmapChoice::Refused);
    EXPECT_EQ(job.bitmapAccepted, 1);
    EXPECT_EQ(std::string(job.bitmapPath), good);
    EXPECT_EQ(job.bitmapWidth, 480);
}

TEST(ChooseBitmap, FileThatNoLongerOpensIsTakenButNotAccepted) {
    TempFolder folder;
    std::string good = folder.file("good.bmp"), other = folder.file("other.bmp");
    writeFile(good, bitmapHeaders(sized(480, 480)));
    writeFile(other, bitmapHeaders(sized(960, 640)));
    ConversionJob job;
    RecordingFeedback feedback;
    ASSERT_EQ(chooseBitmap(good.c_str(), job, feedback), BitmapChoice::Accepted);

    auto output = openTestOutput(folder.path());
    FaultyFileServices faults(platformFileReading(), *output);
    FileReading& files = faults.reading();
    faults.failOpenForReadingAt = 2;  // the probe's open succeeds, the second one fails
    RecordingFeedback second;
    EXPECT_EQ(chooseBitmap(other.c_str(), job, second, files), BitmapChoice::CannotReopen);
    ASSERT_EQ(second.messages.size(), 1u);
    EXPECT_EQ(second.messages[0].text, "Error : Cannot open bitmap file.");
    EXPECT_EQ(second.messages[0].caption, "Warning");
    EXPECT_EQ(second.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(job.bitmapAccepted, 0);
    EXPECT_EQ(std::string(job.bitmapPath), other);
    EXPECT_EQ(job.bitmapWidth, 960);
}

TEST(ChooseBitmap, PathTooLongForTheJobIsRefusedWithoutTouchingIt) {
    std::string path = "/" + std::string(kBitmapPathSize + 10, 'x');
    ConversionJob job;
    RecordingFeedback feedback;
    EXPECT_EQ(chooseBitmap(path.c_str(), job, feedback), BitmapChoice::Refused);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, messages::kCannotOpenBitmap);
    EXPECT_EQ(job.bitmapPath[0], '\0');
}

}  // namespace

#include <gtest/gtest.h>

#include "BitmapProbe.h"
#include "Messages.h"
#include "RecordingFeedback.h"
#include "TempFolder.h"
#include "TestBitmap.h"

namespace {

struct ProbeCase {
    const char* what;
    BitmapHeaderFields fields;
    unsigned expected;
    const char* message;
};

BitmapHeaderFields withSignature(char a, char b) {
    BitmapHeaderFields f;
    f.signature[0] = a;
    f.signature[1] = b;
    return f;
}

class ProbeRefuses : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeRefuses, WithItsMessageAndLeavesTheJobAlone) {
    TempFolder folder;
    std::string path = folder.file("picture.bmp");
    writeFile(path, bitmapHeaders(GetParam().fields));
    ConversionJob job;
    job.bitmapWidth = 800;
    job.tileCount = 20;
    RecordingFeedback feedback;
    EXPECT_EQ(static_cast<unsigned>(BitmapProbe().probeBitmap(path.c_str(), job, feedback)), GetParam().expected);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, GetParam().message);
    EXPECT_EQ(feedback.messages[0].caption, "Warning");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Information);
    // Shown with the wait cursor set, and the arrow back afterwards.
    EXPECT_EQ(feedback.events, (std::vector<std::string>{"wait", "message", "arrow"}));
    EXPECT_EQ(job.bitmapWidth, 800);
    EXPECT_EQ(job.tileCount, 20);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeRefuses,
    ::testing::Values(
        ProbeCase{"not BM", withSignature('M', 'B'), 2, "Error : this file is not bmp-file"},
        ProbeCase{"8-bit", headerFields(640, 480, 8), 3, "This software support 24bpp color.\nThis file is not 24bpp."},
        ProbeCase{"compressed 8-bit counts as not 24-bit", headerFields(640, 480, 8, 1), 3, messages::kNot24Bit},
        ProbeCase{"32-bit", headerFields(640, 480, 32), 3, messages::kNot24Bit},
        ProbeCase{"compressed", headerFields(640, 480, 24, 1), 4,
                  "This bmp-file is compressed.\nThis software only support non-compress bmp-file."},
        ProbeCase{"narrow", headerFields(470, 640), 5, "This software only support Width>=480 and Height>=480 bitmap."},
        ProbeCase{"low", headerFields(640, 470), 5, messages::kTooSmall},
        ProbeCase{"top-down", headerFields(640, -480), 5, messages::kTooSmall},
        ProbeCase{"size before divisibility", headerFields(400, 400), 5, messages::kTooSmall},
        ProbeCase{"width off the grid", headerFields(500, 480), 6, "Error : Width and Height must be divide by 160."},
        ProbeCase{"height off the grid", headerFields(480, 500), 6, messages::kNotTileMultiple}));

struct AcceptCase {
    int32_t width, height, columns, rows, tiles;
};

TEST(ProbeAccepts, RecordsGeometryAndTileGrid) {
    const AcceptCase cases[] = {
        {480, 480, 3, 3, 9}, {800, 640, 5, 4, 20}, {65600, 480, 410, 3, 1230}};
    for (const AcceptCase& c : cases) {
        TempFolder folder;
        std::string path = folder.file("ok.bmp");
        BitmapHeaderFields f = headerFields(c.width, c.height);
        f.pixelDataOffset = 138;  // a V5 header: pixels are found through the offset alone
        f.infoHeaderSize = 124;
        writeFile(path, bitmapHeaders(f));
        ConversionJob job;
        RecordingFeedback feedback;
        EXPECT_EQ(static_cast<unsigned>(BitmapProbe().probeBitmap(path.c_str(), job, feedback)), 0u);
        EXPECT_TRUE(feedback.messages.empty());
        EXPECT_EQ(feedback.events, (std::vector<std::string>{"wait", "arrow"}));
        EXPECT_EQ(job.pixelDataOffset, 138u);
        EXPECT_EQ(job.bitmapWidth, c.width);
        EXPECT_EQ(job.bitmapHeight, c.height);
        EXPECT_EQ(job.tileColumns, c.columns);
        EXPECT_EQ(job.tileRows, c.rows);
        EXPECT_EQ(job.tileCount, c.tiles);
        EXPECT_EQ(job.bitmapAccepted, 0) << "the dialog, not the probe, accepts";
    }
}

TEST(ProbeRefuses, MissingFileWithExclamationAndNoCursorChange) {
    TempFolder folder;
    ConversionJob job;
    RecordingFeedback feedback;
    EXPECT_EQ(static_cast<unsigned>(BitmapProbe().probeBitmap(folder.file("none.bmp").c_str(), job, feedback)), 1u);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, "Error : Cannot find bmp-file");
    EXPECT_EQ(feedback.messages[0].caption, "Warning");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(feedback.events, (std::vector<std::string>{"message"}));
}

TEST(ProbeRefuses, AFolderIsNoBitmapFile) {
    TempFolder folder;
    ConversionJob job;
    RecordingFeedback feedback;
    EXPECT_EQ(static_cast<unsigned>(BitmapProbe().probeBitmap(folder.path().string().c_str(), job, feedback)), 1u);
}

TEST(ProbeRefuses, FilesThatEndInsideTheirHeaders) {
    std::vector<uint8_t> full = bitmapHeaders(headerFields(480, 480));
    for (size_t length : {size_t{0}, size_t{1}, size_t{13}, size_t{14}, size_t{30}, size_t{53}}) {
        TempFolder folder;
        std::string path = folder.file("short.bmp");
        writeFile(path, std::vector<uint8_t>(full.begin(), full.begin() + static_cast<long>(length)));
        ConversionJob job;
        RecordingFeedback feedback;
        EXPECT_EQ(static_cast<unsigned>(BitmapProbe().probeBitmap(path.c_str(), job, feedback)), 2u) << length;
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, messages::kNotBitmap);
        EXPECT_EQ(job.bitmapWidth, 0);
    }
}

TEST(ProbeRefuses, ASecondFileKeepsTheFirstBitmapsGeometry) {
    TempFolder folder;
    std::string good = folder.file("good.bmp");
    std::string bad = folder.file("bad.bmp");
    writeFile(good, bitmapHeaders(headerFields(800, 640)));
    writeFile(bad, bitmapHeaders(headerFields(500, 480)));
    ConversionJob job;
    RecordingFeedback feedback;
    ASSERT_EQ(static_cast<unsigned>(BitmapProbe().probeBitmap(good.c_str(), job, feedback)), 0u);
    EXPECT_EQ(static_cast<unsigned>(BitmapProbe().probeBitmap(bad.c_str(), job, feedback)), 6u);
    EXPECT_EQ(job.bitmapWidth, 800);
    EXPECT_EQ(job.tileRows, 4);
    EXPECT_EQ(job.tileCount, 20);
}

}  // namespace

#include "FaultyFileServices.h"
#include "TestOutput.h"

namespace {

TEST(ProbeRefuses, FileThatCannotBeOpenedWithoutTouchingTheCursor) {
    TempFolder folder;
    std::string path = folder.file("locked.bmp");
    writeFile(path, bitmapHeaders(headerFields(480, 480)));
    auto output = openTestOutput(folder.path());
    FaultyFileServices faults(platformFileReading(), *output);
    FileReading& files = faults.reading();
    faults.failOpenForReadingAt = 1;
    ConversionJob job;
    RecordingFeedback feedback;
    EXPECT_EQ(static_cast<unsigned>(BitmapProbe(files).probeBitmap(path.c_str(), job, feedback)), 2u);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, "Error : Cannot open bmp-file");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(feedback.events, (std::vector<std::string>{"message"}));
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Messages.h"
#include "Settings.h"
#include "WorkedExample.h"

namespace {

TEST(ApplySettings, ValidTextsFillTheJob) {
    ConversionJob job;
    ASSERT_EQ(applySettings(job, workedExampleSettings()), SettingsError::NoError);
    EXPECT_STREQ(job.mapName, "SAMPLE MAP");
    EXPECT_STREQ(job.folderName, "area01");
    EXPECT_EQ(job.topLeftLatitude, 128400000u);
    EXPECT_EQ(job.topLeftLongitude, 503100000u);
    EXPECT_EQ(job.bottomRightLatitude, 128340000u);
    EXPECT_EQ(job.bottomRightLongitude, 503160000u);
    EXPECT_EQ(job.eastWestDistance, 18520u);
    EXPECT_EQ(job.northSouthDistance, 9260u);
}

struct Refusal {
    const char* what;
    void (*change)(SettingsText&);
    SettingsError expected;
    const char* message;
};

class ApplySettingsRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(ApplySettingsRefuses, WithTheFirstFailingCheck) {
    SettingsText texts = workedExampleSettings();
    GetParam().change(texts);
    ConversionJob job;
    SettingsError error = applySettings(job, texts);
    EXPECT_EQ(error, GetParam().expected);
    EXPECT_STREQ(settingsErrorMessage(error), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplySettingsRefuses,
    ::testing::Values(
        Refusal{"empty map name beats everything else",
                [](SettingsText& t) { t = SettingsText{}; }, SettingsError::IllegalMapName,
                "ERROR : Illegal Map Name."},
        Refusal{"empty folder", [](SettingsText& t) { t.folderName = ""; },
                SettingsError::IllegalFolderName, "ERROR : Illegal Folder Name."},
        Refusal{"upper case", [](SettingsText& t) { t.folderName = "Area01"; },
                SettingsError::IllegalFolderCharacters,
                "ERROR : Illegal Folder Name. you can use a..z and 0..9."},
        Refusal{"space", [](SettingsText& t) { t.folderName = "area 1"; },
                SettingsError::IllegalFolderCharacters, messages::kIllegalFolderCharacters},
        Refusal{"underscore", [](SettingsText& t) { t.folderName = "area_1"; },
                SettingsError::IllegalFolderCharacters, messages::kIllegalFolderCharacters},
        Refusal{"double-byte character", [](SettingsText& t) { t.folderName = "\x82\xa0"; },
                SettingsError::IllegalFolderCharacters, messages::kIllegalFolderCharacters},
        Refusal{"dot or separator", [](SettingsText& t) { t.folderName = "../x"; },
                SettingsError::IllegalFolderCharacters, messages::kIllegalFolderCharacters},
        Refusal{"reserved device name",
                [](SettingsText& t) { t.folderName = "con"; }, SettingsError::IllegalFolderName,
                messages::kIllegalFolderName},
        Refusal{"equal latitudes", [](SettingsText& t) { t.bottomRightLatitude = {"35", "40", "0"}; },
                SettingsError::IllegalLatitude, "ERROR : Illegal Latitude."},
        Refusal{"both corners wrong gives latitude",
                [](SettingsText& t) {
                    std::swap(t.topLeftLatitude, t.bottomRightLatitude);
                    std::swap(t.topLeftLongitude, t.bottomRightLongitude);
                },
                SettingsError::IllegalLatitude, messages::kIllegalLatitude},
        Refusal{"equal longitudes", [](SettingsText& t) { t.bottomRightLongitude = {"139", "45", "0"}; },
                SettingsError::IllegalLongitude, "ERROR : Illegal Longitude."},
        Refusal{"zero distance", [](SettingsText& t) { t.eastWestDistance = "0"; },
                SettingsError::IllegalDistance, "ERROR : Illegal distance(>0)."},
        Refusal{"empty distance", [](SettingsText& t) { t.northSouthDistance = ""; },
                SettingsError::IllegalDistance, messages::kIllegalDistance},
        Refusal{"letters read as zero", [](SettingsText& t) { t.northSouthDistance = "abc"; },
                SettingsError::IllegalDistance, messages::kIllegalDistance}));

TEST(ApplySettings, ReservedDeviceNamesAreRefusedAndSimilarNamesAreNot) {
    for (const char* name : {"con", "prn", "aux", "nul", "com1", "com9", "lpt1", "lpt9"}) {
        SettingsText texts = workedExampleSettings();
        texts.folderName = name;
        ConversionJob job;
        EXPECT_EQ(applySettings(job, texts), SettingsError::IllegalFolderName) << name;
    }
    for (const char* name : {"com0", "lpt0", "com10", "cons", "nul1", "console", "aux2x"}) {
        SettingsText texts = workedExampleSettings();
        texts.folderName = name;
        ConversionJob job;
        EXPECT_EQ(applySettings(job, texts), SettingsError::NoError) << name;
    }
}

TEST(ApplySettings, LongTextsAreCutToTheirFields) {
    SettingsText texts = workedExampleSettings();
    texts.mapName = std::string(40, 'M');
    texts.folderName = "abcdefghijk";  // 11 bytes: the first 8 are used
    texts.topLeftLatitude = {"355", "401", "10"};  // degrees read as 35, minutes as 40
    texts.eastWestDistance = "123456789";          // read as 1234567
    ConversionJob job;
    std::memset(job.mapName, 'x', sizeof job.mapName);
    ASSERT_EQ(applySettings(job, texts), SettingsError::NoError);
    EXPECT_EQ(std::string(job.mapName), std::string(32, 'M'));
    EXPECT_EQ(job.mapName[32], '\0');
    EXPECT_STREQ(job.folderName, "abcdefgh");
    EXPECT_EQ(job.topLeftLatitude, 128410000u);
    EXPECT_EQ(job.eastWestDistance, 12345670u);
}

TEST(ApplySettings, ShorterNameClearsEveryByteOfTheLongerOne) {
    ConversionJob job;
    SettingsText texts = workedExampleSettings();
    texts.mapName = std::string(32, 'L');
    ASSERT_EQ(applySettings(job, texts), SettingsError::NoError);
    texts.mapName = "ab";
    ASSERT_EQ(applySettings(job, texts), SettingsError::NoError);
    for (int i = 2; i < kMapNameSize; ++i) EXPECT_EQ(job.mapName[i], '\0') << i;
}

TEST(ApplySettings, ValuesReadBeforeAFailureStayInTheJob) {
    SettingsText texts = workedExampleSettings();
    texts.bottomRightLongitude = {"1", "0", "0"};
    ConversionJob job;
    ASSERT_EQ(applySettings(job, texts), SettingsError::IllegalLongitude);
    EXPECT_STREQ(job.mapName, "SAMPLE MAP");
    EXPECT_EQ(job.bottomRightLongitude, 3600000u);
    EXPECT_EQ(job.eastWestDistance, 0u);  // distances are read only after the corners passed
}

struct AngleCase {
    AngleText text;
    int degreesLength;
    uint32_t expected;
};

TEST(AngleFromText, FormsMillisecondsOfArcInUnsigned32Bits) {
    const AngleCase cases[] = {
        {{"35", "40", "10"}, 2, 128410000u},
        {{"139", "45", "30"}, 3, 503130000u},
        {{"", "", ""}, 2, 0u},
        {{"0", "75", "0"}, 2, 4500000u},   // minutes are not limited to 59
        {{"-1", "0", "0"}, 2, 4291367296u},  // a sign wraps modulo 2^32
        {{" 7", "+5", "x"}, 2, 7u * 3600000u + 5u * 60000u},
        {{"999", "99", "99"}, 3, 999u * 3600000u + 99u * 60000u + 99u * 1000u},
        {{"35", "40", "9", 128409984u}, 2, 128409984u},  // the command line's exact value wins
    };
    for (const AngleCase& c : cases)
        EXPECT_EQ(angleFromText(c.text, c.degreesLength), c.expected) << c.text.degrees;
}

TEST(ApplySettings, NegativeCornerIsAboveEveryUnsignedCorner) {
    SettingsText texts = workedExampleSettings();
    texts.topLeftLatitude = {"-1", "0", "0"};
    texts.bottomRightLatitude = {"89", "59", "59"};
    ConversionJob job;
    EXPECT_EQ(applySettings(job, texts), SettingsError::NoError);
    EXPECT_EQ(job.topLeftLatitude, 4291367296u);
}

TEST(ReadInteger, FollowsTheAtoiRule) {
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0},      {"abc", 0},   {"42", 42},      {"  \t\n\v\f\r12", 12}, {"+7", 7},
        {"-7", -7},   {"12ab3", 12}, {"- 5", 0},     {"+-5", 0},            {"007", 7},
        {"1234567", 1234567},
    };
    for (auto [text, expected] : cases) EXPECT_EQ(readInteger(text), expected) << '"' << text << '"';
}

TEST(ReadInteger, OverlongNumbersWrapInsteadOfOverflowing) {
    EXPECT_EQ(readInteger("4294967297"), 1);
}

TEST(CutText, StopsAtTheLimitOrAtAZeroByte) {
    EXPECT_EQ(cutText("abcdef", 4), "abcd");
    EXPECT_EQ(cutText(std::string_view("ab\0cd", 5), 4), "ab");
    EXPECT_EQ(cutText("ab", 8), "ab");
}

TEST(AngleParts, DisplayFormTurnsNumbersBackIntoFieldTexts) {
    AngleParts p = angleParts(128410000u);
    EXPECT_EQ(p.degrees, 35u);
    EXPECT_EQ(p.minutes, 40u);
    EXPECT_EQ(p.seconds, 10u);
    AngleParts zero = angleParts(0);
    EXPECT_EQ(zero.degrees + zero.minutes + zero.seconds, 0u);
    AngleParts top = angleParts(4291367296u);  // what "-1" degrees became
    EXPECT_EQ(top.degrees, 1192u);
    EXPECT_EQ(distanceMetres(18529u), 1852u);
}

}  // namespace

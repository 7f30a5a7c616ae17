// What the convert command warns about beforehand, and where its output goes.

#include <gtest/gtest.h>

#include "Commands.h"
#include "MapConversion.h"

namespace {

TEST(Commands, TextsLongerThanTheirFieldsAreWarnedAbout) {
    EXPECT_TRUE(cutWarnings(std::string(32, 'n'), "abcdefgh").empty());

    std::vector<std::string> warnings = cutWarnings(std::string(33, 'n'), "area01");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "the map name is 33 bytes in Shift-JIS; only its first 32 are kept: \"" +
                               std::string(32, 'n') + "\"");

    // Seventeen two-byte characters: the cut keeps sixteen, shown in UTF-8.
    std::string kanji17;
    for (int i = 0; i < 17; ++i) kanji17 += "\x93\x8C";
    warnings = cutWarnings(kanji17, "abcdefghij");
    ASSERT_EQ(warnings.size(), 2u);
    std::string kept;
    for (int i = 0; i < 16; ++i) kept += "\xE6\x9D\xB1";
    EXPECT_EQ(warnings[0], "the map name is 34 bytes in Shift-JIS; only its first 32 are kept: \"" +
                               kept + "\"");
    EXPECT_EQ(warnings[1], "the folder name is longer than 8 characters; only \"abcdefgh\" is used");
}

struct NameCut {
    std::string cp932;
    std::string stored;
    std::vector<std::string> warnings;
};

TEST(Commands, LongNamesAreCutBetweenCharacters) {
    std::string kanji16;  // 東 sixteen times: 32 bytes
    for (int i = 0; i < 16; ++i) kanji16 += "\x93\x8C";
    std::string kanji16Utf8;
    for (int i = 0; i < 16; ++i) kanji16Utf8 += "\xE6\x9D\xB1";
    const std::string headerSplit =
        "tile headers keep the map name's first 16 bytes, which cut the character \"\xE6\x9D\xB1\" in two: "
        "they hold \"A\xE6\x9D\xB1\xE6\x9D\xB1\xE6\x9D\xB1\xE6\x9D\xB1\xE6\x9D\xB1\xE6\x9D\xB1\xE6\x9D\xB1\" "
        "and its first byte";
    const NameCut cases[] = {
        {kanji16, kanji16, {}},
        {kanji16 + "x", kanji16,
         {"the map name is 33 bytes in Shift-JIS; only its first 32 are kept: \"" + kanji16Utf8 + "\""}},
        {"A" + kanji16, "A" + kanji16.substr(0, 30),
         {"the map name is 33 bytes in Shift-JIS; only its first 31 are kept, so that no character is cut "
          "in two: \"A" + kanji16Utf8.substr(0, 45) + "\"",
          headerSplit}},
        {"A" + kanji16.substr(0, 16), "A" + kanji16.substr(0, 16), {headerSplit}},
        {"A" + kanji16.substr(0, 14) + "B", "A" + kanji16.substr(0, 14) + "B", {}},  // 16 bytes exactly
    };
    for (const NameCut& c : cases) {
        SCOPED_TRACE(c.cp932.size());
        EXPECT_EQ(storedMapName(c.cp932), c.stored);
        EXPECT_EQ(cutWarnings(c.cp932, "area01"), c.warnings);
    }
}

}  // namespace

namespace {

TEST(Commands, OutputGoesToTheFolderOfTheBitmapAsTyped) {
    const std::pair<std::string, std::string> cases[] = {
#ifdef _WIN32
        {"map.bmp", ""}, {"maps\\map.bmp", "maps"}, {"C:\\map.bmp", "C:\\"},
        {"C:map.bmp", "C:"}, {"\\\\server\\share\\map.bmp", "\\\\server\\share"},
        {"a/b\\map.bmp", "a/b"},
#else
        {"map.bmp", ""}, {"maps/map.bmp", "maps"}, {"/map.bmp", "/"},
        {"/srv/maps/tokyo/map.bmp", "/srv/maps/tokyo"}, {"../map.bmp", ".."},
#endif
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(parentFolder(path), folder) << path;
}

}  // namespace

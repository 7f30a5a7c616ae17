#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "MadeMap.h"
#include "MapVerifier.h"
#include "OutputPaths.h"

namespace fs = std::filesystem;

namespace {

// A 640 x 480 map: 4 columns, 3 rows.
constexpr int32_t kWidth = 640, kHeight = 480;

void changeByte(const fs::path& file, size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = readFile(file.string());
    bytes.at(at) = value;
    writeFile(file.string(), bytes);
}

std::string native(std::string path) {
    for (char& c : path)
        if (c == '/') c = kPathSeparator;
    return path;
}

TEST(VerifyMap, CleanConversionIsSound) {
    MadeMap map(kWidth, kHeight);
    VerifyReport report = verifyMap(map.index());
    EXPECT_TRUE(report.sound());
    EXPECT_EQ(report.tilesChecked, 12);
    EXPECT_EQ(report.warnings.count, 0);
    for (const Finding& f : report.problems.listed) ADD_FAILURE() << f.file << ": " << f.text;
}

// One kind of damage the test makes, and the first finding it must give.
struct Damage {
    const char* name;
    std::function<void(const MadeMap&)> apply;
    bool sound;
    FindingKind kind;
    std::string file;
    const char* textPart;
};

TEST(VerifyMap, EachKindOfDamageAndWarning) {
    const Damage damages[] = {
        {"missing tile", [](const MadeMap& m) { fs::remove(m.file(MadeMap::tile(1, 2))); },
         false, FindingKind::TileMissing, MadeMap::tile(1, 2), "missing"},
        {"cut tile", [](const MadeMap& m) { fs::resize_file(m.file(MadeMap::tile(3, 0)), 20000); },
         false, FindingKind::TileSize, MadeMap::tile(3, 0), "cut short: 20000 of 25760 bytes"},
        {"flipped header byte", [](const MadeMap& m) { changeByte(m.file(MadeMap::tile(2, 1)), 71, 0x59); },
         false, FindingKind::TileHeader, MadeMap::tile(2, 1), "in: east-west distance"},
        {"index above 230", [](const MadeMap& m) { changeByte(m.file(MadeMap::tile(0, 1)), 9000, 231); },
         false, FindingKind::TilePixels, MadeMap::tile(0, 1), "1 pixels hold an index above 230"},
        {"index grid wider than the folders",
         [](const MadeMap& m) {
             changeByte(m.index(), 103, 5);   // 5 columns
             changeByte(m.index(), 99, 15);   // and 15 tiles, so the index itself is consistent
         },
         false, FindingKind::TileMissing, MadeMap::tile(4, 0), "missing"},
        {"stray tile",
         [](const MadeMap& m) { fs::copy_file(m.file(MadeMap::tile(0, 0)), m.file("area01/layer1/level000/smpl009000.map")); },
         true, FindingKind::StrayTile, "layer1/level000/smpl009000.map", "outside the index's grid"},
        {"stray level",
         [](const MadeMap& m) {
             fs::create_directory(m.file("area01/layer1/level007"));
             fs::copy_file(m.file(MadeMap::tile(0, 0)), m.file("area01/layer1/level007/smpl000007.map"));
         },
         true, FindingKind::StrayTile, "layer1/level007/smpl000007.map", "outside the index's grid"},
        {"leftover part",
         [](const MadeMap& m) { writeFile(m.file("area01/layer1/level002/smpl001002.map.part").string(), {1, 2}); },
         true, FindingKind::PartFile, "layer1/level002/smpl001002.map.part", "interrupted run"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        MadeMap map(kWidth, kHeight);
        damage.apply(map);
        VerifyReport report = verifyMap(map.index());
        EXPECT_EQ(report.sound(), damage.sound);
        const FindingList& findings = damage.sound ? report.warnings : report.problems;
        std::string expectedFile = native(damage.file.rfind("area01/", 0) == 0 ? damage.file : "area01/" + damage.file);
        bool found = false;
        for (const Finding& f : findings.listed)
            found = found || (f.kind == damage.kind && f.file == expectedFile &&
                              f.text.find(damage.textPart) != std::string::npos);
        EXPECT_TRUE(found) << expectedFile << " " << damage.textPart;
    }
}

TEST(VerifyMap, ListsTheFirstTwentyProblemsAndCountsTheRest) {
    MadeMap map(kWidth, kHeight);
    changeByte(map.index(), 103, 9);   // 9 x 3: columns 4 to 8 are missing, 15 tiles
    changeByte(map.index(), 99, 27);
    VerifyReport report = verifyMap(map.index());
    EXPECT_EQ(report.problems.listed.size(), FindingList::kListed);
    // 15 missing tiles, and the 9 of columns 1 to 3 whose corners moved with the narrower
    // longitude step (column 3's east slot also names a column 4 now).
    EXPECT_EQ(report.problems.count, 15 + 9);
}

TEST(VerifyMap, IndexThatLeadsNowhere) {
    MadeMap map(kWidth, kHeight);
    changeByte(map.index(), 33, '/');  // folder "a/ea01"
    VerifyReport report = verifyMap(map.index());
    EXPECT_FALSE(report.sound());
    EXPECT_EQ(report.tilesChecked, 0);
    EXPECT_EQ(report.problems.listed.back().kind, FindingKind::IndexUnreadable);

    VerifyReport none = verifyMap(map.file("nothing.vlm"));
    ASSERT_EQ(none.problems.count, 1);
    EXPECT_EQ(none.problems.listed[0].text, "no such file");
}

}  // namespace

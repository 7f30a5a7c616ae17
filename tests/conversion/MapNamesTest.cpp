// The map's names read back, the grid rule, and what replacing a map removes and keeps.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "FolderTest.h"
#include "GridRule.h"
#include "MapNames.h"
#include "OutputChecks.h"
#include "RecordingFeedback.h"
#include "TestBitmap.h"

namespace fs = std::filesystem;

namespace {

struct LevelNameCase {
    const char* name;
    int32_t row;  // -1: not the map's
};

TEST(MapNames, LevelFoldersAreOnlyWhatLevelPercent03dPrints) {
    const LevelNameCase cases[] = {
        {"level000", 0},         {"level007", 7},          {"level999", 999},
        {"level1000", 1000},     {"level2147483647", INT32_MAX},
        {"level00", -1},         {"level0003", -1},        {"level01000", -1},
        {"level", -1},           {"level-01", -1},         {"level+01", -1},
        {"level 01", -1},        {"level001 ", -1},        {"Level001", -1},
        {"level2147483648", -1}, {"level4294967296", -1},  {"level99999999999999999999", -1},
        {"layer1", -1},          {"level00a", -1},         {"level001.part", -1},
    };
    for (const LevelNameCase& c : cases) EXPECT_EQ(levelFolderRow(c.name), c.row) << c.name;
}

struct TileNameCase {
    const char* name;
    int32_t row;  // the level folder's
    TileNameKind kind;
    int32_t column;
};

TEST(MapNames, TilesAreTheirLevelsRowAfterTheColumnAsPrinted) {
    const TileNameKind T = TileNameKind::Tile, P = TileNameKind::Temporary, O = TileNameKind::Other;
    const TileNameCase cases[] = {
        {"smpl000000.map", 0, T, 0},
        {"smpl002001.map", 1, T, 2},
        {"smpl999999.map", 999, T, 999},
        {"smpl1000000.map", 0, T, 1000},           // column 1000, row 0
        {"smpl0011000.map", 1000, T, 1},           // column 1, row 1000
        {"smpl10001000.map", 1000, T, 1000},
        {"smpl1000000.map", 1000, O, -1},          // column 000 would print as "0001000..."
        {"smpl2147483647000.map", 0, T, INT32_MAX},
        {"smpl2147483648000.map", 0, O, -1},       // column past 32 bits
        {"smpl99999999999000.map", 0, O, -1},
        {"smpl002001.map", 2, O, -1},              // a tile of another row
        {"smpl0002001.map", 1, O, -1},             // a zero too many
        {"smpl02001.map", 1, O, -1},               // a digit too few
        {"smpl001.map", 1, O, -1},
        {"smpl002001.MAP", 1, O, -1},
        {"smpl002001.map.txt", 1, O, -1},
        {"smpl002001.map.map", 1, O, -1},
        {"smpl-02001.map", 1, O, -1},
        {"tile002001.map", 1, O, -1},
        {"smpl002001.map.part", 1, P, 2},
        {"smpl002001.map.a1B2c3.part", 1, P, 2},
        {"smpl002001.map.a1B2c.part", 1, O, -1},   // five characters
        {"smpl002001.map.a1B2c3d.part", 1, O, -1}, // seven
        {"smpl002001.map.a1-2c3.part", 1, O, -1},
        {"smpl002001.map..part", 1, O, -1},
        {"smpl002001.part", 1, O, -1},
        {"smpl0002001.map.part", 1, O, -1},
    };
    for (const TileNameCase& c : cases) {
        TileName tile = readTileName(c.name, c.row);
        EXPECT_EQ(tile.kind, c.kind) << c.name << " in row " << c.row;
        if (c.kind != TileNameKind::Other) {
            EXPECT_EQ(tile.column, c.column) << c.name;
        }
    }
}

struct GridCase {
    int64_t columns, rows;
    bool fits;
    bool outgrowsSlots;
};

TEST(GridRule, TheLargestGridIsWhatABitmapCanBe) {
    const GridCase cases[] = {
        {3, 3, true, false},
        {1, 1, true, false},
        {1000, 3, true, false},  // columns 0 to 999
        {1001, 3, true, true},   // the 160160-pixel-wide bitmap convert takes
        {3, 1001, true, true},
        {kLargestGridSide, 3, true, true},
        {kLargestGridSide + 1, 3, false, true},
        {0, 3, false, false},
        {3, -1, false, false},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + " x " + std::to_string(c.rows));
        EXPECT_EQ(gridFits(c.columns, c.rows), c.fits);
        EXPECT_EQ(gridOutgrowsNeighbourSlots(c.columns, c.rows), c.outgrowsSlots);
        EXPECT_EQ(neighbourSlotWarning(c.columns, c.rows).empty(), !c.outgrowsSlots);
    }
    EXPECT_EQ(int64_t{kLargestPictureSide}, int64_t{INT32_MAX} / kTileSide * kTileSide);
    // The tile count is 32-bit too: 2^31 tiles are one too many.
    EXPECT_TRUE(gridFits(65535, 32768));
    EXPECT_FALSE(gridFits(65536, 32768));
}

// A map being replaced: what it stands on disk, what the new grid is, and what must be
// left afterwards and named.
class RemoveOldTiles : public FolderTest {
protected:
    void make(const std::string& path, bool folder = false) {
        fs::path full = folder_.path() / path;
        fs::create_directories(folder ? full : full.parent_path());
        if (!folder) writeFile(full.string(), {'x'});
    }

    std::set<std::string> tree() {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder_.path()))
            names.insert(fs::relative(entry.path(), folder_.path()).generic_string());
        return names;
    }
};

struct RemovalCase {
    const char* name;
    std::vector<std::string> files;    // before, besides the new 3 x 3 map
    std::vector<std::string> folders;
    std::vector<std::string> gone;     // removed by the run
    std::vector<std::string> named;    // left in place and named, once each
};

TEST_F(RemoveOldTiles, RemovesOnlyTheMapsNamesAndNamesEverythingElseOnce) {
    const RemovalCase cases[] = {
        {"older, larger map",
         {"area01/layer1/level000/smpl003000.map", "area01/layer1/level003/smpl000003.map",
          "area01/layer1/level003/smpl003003.map"},
         {},
         {"area01/layer1/level000/smpl003000.map", "area01/layer1/level003"},
         {}},
        {"temporaries of any tile",
         {"area01/layer1/level001/smpl001001.map.part", "area01/layer1/level001/smpl001001.map.Ab12Z9.part",
          "area01/layer1/level004/smpl000004.map.part"},
         {},
         {"area01/layer1/level001/smpl001001.map.part", "area01/layer1/level001/smpl001001.map.Ab12Z9.part",
          "area01/layer1/level004"},
         {}},
        {"look-alikes in a level folder",
         {"area01/layer1/level001/smpl0001001.map", "area01/layer1/level001/smpl001002.map",
          "area01/layer1/level001/notes.txt", "area01/layer1/level001/other.part",
          "area01/layer1/level005/smpl000005.MAP"},
         {"area01/layer1/level001/smpl009001.map"},
         {},
         {"area01/layer1/level001/smpl0001001.map", "area01/layer1/level001/smpl001002.map",
          "area01/layer1/level001/notes.txt", "area01/layer1/level001/other.part",
          "area01/layer1/level001/smpl009001.map", "area01/layer1/level005/smpl000005.MAP"}},
        {"extras in the map's and the layer folder",
         {"area01/readme.txt", "area01/layer1/index.txt", "area01/layer1/level0003",
          "area01/layer1/level0004/smpl000004.map"},
         {"area01/layer2", "area01/layer1/old", "area01/layer1/level01"},
         {},
         {"area01/readme.txt", "area01/layer2", "area01/layer1/index.txt", "area01/layer1/level0003",
          "area01/layer1/level0004", "area01/layer1/old", "area01/layer1/level01"}},
    };
    for (const RemovalCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder_.path() / "area01");
        output_ = openTestOutput(folder_.path());  // one run, one output folder: nothing cached from the last
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                make("area01/layer1/level00" + std::to_string(row) + "/smpl00" + std::to_string(column) + "00" +
                     std::to_string(row) + ".map");
        for (const std::string& f : c.files) make(f);
        for (const std::string& f : c.folders) make(f, true);
        std::set<std::string> expected = tree();
        for (const std::string& g : c.gone)
            for (auto it = expected.begin(); it != expected.end();)
                it = *it == g || it->rfind(g + "/", 0) == 0 ? expected.erase(it) : std::next(it);

        ConversionJob job;
        std::snprintf(job.folderName, sizeof job.folderName, "area01");
        job.tileColumns = job.tileRows = 3;
        job.tileCount = 9;
        struct Noting : RecordingFeedback {
            std::vector<std::string> left;
            void noteLeftInPlace(const char* path) override {
                std::string p = path;
                std::replace(p.begin(), p.end(), '\\', '/');
                left.push_back(p);
            }
        } feedback;
        removeOldTiles(job, *output_, feedback);

        EXPECT_EQ(tree(), expected);
        std::vector<std::string> named = c.named;
        std::sort(named.begin(), named.end());
        std::sort(feedback.left.begin(), feedback.left.end());
        EXPECT_EQ(feedback.left, named);
    }
}

}  // namespace

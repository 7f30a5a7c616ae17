#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ColorQuantizer.h"
#include "MapRecords.h"
#include "Palette.h"
#include "WorkedExample.h"

namespace {

TEST(Palette, EveryColourQuantizesBackToItsOwnIndex) {
    std::vector<uint8_t> bgr;
    for (int index = 0; index < palette::kColourCount; ++index) {
        const palette::Colour& c = palette::kColours[index];
        EXPECT_EQ(ColorQuantizer::quantizePixel(c.blue, c.green, c.red), index) << "entry " << index;
        bgr.insert(bgr.end(), {c.blue, c.green, c.red});
    }
    // The row converter the tile writer uses agrees.
    std::vector<uint8_t> indices(palette::kColourCount);
    ColorQuantizer::quantizePieces(bgr.data(), 1, palette::kColourCount, indices.data(), indices.size());
    for (int index = 0; index < palette::kColourCount; ++index) EXPECT_EQ(indices[index], index);
}

std::vector<uint8_t> workedTile21() {
    std::vector<uint8_t> tile = workedExampleTile21Header();
    tile.resize(25760, 7);
    return tile;
}

TEST(DecodeIndex, WorkedExampleGivesTheValuesTheConversionWasGiven) {
    std::vector<uint8_t> bytes = workedExampleIndex();
    IndexFields f;
    std::vector<FormatViolation> violations;
    ASSERT_TRUE(decodeIndex(bytes.data(), bytes.size(), f, violations));
    EXPECT_TRUE(violations.empty());
    EXPECT_EQ(f.mapName, "SAMPLE MAP");
    EXPECT_EQ(f.folderName, "area01");
    EXPECT_EQ(f.textFileName, "area01.txt");
    EXPECT_EQ(f.tileColumns, 3u);
    EXPECT_EQ(f.tileRows, 3u);
    EXPECT_EQ(f.tileCount, 9u);
    EXPECT_EQ(metres(f.eastWestDistance), "1852.0");
    EXPECT_EQ(metres(f.northSouthDistance), "926.0");
    EXPECT_EQ(degreesMinutesSeconds(f.topLeftLatitude), "35:40:00");
    EXPECT_EQ(degreesMinutesSeconds(f.topLeftLongitude), "139:45:00");
    EXPECT_EQ(degreesMinutesSeconds(f.bottomRightLatitude), "35:39:00");
    EXPECT_EQ(degreesMinutesSeconds(f.bottomRightLongitude), "139:46:00");
}

TEST(DecodeTile, WorkedExampleTile21) {
    std::vector<uint8_t> bytes = workedTile21();
    TileFields f;
    std::vector<FormatViolation> violations;
    ASSERT_TRUE(decodeTile(bytes.data(), bytes.size(), f, violations));
    EXPECT_TRUE(violations.empty());
    EXPECT_EQ(f.column, 2);
    EXPECT_EQ(f.row, 1);
    EXPECT_EQ(f.slots, (std::array<std::string, 8>{"002", "001", "", "001", "002", "000", "", ""}));
    EXPECT_EQ(degreesMinutesSeconds(f.mapTopLatitude), "35:40:00");
    EXPECT_EQ(degreesMinutesSeconds(f.tileTopLatitude), "35:39:40");
    EXPECT_EQ(degreesMinutesSeconds(f.tileLeftLongitude), "139:45:40");
    EXPECT_EQ(f.histogram[7], 25600);
}

// One change to a good file and the field it must be reported under.
struct Damage {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> apply;
    const char* field;
};

void expectViolation(bool index, const Damage& damage) {
    std::vector<uint8_t> bytes = index ? workedExampleIndex() : workedTile21();
    damage.apply(bytes);
    std::vector<FormatViolation> violations;
    IndexFields indexFields;
    TileFields tileFields;
    if (index)
        decodeIndex(bytes.data(), bytes.size(), indexFields, violations);
    else
        decodeTile(bytes.data(), bytes.size(), tileFields, violations);
    ASSERT_EQ(violations.size(), 1u) << damage.name;
    EXPECT_EQ(violations[0].field, damage.field) << damage.name << ": " << violations[0].text;
}

TEST(DecodeIndex, NamesWhatTheFormatDoesNotAllow) {
    const Damage damages[] = {
        {"one byte too many", [](auto& b) { b.push_back(0); }, "size"},
        {"upper-case folder", [](auto& b) { b[32] = 'A'; b[80] = 'A'; }, "folder name"},
        {"garbage after the name", [](auto& b) { b[20] = 'x'; }, "map name"},
        {"count not columns x rows", [](auto& b) { b[99] = 10; }, "tile count"},
        {"a constant", [](auto& b) { b[109] = 9; }, "constants"},
        {"tile side", [](auto& b) { b[125] = 0xA1; }, "tile side"},
        {"corners swapped", [](auto& b) { std::swap_ranges(b.begin() + 144, b.begin() + 148, b.begin() + 152); }, "top-left latitude"},
    };
    for (const Damage& damage : damages) expectViolation(true, damage);

    std::vector<uint8_t> cut(100);
    IndexFields f;
    std::vector<FormatViolation> violations;
    EXPECT_FALSE(decodeIndex(cut.data(), cut.size(), f, violations));
    ASSERT_EQ(violations.size(), 1u);
    EXPECT_EQ(violations[0].text, "100 bytes; an index file is 160");
}

TEST(DecodeTile, NamesWhatTheFormatDoesNotAllow) {
    const Damage damages[] = {
        {"cut", [](auto& b) { b.resize(25000); }, "size"},
        {"wrong magic", [](auto& b) { b[3] = 'O'; }, "magic"},
        {"index above 230", [](auto& b) { b[5000] = 231; }, "pixels"},
        {"slot 6 used", [](auto& b) { b[56] = '0'; b[57] = '0'; b[58] = '1'; }, "neighbour slots"},
        {"slot not digits", [](auto& b) { b[33] = 'x'; }, "neighbour slots"},
        {"pixel count", [](auto& b) { b[98] = 0x65; }, "pixel count"},
        {"tail", [](auto& b) { b[159] = 1; }, "reserved zero tail"},
    };
    for (const Damage& damage : damages) expectViolation(false, damage);
}

TEST(Angles, DegreesMinutesSecondsAndDecimal) {
    struct Case {
        uint32_t milliseconds;
        const char* dms;
        const char* decimal;
    };
    const Case cases[] = {
        {0, "0:00:00", "0.0000000"},
        {128400000, "35:40:00", "35.6666667"},
        {503160000, "139:46:00", "139.7666667"},
        {128380001, "35:39:40.001", "35.6611114"},
        {4294967295u, "1193:02:47.295", "1193.0464708"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(degreesMinutesSeconds(c.milliseconds), c.dms);
        EXPECT_EQ(decimalDegrees(c.milliseconds), c.decimal);
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "ColorQuantizer.h"
#include "MadeMap.h"
#include "MapPreview.h"
#include "Palette.h"
#include "PicturePreview.h"
#include "PlacementFiles.h"

namespace fs = std::filesystem;

namespace {

// The decoded PNG shows, at (offsetX + x, y) for x below width, the colour `expected`
// gives for picture pixel (x * scale, y * scale).
void expectPixels(const DecodedPng& png, int32_t scale, uint32_t offsetX, uint32_t width,
                  const std::function<palette::Colour(int32_t, int32_t)>& expected, uint8_t alpha = 255) {
    ASSERT_TRUE(png.ok);
    int mismatches = 0;
    for (uint32_t y = 0; y < png.height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = png.pixel(x + offsetX, y);
            palette::Colour c = expected(static_cast<int32_t>(x) * scale, static_cast<int32_t>(y) * scale);
            if ((p[0] != c.red || p[1] != c.green || p[2] != c.blue || p[3] != alpha) && ++mismatches <= 5)
                ADD_FAILURE() << "pixel " << x << ", " << y << " at scale " << scale;
        }
}

TEST(PreviewMap, EveryPixelIsThePaletteColourOfItsStoredIndex) {
    MadeMap map(640, 480);
    std::vector<uint8_t> stored = map.storedIndices();
    auto colourOf = [&](int32_t x, int32_t y) { return palette::kColours[stored[static_cast<size_t>(y) * 640 + x]]; };
    struct Case {
        int32_t scale, width, height;
    };
    for (const Case& c : {Case{1, 640, 480}, Case{3, 214, 160}, Case{4, 160, 120}}) {
        fs::path png = map.file("map.png");
        PreviewReport report = previewMap(map.index(), png, c.scale);
        ASSERT_EQ(report.outcome, PreviewOutcome::Written) << report.failure;
        EXPECT_EQ(report.gaps.count, 0);
        DecodedPng decoded = decodePng(png);
        EXPECT_TRUE(decoded.palette);
        EXPECT_EQ(decoded.width, static_cast<uint32_t>(c.width));
        EXPECT_EQ(decoded.height, static_cast<uint32_t>(c.height));
        expectPixels(decoded, c.scale, 0, decoded.width, colourOf);
        EXPECT_FALSE(fs::exists(map.file("map.png.part")));
    }
}

TEST(PreviewMap, MissingTileAndIndexAbove230AreTransparent) {
    MadeMap map(480, 480);
    fs::remove(map.file(MadeMap::tile(1, 1)));
    std::vector<uint8_t> tile = readFile(map.file(MadeMap::tile(0, 0)).string());
    tile[160] = 240;  // pixel (0, 0)
    writeFile(map.file(MadeMap::tile(0, 0)).string(), tile);

    PreviewReport report = previewMap(map.index(), map.file("map.png"), 1);
    ASSERT_EQ(report.outcome, PreviewOutcome::Written);
    EXPECT_EQ(report.gaps.count, 1);
    EXPECT_EQ(report.pixelsAbove230, 1);
    DecodedPng png = decodePng(map.file("map.png"));
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.pixel(0, 0)[3], 0);
    EXPECT_EQ(png.pixel(200, 200)[3], 0);
    EXPECT_EQ(png.pixel(1, 0)[3], 255);
}

TEST(PreviewMap, NothingIsLeftWhenThePngCannotBeMade) {
    MadeMap map(480, 480);
    PreviewReport report = previewMap(map.index(), map.file("no-such-folder/map.png"), 1);
    EXPECT_EQ(report.outcome, PreviewOutcome::ImageFailed);
    EXPECT_NE(report.failure.find("cannot create"), std::string::npos);

    report = previewMap(map.file("none.vlm"), map.file("map.png"), 1);
    EXPECT_EQ(report.outcome, PreviewOutcome::SourceUnusable);
    EXPECT_FALSE(fs::exists(map.file("map.png")));
}

// patternPixel as a pixel source, its rows delivered bottom first.
class PatternSource : public PixelSource {
public:
    int32_t readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) override {
        std::vector<uint8_t> line(static_cast<size_t>(columnCount) * 160 * 3);
        for (int32_t r = 159; r >= 0; --r) {
            for (int32_t x = 0; x < columnCount * 160; ++x) {
                Rgb c = patternPixel(firstColumn * 160 + x, row * 160 + r);
                line[3 * x] = c.blue;
                line[3 * x + 1] = c.green;
                line[3 * x + 2] = c.red;
            }
            sink.takeRow(r, line.data());
        }
        return row == failAtRow ? 0 : columnCount;
    }
    bool unchanged() override { return true; }
    int32_t failAtRow = -1;
};

palette::Colour stored(int32_t x, int32_t y) {
    Rgb c = patternPixel(x, y);
    return palette::kColours[ColorQuantizer::quantizePixel(c.blue, c.green, c.red)];
}

TEST(PreviewPicture, StoredColoursAndTheComparison) {
    TempFolder folder;
    PatternSource source;
    fs::path png = folder.path() / "preview.png";
    PreviewReport report = previewPicture(source, {FileIdentity{}}, {4, 3}, png, 1, false);
    ASSERT_EQ(report.outcome, PreviewOutcome::Written) << report.failure;
    DecodedPng plain = decodePng(png);
    EXPECT_TRUE(plain.palette);
    EXPECT_EQ(plain.width, 640u);
    expectPixels(plain, 1, 0, 640, stored);

    report = previewPicture(source, {FileIdentity{}}, {4, 3}, png, 2, true);
    ASSERT_EQ(report.outcome, PreviewOutcome::Written) << report.failure;
    DecodedPng compared = decodePng(png);
    EXPECT_FALSE(compared.palette);
    EXPECT_EQ(compared.width, 640u);
    EXPECT_EQ(compared.height, 240u);
    expectPixels(compared, 2, 0, 320, [](int32_t x, int32_t y) {
        Rgb c = patternPixel(x, y);
        return palette::Colour{c.red, c.green, c.blue};
    });
    expectPixels(compared, 2, 320, 320, stored);
}

TEST(PreviewPicture, ASourceThatFailsLeavesNoPicture) {
    TempFolder folder;
    PatternSource source;
    source.failAtRow = 1;
    fs::path png = folder.path() / "preview.png";
    EXPECT_EQ(previewPicture(source, {FileIdentity{}}, {3, 3}, png, 1, false).outcome, PreviewOutcome::SourceUnusable);
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

}  // namespace

namespace {

// The world file's name where GDAL looks for it beside the picture.
TEST(WorldFile, IsNamedWhereGdalLooksForIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"map.png", "map.pgw"},       {"MAP.PNG", "MAP.PGW"},           {"maps/east.asia.png", "maps/east.asia.pgw"},
        {"map.jpeg", "map.jgw"},      {"map", "map.wld"},               {"map.p", "map.p.wld"},
        {"maps.d/map", "maps.d/map.wld"},
    };
    for (const auto& [picture, world] : cases) EXPECT_EQ(worldFileName(picture), world) << picture;
    EXPECT_EQ(auxFileName("maps/x.png"), "maps/x.png.aux.xml");
}

}  // namespace

// tessella inspect, verify and preview end to end, on a map the real binary converts;
// under Wine too when TESSELLA_CLI names tessella.exe (the PNG then comes from the
// Windows Imaging Component).

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

#include "IndexFormat.h"
#include "Palette.h"
#include "ProcessRunner.h"
#include "TempFolder.h"
#include "TestBitmap.h"

namespace fs = std::filesystem;

namespace {

class InspectCommands : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile((folder_.path() / "map.bmp").string(), makeBitmap(480, 480, patternPixel));
        ProcessResult converted = run({"convert", "map.bmp", "--name", "SAMPLE MAP", "--folder", "area01",
                                       "--top-left", "35:40:0,139:45:0", "--bottom-right", "35:39:0,139:46:0",
                                       "--east-west", "1852", "--north-south", "926"});
        ASSERT_EQ(converted.exitCode, 0) << converted.err;
    }

    ProcessResult run(const std::vector<std::string>& args) {
        std::vector<std::string> argv = commandFromEnvironment("TESSELLA_CLI", TESSELLA_CLI_DEFAULT);
        argv.insert(argv.end(), args.begin(), args.end());
        return runProcess(argv, folder_.path().string());
    }

    fs::path file(const std::string& name) const { return folder_.path() / name; }

    TempFolder folder_;
};

// Paths as tessella prints them: with '\\' from tessella.exe.
std::string native(std::string path) {
    const char* command = std::getenv("TESSELLA_CLI");
    if (command != nullptr && std::strstr(command, ".exe") != nullptr)
        for (char& c : path)
            if (c == '/') c = '\\';
    return path;
}

// Each line must appear in the output as it is.
void expectLines(const std::string& output, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
}

TEST_F(InspectCommands, InspectJsonGivesTheValuesTheConversionWasGiven) {
    ProcessResult index = run({"inspect", "area01.vlm", "--json"});
    EXPECT_EQ(index.exitCode, 0) << index.err;
    expectLines(index.out, {
        "\"kind\": \"index\"", "\"mapName\": \"SAMPLE MAP\"", "\"folderName\": \"area01\"",
        "\"tileCount\": 9", "\"tileColumns\": 3", "\"tileRows\": 3", "\"metres\": 1852.0",
        "\"metres\": 926.0", "\"dms\": \"35:40:00\"", "\"dms\": \"139:45:00\"", "\"dms\": \"35:39:00\"",
        "\"dms\": \"139:46:00\"", "\"degrees\": 35.6666667", "\"violations\": []"});

    ProcessResult tile = run({"inspect", "area01/layer1/level001/smpl002001.map", "--json"});
    EXPECT_EQ(tile.exitCode, 0) << tile.err;
    expectLines(tile.out, {
        "\"kind\": \"tile\"", "\"column\": 2", "\"row\": 1", "\"mapName\": \"SAMPLE MAP\"",
        "\"neighbourSlots\": [\n    \"002\",\n    \"001\",\n    \"\",\n    \"001\",\n    \"002\",\n    \"000\",\n    \"\",\n    \"\"\n  ]",
        "\"tenthsOfMetre\": 18520", "\"tenthsOfMetre\": 9260",
        "\"dms\": \"35:39:40\"", "\"dms\": \"139:45:40\"", "\"pixelCount\": 25600", "\"violations\": []"});
}

TEST_F(InspectCommands, InspectNamesWhatTheFormatDoesNotAllow) {
    std::vector<uint8_t> tile = readFile(file("area01/layer1/level000/smpl000000.map").string());
    tile[0] = 'X';
    tile[200] = 250;
    writeFile(file("bad.map").string(), tile);
    ProcessResult result = run({"inspect", "bad.map"});
    EXPECT_EQ(result.exitCode, 6);
    expectLines(result.out, {"not allowed: magic: not \"VeMo00000100\"\n",
                             "not allowed: pixels: 1 pixels hold an index above 230, the highest the palette has\n"});
}

TEST_F(InspectCommands, VerifyExitCodesAndProblemLines) {
    ProcessResult sound = run({"verify", "area01.vlm"});
    EXPECT_EQ(sound.exitCode, 0) << sound.err;
    EXPECT_EQ(sound.out, "verdict: sound (9 tiles checked, 0 problems, 0 warnings)\n");

    fs::remove(file("area01/layer1/level002/smpl001002.map"));
    writeFile(file("area01/layer1/level000/smpl000000.map.part").string(), {0});
    ProcessResult damaged = run({"verify", "area01.vlm"});
    EXPECT_EQ(damaged.exitCode, 6);
    expectLines(damaged.out, {"problem: " + native("area01/layer1/level002/smpl001002.map") + ": missing\n",
                              "warning: " + native("area01/layer1/level000/smpl000000.map.part") +
                                  ": not part of the map: left by an interrupted run",
                              "verdict: damaged (9 tiles checked, 1 problem, 1 warning)\n"});
}

bool windowsCli() {
    const char* command = std::getenv("TESSELLA_CLI");
    return command != nullptr && std::strstr(command, ".exe") != nullptr;
}

TEST_F(InspectCommands, TextReportsShowControlBytesOfFilesAndNamesAsHex) {
    // A map name that would print a line of its own, stored where the name goes.
    std::vector<uint8_t> index = readFile(file("area01.vlm").string());
    const char forged[] = "E\nformat: as the format allows";
    std::fill(index.begin() + index_format::kMapNameOffset,
              index.begin() + index_format::kMapNameOffset + index_format::kMapNameLength, 0);
    std::memcpy(index.data() + index_format::kMapNameOffset, forged,
                std::min<size_t>(sizeof forged - 1, index_format::kMapNameLength));
    writeFile(file("area01.vlm").string(), index);

    ProcessResult text = run({"inspect", "area01.vlm"});
    EXPECT_NE(text.out.find("\nmap name: E\\x0Aformat: as the format allows\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("\nformat: as the format allows\n"), text.out.rfind("\nformat: as the format allows\n"))
        << "only the report's own line";
    ProcessResult json = run({"inspect", "area01.vlm", "--json"});
    EXPECT_NE(json.out.find("\"mapName\": \"E\\nformat: as the format allows\""), std::string::npos) << json.out;

    if (windowsCli()) return;  // no line breaks in Windows file names
    fs::copy_file(file("area01/layer1/level000/smpl000000.map"), file("tile\nverdict: sound.map"));
    ProcessResult tile = run({"inspect", "tile\nverdict: sound.map"});
    EXPECT_EQ(tile.out.rfind("file: tile\\x0Averdict: sound.map (tile, 25760 bytes)\n", 0), 0u) << tile.out;
    writeFile(file("area01/layer1/x\nverdict: sound").string(), {'x'});
    ProcessResult verify = run({"verify", "area01.vlm"});
    EXPECT_NE(verify.out.find("warning: area01/layer1/x\\x0Averdict: sound: not part of the map\n"),
              std::string::npos)
        << verify.out;
    EXPECT_EQ(verify.out.find("\nverdict: sound"), std::string::npos) << verify.out;
}

// A PNG's pixels as red, green, blue; empty when it cannot be read.
struct Rgb24 {
    uint32_t width = 0, height = 0;
    bool palette = false;
    std::vector<uint8_t> pixels;
};

Rgb24 decodeRgb(const fs::path& path) {
    Rgb24 decoded;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return decoded;
    decoded.palette = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return decoded;
    decoded.width = image.width;
    decoded.height = image.height;
    decoded.pixels = std::move(rgb);
    return decoded;
}

TEST_F(InspectCommands, PreviewWritesThePaletteColoursAtScale4) {
    ProcessResult result = run({"preview", "area01.vlm", "-o", "map.png", "--scale", "4"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Wrote map.png (120 x 120), placed on WGS84 by map.pgw and map.png.aux.xml\n");
    Rgb24 decoded = decodeRgb(file("map.png"));
    EXPECT_TRUE(decoded.palette);
    ASSERT_EQ(decoded.width, 120u);
    const std::vector<uint8_t>& rgb = decoded.pixels;
    std::vector<uint8_t> tile = readFile(file("area01/layer1/level001/smpl002001.map").string());
    // Pixel (2 * 40 + 5, 1 * 40 + 7) of the preview is pixel (20, 28) of tile (2, 1).
    const palette::Colour& c = palette::kColours[tile[160 + 28 * 160 + 20]];
    const uint8_t* p = &rgb[3 * (47 * 120 + 85)];
    EXPECT_EQ(std::vector<int>({p[0], p[1], p[2]}), std::vector<int>({c.red, c.green, c.blue}));
}

TEST_F(InspectCommands, BitmapPreviewIsTheMapItBecomesBesideTheOriginal) {
    ASSERT_EQ(run({"preview", "area01.vlm", "-o", "map.png"}).exitCode, 0);
    ProcessResult plain = run({"preview", "map.bmp", "-o", "picture.png"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, "Wrote picture.png (480 x 480)\n");
    Rgb24 map = decodeRgb(file("map.png")), picture = decodeRgb(file("picture.png"));
    ASSERT_EQ(picture.width, 480u);
    EXPECT_TRUE(picture.palette);
    EXPECT_TRUE(picture.pixels == map.pixels);

    ProcessResult compared = run({"preview", "map.bmp", "-o", "compare.png", "--compare", "--scale", "2"});
    ASSERT_EQ(compared.exitCode, 0) << compared.err;
    EXPECT_EQ(compared.out, "Wrote compare.png (480 x 240)\n");
    Rgb24 both = decodeRgb(file("compare.png"));
    ASSERT_EQ(both.width, 480u);
    int mismatches = 0;
    for (uint32_t y = 0; y < 240; ++y)
        for (uint32_t x = 0; x < 240; ++x) {
            Rgb original = patternPixel(2 * x, 2 * y);
            const uint8_t* left = &both.pixels[3 * (y * 480 + x)];
            const uint8_t* right = &both.pixels[3 * (y * 480 + 240 + x)];
            const uint8_t* stored = &map.pixels[3 * (2 * y * 480 + 2 * x)];
            if (left[0] != original.red || left[1] != original.green || left[2] != original.blue ||
                !std::equal(right, right + 3, stored))
                ++mismatches;
        }
    EXPECT_EQ(mismatches, 0);

    ProcessResult refused = run({"preview", "nothing.bmp", "-o", "none.png"});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_FALSE(fs::exists(file("none.png")));
}

// --dither end to end: the map convert writes with it is the one preview --dither shows
// of the bitmap, at full size and scaled; it keeps the tones the plain map loses; a map's
// preview has nothing to dither.
TEST_F(InspectCommands, ADitheredMapIsWhatThePreviewWithDitherShows) {
    writeFile(file("tones.bmp").string(), makeBitmap(480, 480, [](int32_t x, int32_t y) {
                  return Rgb{static_cast<uint8_t>(5 + x / 48), static_cast<uint8_t>(30 + y / 24),
                             static_cast<uint8_t>(80 + (x + y) / 16)};
              }));
    std::vector<std::vector<uint8_t>> stored;  // the map's pixels as drawn, plain then dithered
    for (const char* folder : {"plain", "dithered"}) {
        std::vector<std::string> args = {"convert", "tones.bmp", "--name", "Tones", "--folder", folder,
                                         "--top-left", "35:40:0,139:45:0", "--bottom-right", "35:39:0,139:46:0",
                                         "--east-west", "1852", "--north-south", "926"};
        if (std::string(folder) == "dithered") args.push_back("--dither");
        ProcessResult converted = run(args);
        ASSERT_EQ(converted.exitCode, 0) << converted.err;
        ProcessResult drawn = run({"preview", std::string(folder) + ".vlm", "-o", std::string(folder) + ".png"});
        ASSERT_EQ(drawn.exitCode, 0) << drawn.err;
        stored.push_back(decodeRgb(file(std::string(folder) + ".png")).pixels);
    }
    ASSERT_EQ(stored[1].size(), 480u * 480u * 3u);
    EXPECT_NE(stored[0], stored[1]);
    auto colours = [](const std::vector<uint8_t>& rgb) {
        std::set<uint32_t> seen;
        for (size_t i = 0; i < rgb.size(); i += 3) seen.insert(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
        return seen.size();
    };
    EXPECT_GE(colours(stored[1]), 3 * colours(stored[0]));

    ProcessResult full = run({"preview", "tones.bmp", "-o", "full.png", "--dither"});
    ASSERT_EQ(full.exitCode, 0) << full.err;
    EXPECT_TRUE(decodeRgb(file("full.png")).pixels == stored[1]);
    ProcessResult scaled = run({"preview", "tones.bmp", "-o", "half.png", "--dither", "--scale", "2"});
    ASSERT_EQ(scaled.exitCode, 0) << scaled.err;
    Rgb24 half = decodeRgb(file("half.png"));
    ASSERT_EQ(half.width, 240u);
    int mismatches = 0;
    for (uint32_t y = 0; y < 240; ++y)
        for (uint32_t x = 0; x < 240; ++x)
            if (!std::equal(&half.pixels[3 * (y * 240 + x)], &half.pixels[3 * (y * 240 + x) + 3],
                            &stored[1][3 * (2 * y * 480 + 2 * x)]))
                ++mismatches;
    EXPECT_EQ(mismatches, 0);

    ProcessResult ofMap = run({"preview", "dithered.vlm", "-o", "again.png", "--dither"});
    EXPECT_EQ(ofMap.exitCode, 2);
    EXPECT_NE(ofMap.err.find("--dither"), std::string::npos) << ofMap.err;
    EXPECT_FALSE(fs::exists(file("again.png")));
}

// A preview never takes the place of a file it is made from, nor of a folder, whatever
// name leads to it; what it refuses is left as it was, with no temporary beside it.
TEST_F(InspectCommands, APreviewNeverReplacesItsInputOrAFolder) {
    fs::create_directory(file("maps.png"));
    writeFile(file("maps.png.part").string(), {'k'});  // someone else's
    const struct {
        const char* source;
        const char* output;
        const char* says;
    } cases[] = {
        {"map.bmp", "map.bmp", "is a file the preview is made from"},
        {"map.bmp", "./map.bmp", "is a file the preview is made from"},
        {"area01.vlm", "area01.vlm", "is a file the preview is made from"},
        {"area01.vlm", "area01/layer1/level002/smpl001002.map", "is a file the preview is made from"},
        {"map.bmp", "maps.png", "a folder stands there"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " -o " + c.output);
        std::vector<uint8_t> before = fs::is_regular_file(file(c.output)) ? readFile(file(c.output).string())
                                                                          : std::vector<uint8_t>{};
        ProcessResult result = run({"preview", c.source, "-o", c.output});
        EXPECT_EQ(result.exitCode, 5) << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        if (!before.empty()) {
            EXPECT_EQ(readFile(file(c.output).string()), before);
        }
        for (const auto& entry : fs::recursive_directory_iterator(folder_.path())) {
            std::string name = entry.path().filename().string();
            EXPECT_TRUE(name.find(".part") == std::string::npos || name == "maps.png.part") << name;
        }
    }
    EXPECT_EQ(readFile(file("maps.png.part").string()), std::vector<uint8_t>{'k'});
    EXPECT_TRUE(fs::is_empty(file("maps.png")));
}

}  // namespace

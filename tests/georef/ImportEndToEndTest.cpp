// tessella import and convert's auto extents, end to end through the real binary: the
// same bytes as convert, the prepared bitmap and the settings it prints, and refusals.

#include <cpl_vsi.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

#include "GeorefSupport.h"
#include "GridRule.h"
#include "ProcessRunner.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

#ifndef TESSELLA_CLI_DEFAULT
#define TESSELLA_CLI_DEFAULT "tessella"
#endif

ProcessResult tessella(std::vector<std::string> args, const std::string& folder) {
    args.insert(args.begin(), TESSELLA_CLI_DEFAULT);
    return runProcess(args, folder);
}

// Every file under folder (relative path to its bytes).
std::map<std::string, std::string> filesUnder(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), folder).string()] =
            std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    return files;
}

void expectSameMaps(const fs::path& expected, const fs::path& actual) {
    std::map<std::string, std::string> want = filesUnder(expected), got = filesUnder(actual);
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(want.size(), got.size());
    for (const auto& [name, bytes] : want) {
        auto it = got.find(name);
        ASSERT_NE(got.end(), it) << name;
        EXPECT_TRUE(bytes == it->second) << name << " differs";
    }
}

// The convert line an import printed, as its words (the line quotes with '' only).
std::vector<std::string> printedConvertWords(const std::string& out) {
    std::smatch match;
    EXPECT_TRUE(std::regex_search(out, match, std::regex("\n  tessella (convert [^\n]*)\n"))) << out;
    std::vector<std::string> words;
    std::string text = match[1], word;
    bool inQuotes = false, any = false;
    for (char c : text) {
        if (c == '\'') {
            inQuotes = !inQuotes;
            any = true;
        } else if (c == ' ' && !inQuotes) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

const std::vector<double> kTokyo = {139.7, 1.0 / 3600, 0, 35.7, 0, -1.0 / 3600};

TEST(ImportEndToEnd, AnAcceptedBitmapGivesConvertsBytes) {
    TempFolder folder;
    std::string bmp = folder.file("map.bmp");
    RasterRecipe recipe;
    recipe.driver = "BMP";
    recipe.width = 640;
    recipe.height = 480;
    makeRaster(bmp, recipe);
    const std::vector<std::string> settings = {"--name", "Tokyo", "--folder", "tokyo", "--top-left",
                                               "35:42:00,139:42:00", "--bottom-right", "35:41:00,139:43:00",
                                               "--east-west", "1506", "--north-south", "1849"};
    std::vector<std::string> convert = {"convert", bmp, "--output-dir", folder.file("a")};
    std::vector<std::string> import = {"import", bmp, "--output-dir", folder.file("b")};
    convert.insert(convert.end(), settings.begin(), settings.end());
    import.insert(import.end(), settings.begin(), settings.end());
    ProcessResult converted = tessella(convert, folder.path().string());
    ASSERT_EQ(0, converted.exitCode) << converted.err;
    ProcessResult imported = tessella(import, folder.path().string());
    ASSERT_EQ(0, imported.exitCode) << imported.err;
    expectSameMaps(folder.file("a"), folder.file("b"));
}

TEST(ImportEndToEnd, AGeoTiffGivesConvertsBytesOnGdalsBmpWithItsCornersAndAutoExtents) {
    TempFolder folder;
    std::string tif = folder.file("map.tif"), bmp = folder.file("gdal.bmp");
    RasterRecipe recipe;
    recipe.width = 800;
    recipe.height = 480;
    recipe.geoTransform = kTokyo;
    recipe.srs = "EPSG:4326";
    makeRaster(tif, recipe);
    ASSERT_EQ(0, run("gdal_translate -q -of BMP '" + tif + "' '" + bmp + "'"));
    ProcessResult imported = tessella({"import", tif, "--name", "Tokyo", "--folder", "tokyo", "--output-dir",
                                       folder.file("b")},
                                      folder.path().string());
    ASSERT_EQ(0, imported.exitCode) << imported.err;
    // 800 x 480 pixels of 1 second from 35:42 N, 139:42 E.
    ProcessResult converted = tessella({"convert", bmp, "--name", "Tokyo", "--folder", "tokyo", "--top-left",
                                        "35:42:00,139:42:00", "--bottom-right", "35:34:00,139:55:20", "--east-west",
                                        "auto", "--north-south", "auto", "--output-dir", folder.file("a")},
                                       folder.path().string());
    ASSERT_EQ(0, converted.exitCode) << converted.err;
    expectSameMaps(folder.file("a"), folder.file("b"));
}

TEST(ImportEndToEnd, ThePreparedBitmapAndThePrintedConvertLineMakeTheSameMap) {
    TempFolder folder;
    std::string png = folder.file("map.png"), bmp = folder.file("prepared.bmp");
    RasterRecipe recipe;
    recipe.driver = "PNG";
    recipe.width = 500;  // padded to 640 x 480
    recipe.height = 470;
    recipe.geoTransform = {139.7, 0.00011, 0, 35.7, 0, -0.00013};  // corners off whole seconds
    recipe.options = {"WORLDFILE=YES"};
    makeRaster(png, recipe);
    ProcessResult prepared =
        tessella({"import", png, "--srs", "EPSG:4326", "--name", "Tokyo", "--folder", "tokyo", "--bmp", bmp},
                 folder.path().string());
    ASSERT_EQ(0, prepared.exitCode) << prepared.err;
    EXPECT_NE(std::string::npos, prepared.out.find("(rounded to whole seconds: moves ")) << prepared.out;
    ProcessResult probed = tessella({"probe", bmp}, folder.path().string());
    EXPECT_EQ(0, probed.exitCode) << probed.out << probed.err;
    EXPECT_NE(std::string::npos, probed.out.find("width: 640")) << probed.out;

    std::vector<std::string> line = printedConvertWords(prepared.out);
    line.insert(line.end(), {"--output-dir", folder.file("a")});
    ProcessResult converted = tessella(line, folder.path().string());
    ASSERT_EQ(0, converted.exitCode) << converted.err;
    EXPECT_TRUE(fs::exists(folder.file("a/tokyo/layer1/level002/smpl003002.map")));
    // The printed extents are those convert works out from the printed corners.
    std::vector<std::string> automatic = line;
    for (size_t i = 0; i + 1 < automatic.size(); ++i) {
        if (automatic[i] == "--east-west" || automatic[i] == "--north-south") automatic[i + 1] = "auto";
        if (automatic[i] == "--output-dir") automatic[i + 1] = folder.file("b");
    }
    ProcessResult recomputed = tessella(automatic, folder.path().string());
    ASSERT_EQ(0, recomputed.exitCode) << recomputed.err;
    expectSameMaps(folder.file("a"), folder.file("b"));
    // And the map import writes straight from the picture is that map.
    ProcessResult imported = tessella({"import", png, "--srs", "EPSG:4326", "--name", "Tokyo", "--folder", "tokyo",
                                       "--output-dir", folder.file("c")},
                                      folder.path().string());
    ASSERT_EQ(0, imported.exitCode) << imported.err;
    expectSameMaps(folder.file("a"), folder.file("c"));
}

TEST(ConvertEndToEnd, AutoExtentsAreGeographicLibsLengthsAndItsWarningsAreSaidOnce) {
    TempFolder folder;
    std::string bmp = folder.file("map.bmp");
    RasterRecipe recipe;
    recipe.driver = "BMP";
    makeRaster(bmp, recipe);
    ProcessResult result = tessella({"convert", bmp, "--name", "A", "--folder", "a", "--top-left",
                                     "47:48:45,120:56:15", "--bottom-right", "30:56:15,146:15:00", "--east-west",
                                     "auto", "--north-south", "auto"},
                                    folder.path().string());
    ASSERT_EQ(0, result.exitCode) << result.err;
    std::smatch match;
    std::string all = result.out + result.err;
    ASSERT_TRUE(std::regex_search(all, match, std::regex("--east-west ([0-9]+) --north-south ([0-9]+)"))) << all;
    double north = 47 + 48 / 60.0 + 45 / 3600.0, south = 30 + 56 / 60.0 + 15 / 3600.0;
    double west = 120 + 56 / 60.0 + 15 / 3600.0, east = 146.25;
    EXPECT_NEAR(rhumbMetres((north + south) / 2, west, east), std::stod(match[1]), 0.5001);
    EXPECT_NEAR(meridianMetres(north, south), std::stod(match[2]), 0.5001);

    // Each warning is said once: tessella works auto extents out itself, with no second
    // program to say them again.
    result = tessella({"convert", bmp, "--name", "A", "--folder", "abcdefghij", "--top-left", "35:75:00,139:00:00",
                       "--bottom-right", "35:00:00,140:00:00", "--east-west", "auto", "--north-south", "auto",
                       "--dry-run"},
                      folder.path().string());
    ASSERT_EQ(0, result.exitCode) << result.err;
    for (const char* warning : {"tessella: warning: --top-left: latitude \"35:75:00\" has 75 minutes",
                                "tessella: warning: the folder name is longer than 8 characters"}) {
        size_t first = result.err.find(warning);
        ASSERT_NE(std::string::npos, first) << result.err;
        EXPECT_EQ(std::string::npos, result.err.find(warning, first + 1)) << result.err;
    }
    // import's help is the table's, the same from either program.
    ProcessResult help = tessella({"import", "--help"}, folder.path().string());
    EXPECT_EQ(0, help.exitCode) << help.err;
    EXPECT_EQ(0u, help.out.rfind("Usage: tessella import SOURCE --name NAME --folder FOLDER [options]\n", 0));
}

struct RefusalCase {
    const char* name;
    std::vector<std::string> args;  // after "import SOURCE", SOURCE a plain 480 x 480 PNG
    int exitCode;
    const char* errorPart;
};

TEST(ImportEndToEnd, RefusalsSayWhatIsWrongWithTheirExitCode) {
    const RefusalCase cases[] = {
        {"no georeferencing", {"--name", "A", "--folder", "a"}, 4, "--top-left and --bottom-right"},
        {"no name", {"--folder", "a", "--top-left", "35:00:00,139:00:00", "--bottom-right", "34:00:00,140:00:00"},
         2, "--name is required"},
        {"one corner", {"--bmp", "x.bmp", "--top-left", "35:00:00,139:00:00"}, 2, "go together"},
        {"unknown fit", {"--bmp", "x.bmp", "--fit", "stretch"}, 2, "\"stretch\" is not one of pad, crop, scale"},
        {"bad extent", {"--bmp", "x.bmp", "--east-west", "far"}, 2, "--east-west"},
        {"dither into a bitmap", {"--bmp", "x.bmp", "--dither"}, 2, "--bmp keeps the picture's own colours"},
    };
    TempFolder folder;
    std::string png = folder.file("plain.png");
    RasterRecipe recipe;
    recipe.driver = "PNG";
    makeRaster(png, recipe);
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"import", png};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProcessResult result = tessella(args, folder.path().string());
        EXPECT_EQ(c.exitCode, result.exitCode) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.errorPart)) << result.err;
        EXPECT_FALSE(fs::exists(folder.file("x.bmp")));
        EXPECT_FALSE(fs::exists(folder.file("a.vlm")));
    }
}

// A source GDAL names rather than a path is read tile by tile and is still the file it
// was once the map is written: the same map as from the plain path.
TEST(ImportEndToEnd, SourcesNamedTheWayGdalNamesThemGiveThePlainPathsMap) {
    TempFolder folder;
    std::string tif = folder.file("map.tif");
    RasterRecipe recipe;
    recipe.geoTransform = kTokyo;
    recipe.srs = "EPSG:4326";
    makeRaster(tif, recipe);
    {
        std::ifstream in(tif, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        VSILFILE* zip = VSIFOpenL(("/vsizip/" + folder.file("maps.zip") + "/map.tif").c_str(), "wb");
        ASSERT_NE(nullptr, zip);
        ASSERT_EQ(bytes.size(), VSIFWriteL(bytes.data(), 1, bytes.size(), zip));
        VSIFCloseL(zip);
    }
    ProcessResult plain = tessella({"import", tif, "--output-dir", folder.file("plain"), "--name", "Tokyo",
                                    "--folder", "tokyo"},
                                   folder.path().string());
    ASSERT_EQ(0, plain.exitCode) << plain.err;
    const std::pair<const char*, std::string> sources[] = {
        {"zipped", "/vsizip/" + folder.file("maps.zip") + "/map.tif"},
        {"directory", "GTIFF_DIR:1:" + tif},
    };
    for (const auto& [name, source] : sources) {
        SCOPED_TRACE(name);
        ProcessResult result = tessella({"import", source, "--output-dir", folder.file(name), "--name", "Tokyo",
                                         "--folder", "tokyo"},
                                        folder.path().string());
        EXPECT_EQ(0, result.exitCode) << result.err;
        expectSameMaps(folder.file("plain"), folder.file(name));
    }
    // Standard input, which can be read only once.
    ASSERT_EQ(0, run("cd '" + folder.path().string() + "' && '" TESSELLA_CLI_DEFAULT "' import /vsistdin/ "
                     "--output-dir piped --name Tokyo --folder tokyo < map.tif > /dev/null 2>&1"));
    expectSameMaps(folder.file("plain"), folder.file("piped"));
}

TEST(ImportEndToEnd, ANamedPipeIsRefusedAtOnce) {
    TempFolder folder;
    std::string pipe = folder.file("map.tif");
    ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
    ProcessResult result = tessella({"import", pipe, "--name", "A", "--folder", "a"}, folder.path().string());
    EXPECT_EQ(3, result.exitCode) << result.err;
    EXPECT_NE(std::string::npos, result.err.find(pipe + ": ")) << result.err;
    EXPECT_FALSE(fs::exists(folder.file("a.vlm")));
}

// No output takes the place of the picture it is made from, and --bmp never writes over
// or through what stands at its name.
TEST(ImportEndToEnd, OutputsNeverReplaceTheSourceOrWhatStandsAtTheirName) {
    TempFolder folder;
    fs::create_directories(folder.file("tokyo/layer1/level000"));
    const std::string tile = folder.file("tokyo/layer1/level000/smpl000000.map");
    RasterRecipe recipe;
    recipe.geoTransform = kTokyo;
    recipe.srs = "EPSG:4326";
    makeRaster(tile, recipe);  // a GeoTIFF where the map's first tile goes
    const std::string source = filesUnder(folder.path()).begin()->second;
    std::ofstream(folder.file("elsewhere.txt")) << "keep";
    fs::create_symlink(folder.file("elsewhere.txt"), folder.file("linked.bmp"));
    fs::create_symlink(folder.file("elsewhere.txt"), folder.file("out.bmp.part"));
    const struct {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        const char* says;
    } cases[] = {
        {"map over its source", {"--name", "Tokyo", "--folder", "tokyo", "--output-dir", "."}, 5, "smpl000000.map"},
        {"bitmap at its source", {"--bmp", tile}, 5, "already exists"},
        {"bitmap at a link", {"--bmp", "linked.bmp"}, 5, "already exists"},
        {"bitmap beside a link at a temporary's name", {"--bmp", "out.bmp"}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"import", tile};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProcessResult result = tessella(args, folder.path().string());
        EXPECT_EQ(c.exitCode, result.exitCode) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.says)) << result.err;
        EXPECT_EQ(source, filesUnder(folder.path() / "tokyo").begin()->second);
        EXPECT_FALSE(fs::exists(folder.file("tokyo.vlm")));
        std::ifstream kept(folder.file("elsewhere.txt"));
        EXPECT_EQ("keep", std::string(std::istreambuf_iterator<char>(kept), std::istreambuf_iterator<char>()));
    }
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder.file("out.bmp"))));
}

// convert and import are two ways into one run: every option they share means the same,
// with the same messages, exit codes and files, whichever makes the map.
TEST(ImportEndToEnd, ConvertAndImportAgreeOnTheOptionsTheyShare) {
    const struct {
        const char* name;
        std::vector<std::string> options;
        bool mapThere;       // a map of the folder name stands there before the run
        int exitCode;
        const char* says;    // in standard output or error
        bool mapWritten;     // tokyo.vlm is this run's
        const char* mapName = "Tokyo";
        const char* folderName = "tokyo";
    } cases[] = {
        {"plain", {}, false, 0, "Wrote tokyo.vlm and 12 tile files", true},
        {"dry run", {"--dry-run"}, false, 0, "Would write tokyo.vlm and 12 tile files", false},
        {"json", {"--json"}, false, 0, "\"exitCode\": 0\n}", true},
        {"quiet", {"--quiet"}, false, 0, "", true},
        {"output folder", {"--output-dir", "out"}, false, 0, "Wrote tokyo.vlm", false},
        {"existing map", {}, true, 5, "--overwrite replaces the map", false},
        {"existing map, dry run", {"--dry-run"}, true, 5, "--overwrite replaces the map", false},
        {"overwrite", {"--overwrite"}, true, 0, "Wrote tokyo.vlm", true},
        {"dither", {"--dither"}, false, 0, "Wrote tokyo.vlm and 12 tile files", true},
        {"control character in the name", {}, false, 4, "the control character U+0007", false, "To\akyo"},
        {"folder name", {}, false, 4, "ERROR : Illegal Folder Name. you can use a..z and 0..9.", false, "Tokyo",
         "tokyo!"},
    };
    TempFolder folder;
    RasterRecipe recipe;
    recipe.driver = "BMP";
    recipe.width = 640;
    recipe.height = 480;
    makeRaster(folder.file("map.bmp"), recipe);
    const std::vector<std::string> settings = {"--top-left", "35:42:00,139:42:00", "--bottom-right",
                                               "35:41:00,139:43:00", "--east-west", "1506", "--north-south", "1849"};
    for (const auto& c : cases) {
        std::map<std::string, std::string> maps[2];
        int index = 0;
        for (const char* command : {"convert", "import"}) {
            SCOPED_TRACE(std::string(c.name) + ", " + command);
            fs::remove_all(folder.file("tokyo"));
            fs::remove_all(folder.file("out"));
            fs::remove(folder.file("tokyo.vlm"));
            if (c.mapThere) {
                std::vector<std::string> first = {"convert", "map.bmp", "--name", "Old", "--folder", "tokyo"};
                first.insert(first.end(), settings.begin(), settings.end());
                ASSERT_EQ(0, tessella(first, folder.path().string()).exitCode);
            }
            std::vector<std::string> args = {command, "map.bmp", "--name", c.mapName, "--folder", c.folderName};
            args.insert(args.end(), settings.begin(), settings.end());
            args.insert(args.end(), c.options.begin(), c.options.end());
            ProcessResult result = tessella(args, folder.path().string());
            EXPECT_EQ(c.exitCode, result.exitCode) << result.err;
            EXPECT_NE(std::string::npos, (result.out + result.err).find(c.says)) << result.out << result.err;
            if (std::string(c.name) == "quiet") {
                EXPECT_EQ("", result.err);
            }
            if (std::string(c.name) == "json") {
                EXPECT_EQ(0u, result.out.find(std::string("{\n  \"command\": \"") + command + "\""));
            }
            if (c.exitCode == 4) {
                EXPECT_EQ("", result.out);
            }
            std::map<std::string, std::string> files = filesUnder(folder.path());
            EXPECT_EQ(c.mapWritten, files.count("tokyo.vlm") == 1 && files["tokyo.vlm"].find("Tokyo") != std::string::npos);
            files.erase("map.bmp");
            maps[index++] = files;
        }
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(maps[0] == maps[1]) << "convert and import left different files";
    }
}

// What a map maker types on top of a picture's own georeferencing and samples, end to end:
// refused where it would silently override, taken where asked for.
TEST(ImportEndToEnd, TypedValuesBesideThePicturesOwnAreRefusedOrTakenAsAsked) {
    TempFolder folder;
    RasterRecipe placed;
    placed.geoTransform = kTokyo;
    placed.srs = "EPSG:4326";
    makeRaster(folder.file("placed.tif"), placed);
    RasterRecipe deep = placed;  // 12-bit samples in 16-bit words, no NBITS
    deep.uint16 = true;
    makeRaster(folder.file("deep.tif"), deep, [](int x, int y, int band) { return (x * 7 + y * 3 + band * 911) % 4096; });
    const std::vector<std::string> map = {"--name", "Tokyo", "--folder", "tokyo", "--dry-run"};
    const std::vector<std::string> corners = {"--top-left", "35:42:00,139:42:00", "--bottom-right", "35:41:00,139:43:00"};
    const struct {
        const char* name;
        const char* source;
        std::vector<std::string> options;
        int exitCode;
        const char* says;
    } cases[] = {
        {"corners over its own", "placed.tif", corners, 2, "--replace-georeferencing"},
        {"corners over its own, taken", "placed.tif", {"--replace-georeferencing", "--top-left", "35:42:00,139:42:00",
                                                       "--bottom-right", "35:41:00,139:43:00"}, 0, "35:41:00 N"},
        {"a system over its own", "placed.tif", {"--srs", "EPSG:6668"}, 2, "--window LAT,LON,LAT,LON"},
        {"a window", "placed.tif", {"--window", "35.69,139.71,35.6,139.8"}, 0,
         "Window:       35:41:24,139:42:36 to 35:36:00,139:48:00"},
        {"a window that is no window", "placed.tif", {"--window", "35.69,139.71"}, 2, "LAT,LON,LAT,LON"},
        {"deep samples", "deep.tif", {}, 0, "--stretch 0,409"},
        {"deep samples stretched", "deep.tif", {"--stretch", "0,4095"}, 0, "Would write"},
        {"a stretch upside down", "deep.tif", {"--stretch", "4095,0"}, 2, "MIN must be below MAX"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"import", c.source};
        args.insert(args.end(), map.begin(), map.end());
        args.insert(args.end(), c.options.begin(), c.options.end());
        ProcessResult result = tessella(args, folder.path().string());
        EXPECT_EQ(c.exitCode, result.exitCode) << result.err;
        EXPECT_NE(std::string::npos, (result.out + result.err).find(c.says)) << result.out << result.err;
    }
    EXPECT_FALSE(fs::exists(folder.file("placed.tif.aux.xml")));
    EXPECT_FALSE(fs::exists(folder.file("deep.tif.aux.xml")));
}

// Control points typed on the command line, end to end: read, refused with the exit code
// of their kind, and reported with each residual.
TEST(ImportEndToEnd, TypedControlPointsAreReadRefusedAndReported) {
    TempFolder folder;
    RasterRecipe scan;
    scan.driver = "PNG";
    makeRaster(folder.file("scan.png"), scan);
    RasterRecipe placed;
    placed.geoTransform = kTokyo;
    placed.srs = "EPSG:4326";
    makeRaster(folder.file("placed.tif"), placed);
    const std::vector<std::string> four = {"--gcp", "0,0,35.7,139.7", "--gcp", "480,0,35.7,139.8", "--gcp",
                                           "0,480,35.6,139.7", "--gcp", "480,480,35.6,139.8"};
    const struct {
        const char* name;
        const char* source;
        std::vector<std::string> options;
        int exitCode;
        std::vector<const char*> says;
    } cases[] = {
        {"four corners", "scan.png", four, 0,
         {"corners from the 4 control points typed with --gcp (WGS84), warped to north-up WGS84 latitude/longitude "
          "with a first-order polynomial",
          "Control points: 4, fitted by a first-order polynomial; residuals in pixels:\n  1            at pixel 0.0, "
          "line 0.0: 0.00\n",
          "Top-left:     35:42:00 N, 139:42:00 E"}},
        {"a spline", "scan.png", {"--gcp", "0,0,35.7,139.7", "--gcp", "480,0,35.7,139.8", "--gcp",
                                  "0,480,35.6,139.7", "--transform", "tps"}, 0,
         {"fitted by a thin plate spline"}},
        {"two points", "scan.png", {"--gcp", "0,0,35.7,139.7", "--gcp", "480,0,35.7,139.8"}, 4,
         {"needs at least 3 control points; 2 are given"}},
        {"not four numbers", "scan.png", {"--gcp", "0,0,35.7"}, 2, {"--gcp: \"0,0,35.7\" is not PIXEL,LINE,LAT,LON"}},
        {"south of the equator", "scan.png", {"--gcp", "0,0,35.7S,139.7"}, 2, {"--gcp: \"0,0,35.7S,139.7\": "}},
        {"beside corners", "scan.png", {"--gcp", "0,0,35.7,139.7", "--top-left", "35.7,139.7", "--bottom-right",
                                        "35.6,139.8"}, 2, {"--gcp does not go with --top-left"}},
        {"an unknown transform", "scan.png", {"--transform", "poly4"}, 2,
         {"\"poly4\" is not one of poly1, poly2, poly3, tps"}},
        {"over its own georeferencing", "placed.tif", four, 2, {"typed control points", "--replace-georeferencing"}},
        {"a transform with nothing to fit", "placed.tif", {"--transform", "poly2"}, 2, {"leave --transform out"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"import", c.source, "--name", "Scan", "--folder", "scan", "--dry-run"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ProcessResult result = tessella(args, folder.path().string());
        EXPECT_EQ(c.exitCode, result.exitCode) << result.err;
        for (const char* part : c.says)
            EXPECT_NE(std::string::npos, (result.out + result.err).find(part)) << result.out << result.err;
    }
}

}  // namespace

// --resolution through the real binary: the prepared bitmap holds gdalwarp -tr's pixels on
// its grid, the printed corner is its corner, and the two ways of choosing the grid
// exclude each other.
TEST(ImportEndToEnd, ResolutionGivesGdalwarpTrsGridAndPixels) {
    TempFolder folder;
    const std::string tif = folder.file("utm.tif"), bmp = folder.file("prepared.bmp"), vrt = folder.file("want.vrt");
    RasterRecipe recipe;
    recipe.width = 400;
    recipe.height = 300;
    recipe.geoTransform = {380000, 20, 0, 3950000, 0, -20};
    recipe.srs = "EPSG:32654";
    makeRaster(tif, recipe);
    ProcessResult prepared = tessella({"import", tif, "--name", "Kanto", "--folder", "kanto", "--resolution", "0.9",
                                       "--bmp", bmp},
                                      folder.path().string());
    ASSERT_EQ(0, prepared.exitCode) << prepared.err;
    EXPECT_NE(std::string::npos, prepared.out.find("before --resolution or --size")) << prepared.out;
    const Warped want = gdalwarp(tif, "-r near -tr 0.00025 0.00025", vrt);
    auto toMs = [](double degrees) { return std::llround(degrees * 3600000) / 3600000.0; };
    char corner[64];
    std::snprintf(corner, sizeof corner, "--top-left %.9f,%.9f", toMs(want.grid.north), toMs(want.grid.west));
    EXPECT_NE(std::string::npos, prepared.out.find(corner)) << corner << "\n" << prepared.out;
    // The bitmap's rows, bottom-up, turned top row first.
    const std::vector<uint8_t> stored = bmpPixelBytes(bmp);
    const auto width = static_cast<int32_t>(paddedPictureSide(want.grid.width));
    const size_t row = static_cast<size_t>(width) * 3;
    ASSERT_EQ(row * static_cast<size_t>(paddedPictureSide(want.grid.height)), stored.size());
    std::vector<uint8_t> picture;
    for (size_t end = stored.size(); end >= row; end -= row)
        picture.insert(picture.end(), stored.begin() + static_cast<ptrdiff_t>(end - row),
                       stored.begin() + static_cast<ptrdiff_t>(end));
    EXPECT_EQ(0, pixelsApart(picture, width, want, 0));

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--resolution", "0.9", "--size", "800x600"},
          std::vector<std::string>{"--size", "0x600"}, std::vector<std::string>{"--resolution", "-1"},
          std::vector<std::string>{"--resolution", "0.9,"}}) {
        std::vector<std::string> args = {"import", tif, "--name", "K", "--folder", "k", "--dry-run"};
        args.insert(args.end(), wrong.begin(), wrong.end());
        ProcessResult refused = tessella(args, folder.path().string());
        EXPECT_EQ(2, refused.exitCode) << wrong[1] << refused.err;
    }
}

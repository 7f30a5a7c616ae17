// The tessella command end to end: the real binary, run in a fresh folder, its exit code,
// its output and every byte it writes. TESSELLA_CLI names the binary (the native build by
// default), optionally after a program that runs it, such as the Wine wrapper for
// tessella.exe; the same expectations then hold for the Windows build.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

#include "ColorQuantizer.h"
#include "ConversionJob.h"
#include "IndexFormat.h"
#include "ExpectedTile.h"
#include "GeodesySolvers.h"
#include "ProcessRunner.h"
#include "TempFolder.h"
#include "TestBitmap.h"
#include "TileWriter.h"
#include "WorkedExample.h"

namespace fs = std::filesystem;

namespace {

#ifndef TESSELLA_CLI_DEFAULT
#define TESSELLA_CLI_DEFAULT "tessella"
#endif

// The command that runs tessella: TESSELLA_CLI when set, words separated by spaces (a
// runner and its arguments, then the binary), else the native binary.
std::vector<std::string> commandPrefix() { return commandFromEnvironment("TESSELLA_CLI", TESSELLA_CLI_DEFAULT); }

bool runsUnderRunner() { return commandPrefix().size() > 1; }

// UTF-8 texts used below.
const std::string kTokyoBayMap = "A\xE6\x9D\xB1\xE4\xBA\xAC\xE6\xB9\xBE\xE3\x83\x99\xE3\x82\xA4"
                                 "\xE3\x82\xA8\xE3\x83\xAA\xE3\x82\xA2\xE5\x9C\xB0\xE5\x9B\xB3";  // A東京湾ベイエリア地図
const std::string kTokyoBayMapCp932 =
    "A\x93\x8C\x8B\x9E\x98\x70\x83\x78\x83\x43\x83\x47\x83\x8A\x83\x41\x92\x6E\x90\x7D";
const std::string kIndexExistsUtf8 =
    "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xEF\xBC\x9A\xE5\x90\x8C\xE5\x90\x8D\xE3\x83\x95"
    "\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\x8C\xE3\x81\x82\xE3\x82\x8A\xE3\x80\x81"
    "\xE4\xBD\x9C\xE6\x88\x90\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93";  // エラー：同名ファイルがあり、作成できません

const std::string kCannotCreateOutputUtf8 =
    "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xEF\xBC\x9A\xE5\x87\xBA\xE5\x8A\x9B\xE3\x83\x95"
    "\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\xAE\xE4\xBD\x9C\xE6\x88\x90\xE3\x81\xAB"
    "\xE5\xA4\xB1\xE6\x95\x97\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F";  // エラー：出力ファイルの作成に失敗しました

std::vector<std::string> sampleSettings(const std::string& name = "SAMPLE MAP") {
    return {"--name", name, "--folder", "area01", "--top-left", "35:40:0,139:45:0",
            "--bottom-right", "35:39:0,139:46:0", "--east-west", "1852", "--north-south", "926"};
}

// The job the sample settings make, for the expected tile headers.
ConversionJob sampleJob(const std::string& cp932Name, int32_t width, int32_t height) {
    ConversionJob job = workedExampleJob(width, height);
    std::memset(job.mapName, 0, sizeof job.mapName);
    std::memcpy(job.mapName, cp932Name.data(), std::min<size_t>(cp932Name.size(), 32));
    return job;
}

std::string tileName(int32_t column, int32_t row) {
    char name[64];
    std::snprintf(name, sizeof name, "area01/layer1/level%03d/smpl%03d%03d.map", row, column, row);
    return name;
}

class TessellaCommand : public ::testing::Test {
protected:
    ProcessResult run(std::vector<std::string> args, const std::string& in = "") {
        std::vector<std::string> argv = commandPrefix();
        argv.insert(argv.end(), args.begin(), args.end());
        return runProcess(argv, (folder_.path() / in).string());
    }

    void writeBitmap(const std::string& name, int32_t width = 480, int32_t height = 480) {
        fs::create_directories((folder_.path() / name).parent_path());
        writeFile(file(name), makeBitmap(width, height, patternPixel));
    }

    std::string file(const std::string& name) const { return (folder_.path() / name).string(); }

    // Everything in the folder, files and folders, as relative paths with '/'.
    std::set<std::string> tree() const {
        std::set<std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(folder_.path()))
            entries.insert(fs::relative(entry.path(), folder_.path()).generic_string());
        return entries;
    }

    // Checks the index and every tile of a 480 by 480 conversion of the pattern.
    void expectSampleOutput(const std::string& where, const std::string& cp932Name) {
        ConversionJob job = sampleJob(cp932Name, 480, 480);
        std::vector<uint8_t> index = readFile(file(where + "area01.vlm"));
        ASSERT_EQ(index.size(), 160u);
        std::vector<uint8_t> expectedIndex = workedExampleIndex();
        std::fill(expectedIndex.begin(), expectedIndex.begin() + 32, 0);
        std::memcpy(expectedIndex.data(), job.mapName, 32);
        EXPECT_EQ(index, expectedIndex);
        for (int32_t row = 0; row < 3; ++row) {
            for (int32_t column = 0; column < 3; ++column) {
                std::vector<uint8_t> tile = readFile(file(where + tileName(column, row)));
                EXPECT_EQ(tile, expectedTile(job, column, row)) << tileName(column, row);
            }
        }
    }

    std::set<std::string> sampleTree(const std::string& where) const {
        std::set<std::string> entries = {where + "area01.vlm", where + "area01",
                                         where + "area01/layer1"};
        for (int32_t row = 0; row < 3; ++row) {
            entries.insert(where + "area01/layer1/level00" + std::to_string(row));
            for (int32_t column = 0; column < 3; ++column) entries.insert(where + tileName(column, row));
        }
        return entries;
    }

    TempFolder folder_;
};

TEST_F(TessellaCommand, ConvertsTheSampleMapByteForByte) {
    writeBitmap("map.bmp");
    std::vector<std::string> args = {"convert", "map.bmp"};
    std::vector<std::string> settings = sampleSettings();
    args.insert(args.end(), settings.begin(), settings.end());

    ProcessResult result = run(args);

    EXPECT_EQ(result.exitCode, 0);
    // Piped standard error gets the message alone: no progress line, no carriage return.
    EXPECT_EQ(result.err, "SUCCESS : File convert finish.\n");
    EXPECT_NE(result.out.find("Wrote area01.vlm and 9 tile files (3 columns, 3 rows)"), std::string::npos)
        << result.out;
    ASSERT_NO_FATAL_FAILURE(expectSampleOutput("", "SAMPLE MAP"));
    std::vector<uint8_t> tile21 = readFile(file(tileName(2, 1)));
    ASSERT_EQ(tile21.size(), static_cast<size_t>(kTileFileSize));
    EXPECT_EQ(std::vector<uint8_t>(tile21.begin(), tile21.begin() + 160), workedExampleTile21Header());
    std::set<std::string> expected = sampleTree("");
    expected.insert("map.bmp");
    EXPECT_EQ(tree(), expected);
}

TEST_F(TessellaCommand, OutputLandsBesideTheBitmapOrInTheOutputFolder) {
    writeBitmap("pictures/map.bmp");
    std::vector<std::string> args = {"convert", "pictures/map.bmp"};
    std::vector<std::string> settings = sampleSettings();
    args.insert(args.end(), settings.begin(), settings.end());
    ProcessResult beside = run(args);
    EXPECT_EQ(beside.exitCode, 0) << beside.err;
    ASSERT_NO_FATAL_FAILURE(expectSampleOutput("pictures/", "SAMPLE MAP"));

    // Into a folder that does not exist yet, given relative to where the command runs.
    args.insert(args.end(), {"--output-dir", "out/maps"});
    ProcessResult elsewhere = run(args);
    EXPECT_EQ(elsewhere.exitCode, 0) << elsewhere.err;
    ASSERT_NO_FATAL_FAILURE(expectSampleOutput("out/maps/", "SAMPLE MAP"));

    std::set<std::string> expected = sampleTree("pictures/");
    std::set<std::string> second = sampleTree("out/maps/");
    expected.insert(second.begin(), second.end());
    expected.insert({"pictures", "pictures/map.bmp", "out", "out/maps"});
    EXPECT_EQ(tree(), expected);
}

TEST_F(TessellaCommand, JapaneseFolderAndFileNames) {
    // 地図/東京.bmp into 出力: on Windows the wide command line keeps these names.
    const std::string pictures = "\xE5\x9C\xB0\xE5\x9B\xB3";
    const std::string output = "\xE5\x87\xBA\xE5\x8A\x9B";
    writeBitmap(pictures + "/\xE6\x9D\xB1\xE4\xBA\xAC.bmp");
    std::vector<std::string> args = {"convert", pictures + "/\xE6\x9D\xB1\xE4\xBA\xAC.bmp"};
    std::vector<std::string> settings = sampleSettings();
    args.insert(args.end(), settings.begin(), settings.end());
    args.insert(args.end(), {"--output-dir", output});

    ProcessResult result = run(args);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "SUCCESS : File convert finish.\n");
    ASSERT_NO_FATAL_FAILURE(expectSampleOutput(output + "/", "SAMPLE MAP"));
}

TEST_F(TessellaCommand, BitmapPathOutsideTheWindowsCodePage) {
    // 서울/지도.bmp: Korean, which code page 932 cannot hold. The Windows build reaches it
    // through its short name; the output still lands beside it.
    const std::string folder = "\xEC\x84\x9C\xEC\x9A\xB8";
    writeBitmap(folder + "/\xEC\xA7\x80\xEB\x8F\x84.bmp");
    std::vector<std::string> args = {"convert", folder + "/\xEC\xA7\x80\xEB\x8F\x84.bmp"};
    std::vector<std::string> settings = sampleSettings();
    args.insert(args.end(), settings.begin(), settings.end());

    ProcessResult result = run(args);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "SUCCESS : File convert finish.\n");
    ASSERT_NO_FATAL_FAILURE(expectSampleOutput(folder + "/", "SAMPLE MAP"));
}

TEST_F(TessellaCommand, JapaneseMapNameIsWrittenInShiftJis) {
    writeBitmap("map.bmp");
    std::vector<std::string> args = {"convert", "map.bmp"};
    std::vector<std::string> settings = sampleSettings(kTokyoBayMap);
    args.insert(args.end(), settings.begin(), settings.end());

    ProcessResult result = run(args);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err,
              "tessella: warning: tile headers keep the map name's first 16 bytes, which cut the character "
              "\"\xE3\x82\xA2\" in two: they hold \"" + kTokyoBayMap.substr(0, 22) + "\" and its first byte\n"
              "SUCCESS : File convert finish.\n");
    // 21 bytes in the index; the tile headers keep 16, the last a lead byte cut from its pair.
    std::vector<uint8_t> index = readFile(file("area01.vlm"));
    ASSERT_EQ(index.size(), 160u);
    EXPECT_EQ(std::string(index.begin(), index.begin() + 32), kTokyoBayMapCp932 + std::string(11, '\0'));
    std::vector<uint8_t> tile = readFile(file(tileName(1, 2)));
    ASSERT_EQ(tile.size(), static_cast<size_t>(kTileFileSize));
    EXPECT_EQ(std::string(tile.begin() + 16, tile.begin() + 32), kTokyoBayMapCp932.substr(0, 16));
    EXPECT_EQ(tile[31], 0x83);  // first byte of ア
    ASSERT_NO_FATAL_FAILURE(expectSampleOutput("", kTokyoBayMapCp932));
}

TEST_F(TessellaCommand, OverlongNameIsCutWithAWarning) {
    writeBitmap("map.bmp");
    // 東京都千代田区丸の内一丁目一番一号: 17 characters, 34 bytes in Shift-JIS.
    const std::string name =
        "\xE6\x9D\xB1\xE4\xBA\xAC\xE9\x83\xBD\xE5\x8D\x83\xE4\xBB\xA3\xE7\x94\xB0\xE5\x8C\xBA"
        "\xE4\xB8\xB8\xE3\x81\xAE\xE5\x86\x85\xE4\xB8\x80\xE4\xB8\x81\xE7\x9B\xAE\xE4\xB8\x80"
        "\xE7\x95\xAA\xE4\xB8\x80\xE5\x8F\xB7";
    std::vector<std::string> args = {"convert", "map.bmp"};
    std::vector<std::string> settings = sampleSettings(name);
    args.insert(args.end(), settings.begin(), settings.end());

    ProcessResult result = run(args);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err,
              "tessella: warning: the map name is 34 bytes in Shift-JIS; only its first 32 are kept: \"" +
                  name.substr(0, 48) + "\"\nSUCCESS : File convert finish.\n");
    std::vector<uint8_t> index = readFile(file("area01.vlm"));
    ASSERT_EQ(index.size(), 160u);
    const std::string cp932 =
        "\x93\x8C\x8B\x9E\x93\x73\x90\xE7\x91\xE3\x93\x63\x8B\xE6\x8A\xDB\x82\xCC\x93\xE0"
        "\x88\xEA\x92\x9A\x96\xDA\x88\xEA\x94\xD4\x88\xEA";
    EXPECT_EQ(std::string(index.begin(), index.begin() + 32), cp932);
    EXPECT_EQ(index[32], 'a');  // the folder name follows with no zero between
}

TEST_F(TessellaCommand, NameThatShiftJisCannotHoldWritesNothing) {
    writeBitmap("map.bmp");
    std::vector<std::string> args = {"convert", "map.bmp"};
    std::vector<std::string> settings = sampleSettings("Seoul \xEC\x84\x9C\xEC\x9A\xB8");  // 서울
    args.insert(args.end(), settings.begin(), settings.end());

    ProcessResult result = run(args);

    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err,
              "tessella: error: --name: the character \"\xEC\x84\x9C\" cannot be written in "
              "Shift-JIS (CP932), the encoding of the map files; nothing was written\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(tree(), std::set<std::string>{"map.bmp"});
}

struct NameRun {
    std::string name;  // UTF-8, as typed
    int exitCode;
    std::string err;
    std::string stored;  // the index's 32 name bytes, when written
};

TEST_F(TessellaCommand, NamesAsJapaneseUsersTypeThem) {
    const std::string success = "SUCCESS : File convert finish.\n";
    std::string tokyo16, tokyo16Cp932;  // 東 sixteen times
    for (int i = 0; i < 16; ++i) {
        tokyo16 += "\xE6\x9D\xB1";
        tokyo16Cp932 += "\x93\x8C";
    }
    const NameRun cases[] = {
        // 〜‖−¢£¬— as input methods type them outside Windows: Windows' bytes for the signs.
        {"A\xE3\x80\x9C\xE2\x80\x96\xE2\x88\x92\xC2\xA2\xC2\xA3\xC2\xAC\xE2\x80\x94", 0, success,
         "A\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C" + std::string(17, '\0')},
        // 33 bytes: the cut keeps 31, not the first byte of the sixteenth character.
        {"A" + tokyo16, 0,
         "tessella: warning: the map name is 33 bytes in Shift-JIS; only its first 31 are kept, so that no "
         "character is cut in two: \"A" + tokyo16.substr(0, 45) + "\"\n"
         "tessella: warning: tile headers keep the map name's first 16 bytes, which cut the character \"" +
             tokyo16.substr(0, 3) + "\" in two: they hold \"A" + tokyo16.substr(0, 21) + "\" and its first byte\n" +
             success,
         "A" + tokyo16Cp932.substr(0, 30) + std::string(1, '\0')},
        {"Tab\there", 4,
         "tessella: error: --name: the control character U+0009 cannot be part of a map name; nothing was "
         "written\n", ""},
        {"Seoul \xEC\x84\x9C\xEC\x9A\xB8", 4,
         "tessella: error: --name: the character \"\xEC\x84\x9C\" cannot be written in Shift-JIS (CP932), the "
         "encoding of the map files; nothing was written\n", ""},
    };
    writeBitmap("map.bmp");
    for (const NameRun& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder_.path() / "area01");
        fs::remove(folder_.path() / "area01.vlm");
        std::vector<std::string> args = {"convert", "map.bmp"};
        std::vector<std::string> settings = sampleSettings(c.name);
        args.insert(args.end(), settings.begin(), settings.end());

        ProcessResult result = run(args);

        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.err, c.err);
        if (c.stored.empty()) {
            EXPECT_EQ(tree(), std::set<std::string>{"map.bmp"});
            continue;
        }
        std::vector<uint8_t> index = readFile(file("area01.vlm"));
        ASSERT_EQ(index.size(), 160u);
        EXPECT_EQ(std::string(index.begin(), index.begin() + 32), c.stored);
    }
}

struct RefusedBitmap {
    const char* name;
    std::vector<uint8_t> bytes;  // empty: no file at all
    std::string message;         // the conversion's
    std::string read;            // what convert says it read, "" for nothing
    std::string hints;           // the hint lines both commands print
    std::string probeOut;        // the probe's report after its verdict
    std::string probeError = "";  // the probe's own line instead of the conversion's message
};

std::vector<uint8_t> headersOnly(BitmapHeaderFields fields) { return bitmapHeaders(fields); }

// The probe's lines for what a bitmap's headers say.
std::string factLines(int width, int height, int bits, const std::string& compression, int fileSize, int needed) {
    return "width: " + std::to_string(width) + "\nheight: " + std::to_string(height) + "\nbits per pixel: " +
           std::to_string(bits) + "\ncompression: " + compression + "\nheader size: 40 bytes\n" +
           "rows stored: bottom-up\nfile size: " + std::to_string(fileSize) + " bytes\n" +
           (needed != 0 ? "size needed: " + std::to_string(needed) + " bytes\n" : "");
}

TEST_F(TessellaCommand, RefusedBitmapsAreExplainedAndWriteNothing) {
    BitmapHeaderFields eightBit, compressed, narrow, offGrid;
    eightBit.bitsPerPixel = 8;
    eightBit.width = 640;
    compressed.compression = 1;
    narrow.width = 470;
    narrow.height = 640;
    offGrid.width = 500;
    std::vector<uint8_t> truncated = makeBitmap(480, 480, patternPixel);
    truncated.resize(truncated.size() - 1);
    const std::string kindHints =
        "tessella: hint: Tessella converts 24-bit uncompressed bottom-up bitmaps; ImageMagick makes one: convert "
        "map.bmp -alpha off -type TrueColor BMP3:map-24bit.bmp\n"
        "tessella: hint: or let 'tessella import' read the picture as it is, where this build has it\n";
    const std::string cornersMove =
        "tessella: hint: both keep the top-left corner and move the bottom-right one with the picture's edge: give "
        "the corners and distances of the new picture\n";
    const RefusedBitmap cases[] = {
        {"missing", {}, "Warning: Error : Cannot find bmp-file\n", "", "", ""},
        {"text", {'h', 'e', 'l', 'l', 'o', '\n'}, "Warning: Error : this file is not bmp-file\n",
         "6 bytes, not a bitmap", kindHints, "kind: not a bitmap (it does not start with \"BM\")\nfile size: 6 bytes\n"},
        {"8-bit", headersOnly(eightBit), "Warning: This software support 24bpp color.\nThis file is not 24bpp.\n",
         "640 \xC3\x97 480 pixels, 8 bits per pixel, compression none, 40-byte header, bottom-up, 54 bytes (307254 "
         "needed)",
         kindHints, factLines(640, 480, 8, "none", 54, 307254)},
        {"compressed", headersOnly(compressed),
         "Warning: This bmp-file is compressed.\nThis software only support non-compress bmp-file.\n",
         "480 \xC3\x97 480 pixels, 24 bits per pixel, compression RLE8, 40-byte header, bottom-up, 54 bytes", kindHints,
         factLines(480, 480, 24, "RLE8", 54, 0)},
        {"too small", headersOnly(narrow), "Warning: This software only support Width>=480 and Height>=480 bitmap.\n",
         "470 \xC3\x97 640 pixels, 24 bits per pixel, compression none, 40-byte header, bottom-up, 54 bytes (903734 "
         "needed)",
         "tessella: hint: the nearest size Tessella converts: pad 470 \xC3\x97 640 to 480 \xC3\x97 640\n"
         "tessella: hint: with ImageMagick: convert map.bmp -background white -extent 480x640 -alpha off -type "
         "TrueColor BMP3:map-480x640.bmp\n" + cornersMove,
         factLines(470, 640, 24, "none", 54, 903734)},
        {"off the grid", headersOnly(offGrid), "Warning: Error : Width and Height must be divide by 160.\n",
         "500 \xC3\x97 480 pixels, 24 bits per pixel, compression none, 40-byte header, bottom-up, 54 bytes (720054 "
         "needed)",
         "tessella: hint: the nearest sizes Tessella converts: crop 500 \xC3\x97 480 to 480 \xC3\x97 480 or pad it to "
         "640 \xC3\x97 480\n"
         "tessella: hint: with ImageMagick: convert map.bmp -crop 480x480+0+0 +repage -alpha off -type TrueColor "
         "BMP3:map-480x480.bmp, or convert map.bmp -background white -extent 640x480 -alpha off -type TrueColor "
         "BMP3:map-640x480.bmp\n" + cornersMove,
         factLines(500, 480, 24, "none", 54, 720054)},
        {"short of pixels", truncated,
         "Warning: Error : bmp-file is shorter than its header says.\nNo file was written.\n",
         "480 \xC3\x97 480 pixels, 24 bits per pixel, compression none, 40-byte header, bottom-up, 691253 bytes "
         "(691254 needed)",
         "",
         "width: 480\nheight: 480\ncolumns: 3\nrows: 3\ntiles: 9\n"
         "pixel data: short of what the header says (convert refuses it)\n"
         "bits per pixel: 24\ncompression: none\nheader size: 40 bytes\nrows stored: bottom-up\n"
         "file size: 691253 bytes\nsize needed: 691254 bytes\n",
         "tessella: error: the file is 691253 bytes, short of the 691254 its headers need; convert refuses it\n"},
    };
    for (const RefusedBitmap& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder fresh;
        fs::path bitmap = fresh.path() / "map.bmp";
        if (!c.bytes.empty()) writeFile(bitmap.string(), c.bytes);
        std::vector<std::string> argv = commandPrefix();
        argv.insert(argv.end(), {"convert", "map.bmp"});
        std::vector<std::string> settings = sampleSettings();
        argv.insert(argv.end(), settings.begin(), settings.end());
        argv.insert(argv.end(), {"--output-dir", "out"});

        ProcessResult converted = runProcess(argv, fresh.path().string());

        EXPECT_EQ(converted.exitCode, 3);
        EXPECT_EQ(converted.err, c.message + (c.read.empty() ? "" : "tessella: read: " + c.read + "\n") + c.hints);
        EXPECT_EQ(converted.out, "");
        std::set<std::string> left;
        for (const auto& entry : fs::recursive_directory_iterator(fresh.path()))
            left.insert(entry.path().filename().string());
        EXPECT_EQ(left, c.bytes.empty() ? std::set<std::string>{} : std::set<std::string>{"map.bmp"});

        // The probe refuses what convert refuses, and says what it read.
        argv = commandPrefix();
        argv.insert(argv.end(), {"probe", "map.bmp"});
        ProcessResult probed = runProcess(argv, fresh.path().string());
        EXPECT_EQ(probed.exitCode, 3);
        EXPECT_EQ(probed.err, (c.probeError.empty() ? c.message : c.probeError) + c.hints);
        EXPECT_EQ(probed.out, "verdict: refused\n" + c.probeOut);
    }
}

struct RefusedSetting {
    std::string option;
    std::string value;
    std::string message;
};

TEST_F(TessellaCommand, RefusedSettingsShowTheirMessageAndWriteNothing) {
    writeBitmap("map.bmp");
    const RefusedSetting cases[] = {
        {"--name", "", "ERROR : Illegal Map Name.\n"},
        {"--folder", "", "ERROR : Illegal Folder Name.\n"},
        {"--folder", "Area01", "ERROR : Illegal Folder Name. you can use a..z and 0..9.\n"},
        {"--bottom-right", "35:40:0,139:46:0", "ERROR : Illegal Latitude.\n"},
        {"--bottom-right", "35:39:0,139:45:0", "ERROR : Illegal Longitude.\n"},
        {"--east-west", "0", "ERROR : Illegal distance(>0).\n"},
        {"--north-south", "0000000", "ERROR : Illegal distance(>0).\n"},
    };
    for (const RefusedSetting& c : cases) {
        SCOPED_TRACE(c.option + "=" + c.value);
        std::vector<std::string> settings = sampleSettings();
        *(std::find(settings.begin(), settings.end(), c.option) + 1) = c.value;
        std::vector<std::string> args = {"convert", "map.bmp"};
        args.insert(args.end(), settings.begin(), settings.end());
        args.insert(args.end(), {"--output-dir", "out"});

        ProcessResult result = run(args);

        EXPECT_EQ(result.exitCode, 4);
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(tree(), std::set<std::string>{"map.bmp"});  // not even the output folder
    }
}

struct BadArguments {
    std::vector<std::string> args;
    std::string error;
    std::string hint;
};

TEST_F(TessellaCommand, BadArgumentsAreUsageErrors) {
    writeBitmap("map.bmp");
    std::vector<std::string> noNorthSouth = {"convert", "map.bmp"};
    std::vector<std::string> settings = sampleSettings();
    noNorthSouth.insert(noNorthSouth.end(), settings.begin(), settings.end() - 2);
    std::vector<std::string> badAngle = {"convert", "map.bmp"};
    badAngle.insert(badAngle.end(), settings.begin(), settings.end());
    badAngle[7] = "35:40,139:45:0";
    const BadArguments cases[] = {
        {{"transform", "map.bmp"},
         "unknown command \"transform\"; the commands are convert, probe, inspect, verify, preview, import and help",
         "tessella --help"},
        {{"help", "transform"},
         "no help on \"transform\"; the commands are convert, probe, inspect, verify, preview, import and help",
         "tessella help --help"},
        {noNorthSouth, "missing --north-south", "tessella convert --help"},
        {badAngle, "--top-left: latitude \"35:40\" is not D:M:S (degrees:minutes:seconds)",
         "tessella convert --help"},
        {{"probe"}, "missing BITMAP (the bitmap file to read)", "tessella probe --help"},
    };
    for (const BadArguments& c : cases) {
        SCOPED_TRACE(c.error);
        ProcessResult result = run(c.args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err, "tessella: error: " + c.error + "\nRun '" + c.hint + "' for usage.\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(tree(), std::set<std::string>{"map.bmp"});
    }
    ProcessResult nothing = run({});
    EXPECT_EQ(nothing.exitCode, 2);
    EXPECT_EQ(nothing.out, "");
    EXPECT_NE(nothing.err.find("Usage:\n  tessella convert BITMAP"), std::string::npos) << nothing.err;
}

struct CornerRun {
    std::string topLeft, bottomRight;
    int exitCode;
    std::string err;
    std::vector<uint32_t> corners;  // the index's four corners, milliseconds of arc, when written
};

uint32_t bigEndianAt(const std::vector<uint8_t>& bytes, int offset) {
    return static_cast<uint32_t>(bytes[offset]) << 24 | static_cast<uint32_t>(bytes[offset + 1]) << 16 |
           static_cast<uint32_t>(bytes[offset + 2]) << 8 | bytes[offset + 3];
}

TEST_F(TessellaCommand, CornersAsPeopleTypeThem) {
    const std::string success = "SUCCESS : File convert finish.\n";
    const std::string usage = "\nRun 'tessella convert --help' for usage.\n";
    const CornerRun cases[] = {
        {"35.66944,139.7563", "35.65N,139.77E", 0, success, {128409984, 503122680, 128340000, 503172000}},
        {"35:75:0,139:45:0", "35:39:0,139:46:0", 0,
         "tessella: warning: --top-left: latitude \"35:75:0\" has 75 minutes: it amounts to 36:15:00 "
         "(36.250000 degrees)\n" + success,
         {130500000, 503100000, 128340000, 503160000}},
        {"35:40:0,139:45:0", "35.5S,139.77", 2,
         "tessella: error: --bottom-right: latitude \"35.5S\" is south of the equator: Tessella converts "
         "maps north of the equator and east of Greenwich only" + usage, {}},
        {"91,139", "35:39:0,139:46:0", 2, "tessella: error: --top-left: latitude \"91\" is over 90 degrees" + usage,
         {}},
    };
    writeBitmap("map.bmp");
    for (const CornerRun& c : cases) {
        SCOPED_TRACE(c.topLeft + " " + c.bottomRight);
        fs::remove_all(folder_.path() / "area01");
        fs::remove(folder_.path() / "area01.vlm");
        std::vector<std::string> settings = sampleSettings();
        *(std::find(settings.begin(), settings.end(), "--top-left") + 1) = c.topLeft;
        *(std::find(settings.begin(), settings.end(), "--bottom-right") + 1) = c.bottomRight;
        std::vector<std::string> args = {"convert", "map.bmp"};
        args.insert(args.end(), settings.begin(), settings.end());

        ProcessResult result = run(args);

        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.err, c.err);
        if (c.corners.empty()) {
            EXPECT_EQ(tree(), std::set<std::string>{"map.bmp"});
            continue;
        }
        std::vector<uint8_t> index = readFile(file("area01.vlm"));
        ASSERT_EQ(index.size(), 160u);
        EXPECT_EQ((std::vector<uint32_t>{bigEndianAt(index, index_format::kTopLeftLatitudeOffset),
                                         bigEndianAt(index, index_format::kTopLeftLongitudeOffset),
                                         bigEndianAt(index, index_format::kBottomRightLatitudeOffset),
                                         bigEndianAt(index, index_format::kBottomRightLongitudeOffset)}),
                  c.corners);
    }
}

struct ExistingMapRun {
    const char* name;
    std::vector<std::string> options;
    int exitCode;
    bool replaced;       // the new map stands, every old tile outside its grid gone
    std::string outStart;
    // What stands in the way of the new map: a file where its second level folder goes, or
    // a folder where one of its tiles goes.
    enum Blocker { None, FileForLevel1, FolderForTile } blocker = None;
};

TEST_F(TessellaCommand, AnExistingMapStopsTheRunUnlessOverwriteReplacesIt) {
    const std::string stopped = "Warning: " + kIndexExistsUtf8 + "\ntessella: area01.vlm already exists in ";
    const std::string overwriteHint =
        ": a map of this folder name is there (or another tessella is writing it); --overwrite replaces the map\n";
    const ExistingMapRun cases[] = {
        {"stops", {}, 5, false, ""},
        {"dry run stops", {"--dry-run"}, 5, false, ""},
        {"dry run would replace", {"--dry-run", "--overwrite"}, 0, false,
         "Would replace the map there: area01.vlm and 9 tile files (3 columns, 3 rows) under "},
        {"replaced", {"--overwrite"}, 0, true, "Wrote area01.vlm and 9 tile files"},
        {"replacement fails", {"--overwrite"}, 5, false, "", ExistingMapRun::FileForLevel1},
        {"replacement meets a folder", {"--overwrite"}, 5, false, "", ExistingMapRun::FolderForTile},
    };
    for (const ExistingMapRun& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder_.path() / "area01");
        fs::remove(folder_.path() / "area01.vlm");
        // An older, larger map of the same folder name, and a file of someone else's in it.
        writeBitmap("old.bmp", 800, 640);
        writeBitmap("map.bmp");
        std::vector<std::string> args = {"convert", "old.bmp"};
        std::vector<std::string> settings = sampleSettings();
        args.insert(args.end(), settings.begin(), settings.end());
        ASSERT_EQ(run(args).exitCode, 0);
        writeFile(file("area01/layer1/level003/notes.txt"), {'n'});
        std::vector<uint8_t> oldIndex = readFile(file("area01.vlm"));
        if (c.blocker == ExistingMapRun::FileForLevel1) {
            fs::remove_all(folder_.path() / "area01/layer1/level001");
            writeFile(file("area01/layer1/level001"), {'x'});
        }
        if (c.blocker == ExistingMapRun::FolderForTile) {
            fs::remove(folder_.path() / tileName(2, 2));
            fs::create_directory(folder_.path() / tileName(2, 2));
        }
        args[1] = "map.bmp";
        args.insert(args.end(), c.options.begin(), c.options.end());

        ProcessResult result = run(args);

        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.out.rfind(c.outStart, 0), 0u) << result.out;
        if (c.blocker != ExistingMapRun::None) {
            // The tree is checked before the old map is touched: it stays whole, and says so.
            EXPECT_EQ(result.err.rfind("Warning: " + kCannotCreateOutputUtf8 + "\n", 0), 0u) << result.err;
            EXPECT_NE(result.err.find("\ntessella: the old map is untouched\n"), std::string::npos) << result.err;
            EXPECT_EQ(result.err.find("neither it nor the new one"), std::string::npos) << result.err;
            EXPECT_EQ(readFile(file("area01.vlm")), oldIndex);
            continue;
        }
        if (c.exitCode == 5) {
            EXPECT_EQ(result.err.rfind(stopped, 0), 0u) << result.err;
            EXPECT_NE(result.err.find(overwriteHint), std::string::npos) << result.err;
        }
        if (!c.replaced) {
            EXPECT_EQ(readFile(file("area01.vlm")), oldIndex);
            EXPECT_TRUE(fs::exists(folder_.path() / tileName(4, 3)));
            continue;
        }
        std::string err = result.err;  // tessella.exe names the file with '\\'
        std::replace(err.begin(), err.end(), '\\', '/');
        EXPECT_EQ(err, "tessella: warning: area01/layer1/level003/notes.txt is not part of a map; it was left "
                       "where it is\nSUCCESS : File convert finish.\n");
        ASSERT_NO_FATAL_FAILURE(expectSampleOutput("", "SAMPLE MAP"));
        std::set<std::string> expected = sampleTree("");
        expected.insert({"map.bmp", "old.bmp", "area01/layer1/level003", "area01/layer1/level003/notes.txt"});
        EXPECT_EQ(tree(), expected);
    }
}

struct ScriptRun {
    const char* name;
    std::vector<std::string> options;
    std::string option, value;  // a setting changed, or ""
    int exitCode;
    std::string err;
    std::vector<std::string> outParts;  // parts of standard output, in order; none: empty
    bool written;
};

TEST_F(TessellaCommand, ConvertForScripts) {
    const std::string success = "SUCCESS : File convert finish.\n";
    const std::string dmsWarning =
        "tessella: warning: --top-left: latitude \"35:99:0\" has 99 minutes: it amounts to 36:39:00 (36.650000 "
        "degrees)\n";
    const ScriptRun cases[] = {
        {"json", {"--json"}, "", "", 0, success,
         {"{\n  \"command\": \"convert\",\n  \"source\": \"map.bmp\",\n  \"dryRun\": false,\n"
          "  \"outcome\": \"converted\",\n  \"written\": true,\n  \"replacesMap\": false,\n  \"grid\": {\n    \"width\": 480,\n"
          "    \"height\": 480,\n    \"columns\": 3,\n    \"rows\": 3,\n    \"tiles\": 9\n  },\n"
          "  \"settings\": {\n    \"mapName\": \"SAMPLE MAP\",\n    \"mapNameBytes\": [\n      83,\n",
          "      80\n    ],\n    \"folderName\": \"area01\",\n    \"cornersMillisecondsOfArc\": {\n"
          "      \"topLeftLatitude\": 128400000,\n      \"topLeftLongitude\": 503100000,\n"
          "      \"bottomRightLatitude\": 128340000,\n      \"bottomRightLongitude\": 503160000\n    },\n"
          "    \"distancesTenthsOfAMetre\": {\n      \"eastWest\": 18520,\n      \"northSouth\": 9260\n"
          "    }\n  },\n  \"files\": {\n    \"folder\": \"",
          "\"index\": \"area01.vlm\",\n    \"tiles\": [\n", "smpl002002.map\"\n    ]\n  },\n"
          "  \"messages\": [\n    \"SUCCESS : File convert finish.\"\n  ],\n  \"exitCode\": 0\n}\n"},
         true},
        {"json, settings refused", {"--json"}, "--east-west", "0", 4, "ERROR : Illegal distance(>0).\n",
         {"  \"outcome\": \"settings refused\",\n  \"written\": false,\n  \"replacesMap\": false,\n",
          "  \"settings\": null,\n  \"files\": null,\n  \"messages\": [\n    \"ERROR : Illegal distance(>0).\"\n"
          "  ],\n  \"exitCode\": 4\n}\n"},
         false},
        {"json keeps the warnings", {"--json"}, "--top-left", "35:99:0,139:45:0", 0, dmsWarning + success,
         {"  \"messages\": [\n    \"tessella: warning: --top-left: latitude \\\"35:99:0\\\" has 99 minutes: it "
          "amounts to 36:39:00 (36.650000 degrees)\",\n    \"SUCCESS : File convert finish.\"\n  ],\n"},
         true},
        {"quiet", {"--quiet"}, "--top-left", "35:99:0,139:45:0", 0, "", {}, true},
        {"quiet failure", {"--quiet"}, "--folder", "Area01", 4, "ERROR : Illegal Folder Name. you can use a..z and 0..9.\n",
         {}, false},
        {"dry run", {"--dry-run", "--output-dir", "new"}, "", "", 0, "",
         {"Would write area01.vlm and 9 tile files (3 columns, 3 rows) under ", "new:\n  area01.vlm\n",
          "smpl000000.map\n", "smpl002002.map\n"},
         false},
        {"dry run, json", {"--dry-run", "--json"}, "", "", 0, "",
         {"  \"dryRun\": true,\n  \"outcome\": \"checked\",\n  \"written\": false,\n  \"replacesMap\": false,\n",
          "\"messages\": [],\n  \"exitCode\": 0\n}\n"},
         false},
        {"dry run, settings refused", {"--dry-run"}, "--bottom-right", "35:41:0,139:46:0", 4,
         "ERROR : Illegal Latitude.\n", {}, false},
    };
    writeBitmap("map.bmp");
    for (const ScriptRun& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder_.path() / "area01");
        fs::remove(folder_.path() / "area01.vlm");
        std::vector<std::string> settings = sampleSettings();
        if (!c.option.empty()) *(std::find(settings.begin(), settings.end(), c.option) + 1) = c.value;
        std::vector<std::string> args = {"convert", "map.bmp"};
        args.insert(args.end(), settings.begin(), settings.end());
        args.insert(args.end(), c.options.begin(), c.options.end());

        ProcessResult result = run(args);

        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.err, c.err);
        size_t at = 0;
        for (const std::string& part : c.outParts) {
            size_t found = result.out.find(part, at);
            EXPECT_NE(found, std::string::npos) << "no \"" << part << "\" after " << at << " in:\n" << result.out;
            at = found == std::string::npos ? at : found + part.size();
        }
        if (c.outParts.empty()) {
            EXPECT_EQ(result.out, "");
        }
        if (!c.written) {
            EXPECT_EQ(tree(), std::set<std::string>{"map.bmp"});
        } else if (c.option.empty()) {
            ASSERT_NO_FATAL_FAILURE(expectSampleOutput("", "SAMPLE MAP"));
        } else {
            EXPECT_TRUE(fs::exists(folder_.path() / "area01.vlm"));
        }
    }
}

// A link where a folder of the map goes would lead its tiles elsewhere (Wine shows folder
// links to Windows programs as reparse points, so tessella.exe is held to this too).
TEST_F(TessellaCommand, LinkWhereAFolderOfTheMapGoesStopsTheRunBeforeAnythingIsWritten) {
    writeBitmap("map.bmp");
    std::vector<std::string> args = {"convert", "map.bmp"};
    std::vector<std::string> settings = sampleSettings();
    args.insert(args.end(), settings.begin(), settings.end());
    for (const char* place : {"area01", "area01/layer1", "area01/layer1/level001"}) {
        fs::remove_all(folder_.path() / "area01");
        fs::create_directories(folder_.path() / "elsewhere");
        fs::create_directories((folder_.path() / place).parent_path());
        fs::create_symlink(folder_.path() / "elsewhere", folder_.path() / place);
        ProcessResult result = run(args);
        EXPECT_EQ(result.exitCode, 5) << place << ": " << result.err;
        EXPECT_EQ(result.err.rfind("Warning: " + kCannotCreateOutputUtf8 + "\ntessella: area01", 0), 0u) << result.err;
        EXPECT_TRUE(fs::is_empty(folder_.path() / "elsewhere")) << place;
        EXPECT_FALSE(fs::exists(folder_.path() / "area01.vlm")) << place;
        fs::remove(folder_.path() / place);
    }
}

TEST_F(TessellaCommand, OutputThatCannotBeMadeIsAFailedOutput) {
    writeBitmap("map.bmp");
    // A file where the second row's level folder belongs: the map cannot be whole, so
    // nothing is written.
    fs::create_directories(folder_.path() / "area01" / "layer1");
    writeFile(file("area01/layer1/level001"), {'x'});
    writeFile(file("taken"), {'x'});
    std::vector<std::string> args = {"convert", "map.bmp"};
    std::vector<std::string> settings = sampleSettings();
    args.insert(args.end(), settings.begin(), settings.end());

    ProcessResult tileFailed = run(args);

    EXPECT_EQ(tileFailed.exitCode, 5);
    // The warning, then the folder it is about and the system's reason (worded by each
    // system in its own way).
    EXPECT_EQ(tileFailed.err.rfind("Warning: " + kCannotCreateOutputUtf8 + "\ntessella: area01", 0), 0u)
        << tileFailed.err;
    EXPECT_NE(tileFailed.err.find("level001: "), std::string::npos) << tileFailed.err;
    EXPECT_EQ(tileFailed.out, "");
    EXPECT_FALSE(fs::exists(folder_.path() / tileName(2, 0)));
    EXPECT_FALSE(fs::exists(folder_.path() / "area01.vlm"));
    EXPECT_FALSE(fs::exists(folder_.path() / "area01.vlm.part"));

    // An output folder that is a file.
    args.insert(args.end(), {"--output-dir", "taken"});
    ProcessResult folderFailed = run(args);
    EXPECT_EQ(folderFailed.exitCode, 5);
    EXPECT_EQ(folderFailed.err.rfind("tessella: error: cannot make the output folder \"taken\": ", 0), 0u)
        << folderFailed.err;
    EXPECT_EQ(readFile(file("taken")), std::vector<uint8_t>{'x'});
}

TEST_F(TessellaCommand, ProbeTellsTheGridAndWhatItRead) {
    writeBitmap("wide.bmp", 800, 640);
    const std::string wideFacts = "bits per pixel: 24\ncompression: none\nheader size: 40 bytes\n"
                                  "rows stored: bottom-up\nfile size: 1536054 bytes\nsize needed: 1536054 bytes\n";
    ProcessResult accepted = run({"probe", "wide.bmp"});
    EXPECT_EQ(accepted.exitCode, 0);
    EXPECT_EQ(accepted.out,
              "verdict: accepted\nwidth: 800\nheight: 640\ncolumns: 5\nrows: 4\ntiles: 20\n"
              "pixel data: complete\n" + wideFacts);
    EXPECT_EQ(accepted.err, "");

    // Headers of an absurd size: the grid holds more tiles than 32 bits count.
    BitmapHeaderFields huge;
    huge.width = huge.height = 2147483520;
    writeFile(file("huge.bmp"), bitmapHeaders(huge));
    ProcessResult absurd = run({"probe", "huge.bmp"});
    EXPECT_EQ(absurd.exitCode, 3);
    EXPECT_EQ(absurd.out.substr(0, absurd.out.find("bits per pixel")),
              "verdict: refused\nwidth: 2147483520\nheight: 2147483520\ncolumns: 13421772\n"
              "rows: 13421772\ntiles: 180143963619984\n"
              "pixel data: short of what the header says (convert refuses it)\n");
    EXPECT_EQ(absurd.err,
              "tessella: error: the file is 54 bytes, short of the 13835056406014771254 its headers need; convert "
              "refuses it\n");

    // --quiet: nothing but failures. --json: one object, whose messages are those shown.
    ProcessResult quiet = run({"probe", "--quiet", "wide.bmp"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");
    ProcessResult quietRefusal = run({"probe", "huge.bmp", "--quiet"});
    EXPECT_EQ(quietRefusal.exitCode, 3);
    EXPECT_EQ(quietRefusal.out, "");
    EXPECT_EQ(quietRefusal.err, absurd.err);
    ProcessResult json = run({"probe", "--json", "wide.bmp"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.err, "");
    EXPECT_EQ(json.out,
              "{\n  \"command\": \"probe\",\n  \"source\": \"wide.bmp\",\n  \"verdict\": \"accepted\",\n"
              "  \"found\": {\n    \"exists\": true,\n    \"opened\": true,\n    \"fileSize\": 1536054,\n"
              "    \"bitmap\": true,\n    \"width\": 800,\n    \"height\": 640,\n    \"bitsPerPixel\": 24,\n"
              "    \"compression\": 0,\n    \"compressionName\": \"none\",\n    \"headerSize\": 40,\n"
              "    \"rowsStored\": \"bottom-up\",\n    \"pixelDataOffset\": 54,\n    \"sizeNeeded\": 1536054,\n"
              "    \"pixelData\": \"complete\"\n  },\n"
              "  \"grid\": {\n    \"width\": 800,\n    \"height\": 640,\n    \"columns\": 5,\n    \"rows\": 4,\n    \"tiles\": 20\n  },\n"
              "  \"hints\": [],\n  \"messages\": [],\n  \"exitCode\": 0\n}\n");
    ProcessResult jsonRefusal = run({"probe", "--json", "nothing.bmp"});
    EXPECT_EQ(jsonRefusal.exitCode, 3);
    EXPECT_EQ(jsonRefusal.err, "Warning: Error : Cannot find bmp-file\n");
    EXPECT_NE(jsonRefusal.out.find("  \"grid\": null,\n  \"hints\": [],\n  \"messages\": [\n"
                                   "    \"Warning: Error : Cannot find bmp-file\"\n  ],\n  \"exitCode\": 3\n}\n"),
              std::string::npos)
        << jsonRefusal.out;
    EXPECT_EQ(tree(), (std::set<std::string>{"huge.bmp", "wide.bmp"}));
}

TEST_F(TessellaCommand, FailingToWriteStandardOutputIsAnError) {
    if (runsUnderRunner()) GTEST_SKIP() << "standard output is redirected by the native binary's test only";
    writeBitmap("map.bmp");
    std::vector<std::string> argv = {"sh", "-c", "exec \"$0\" probe map.bmp > /dev/full", commandPrefix().back()};
    ProcessResult result = runProcess(argv, folder_.path().string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "tessella: error: cannot write to standard output\n");
}

TEST_F(TessellaCommand, HelpAndVersion) {
    ProcessResult help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    for (const char* part : {"tessella convert BITMAP --name NAME --folder FOLDER", "tessella probe BITMAP",
                             "Exit codes:", "  4  settings refused", "--top-left 35:40:10,139:45:30"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;

    ProcessResult convertHelp = run({"convert", "--help"});
    EXPECT_EQ(convertHelp.exitCode, 0);
    EXPECT_NE(convertHelp.out.find("--output-dir DIR"), std::string::npos);

    ProcessResult version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("tessella ", 0), 0u) << version.out;
}

// import where no program with GDAL is at hand: a tessella with no tessella-georef beside
// it. It says so before anything else, and its help is there all the same. Auto extents
// need no GDAL: such a tessella works them out itself. (The Windows build imports in the
// same program: tests/georef/WindowsImportEndToEndTest.cpp.)
TEST_F(TessellaCommand, WhatNeedsGdalSaysWhereItRunsAndItsHelpIsStillThere) {
    if (runsUnderRunner()) GTEST_SKIP() << "the Windows build imports in the same program";
    std::vector<std::string> argv = commandPrefix();
    // A copy of tessella alone in a folder finds no tessella-georef beside it.
    fs::create_directories(file("alone"));
    fs::copy_file(argv.back(), file("alone/tessella"));
    argv.back() = file("alone/tessella");
    const std::string reason = "tessella-georef, which is not installed beside this tessella";
    const int exitCode = 1;
    writeBitmap("map.bmp");
    std::vector<std::string> autoConvert = {"convert", "map.bmp"};
    std::vector<std::string> settings = sampleSettings();
    autoConvert.insert(autoConvert.end(), settings.begin(), settings.end());
    autoConvert[11] = "auto";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"import", "--help"}, ""},
        {{"help", "import"}, ""},
        {{"import", "map.tif", "--name", "A", "--folder", "a"}, "tessella: error: import needs " + reason},
        {{"import"}, "tessella: error: import needs " + reason},
        {autoConvert, ""},
    };
    for (const auto& [args, error] : cases) {
        SCOPED_TRACE(args.front() + " ... " + args.back());
        std::vector<std::string> line = argv;
        line.insert(line.end(), args.begin(), args.end());
        ProcessResult result = runProcess(line, folder_.path().string());
        if (args == autoConvert) {
            EXPECT_EQ(result.exitCode, 0) << result.err;
            EXPECT_EQ(result.err.rfind("tessella: extents worked out on WGS84: --east-west ", 0), 0u) << result.err;
            EXPECT_TRUE(fs::exists(file("area01.vlm")));
            continue;
        }
        if (error.empty()) {
            EXPECT_EQ(result.exitCode, 0) << result.err;
            EXPECT_EQ(result.out.rfind("Usage: tessella import SOURCE", 0), 0u) << result.out;
            EXPECT_EQ(result.err, "");
            continue;
        }
        EXPECT_EQ(result.exitCode, exitCode);
        EXPECT_EQ(result.err.rfind(error, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(fs::exists(file("area01.vlm")));
    }
}

// convert's auto extents for corners across the range the format takes, and past it.
// Messages hold {EW} and {NS}: the extents GeographicLib's own tools give for the corners
// (in degrees here), rounded to whole metres. The Windows build must say exactly what the
// Linux build says.
struct AutoExtentsCase {
    std::string topLeft, bottomRight;
    double north, west, south, east;
    std::string eastWest = "auto", northSouth = "auto";
    int exitCode = 0;
    std::string err = "tessella: extents worked out on WGS84: --east-west {EW} --north-south {NS}\n";
};

std::string withExtents(std::string text, const AutoExtentsCase& c) {
    const std::string ew = std::to_string(std::llround(rhumbMetres((c.north + c.south) / 2, c.west, c.east)));
    const std::string ns = std::to_string(std::llround(meridianMetres(c.north, c.south)));
    for (const auto& [mark, value] : {std::pair{"{EW}", ew}, std::pair{"{NS}", ns}})
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
            text.replace(at, std::strlen(mark), value);
    return text;
}

TEST_F(TessellaCommand, AutoExtentsAreGeographicLibsMetresInEveryBuild) {
    const std::string refused = "tessella: error: auto extents need a top-left corner north and west of the "
                                "bottom-right one, within 90 degrees of latitude and 180 of longitude\n";
    const std::string outside = " m is outside 1 to 9999999 m\n";
    const AutoExtentsCase cases[] = {
        // the README's sample map, and decimal degrees
        {"47:48:45,120:56:15", "30:56:15,146:15:00", 47.8125, 120.9375, 30.9375, 146.25},
        {"35.66944,139.7563", "35.5,140", 35.66944, 139.7563, 35.5, 140},
        // minutes past 59 are taken as the dialog takes them, with a warning
        {"35:75:00,139:00:00", "35:00:00,140:00:00", 36.25, 139, 35, 140, "auto", "auto", 0,
         "tessella: warning: --top-left: latitude \"35:75:00\" has 75 minutes: it amounts to 36:15:00 (36.250000 degrees)\n"
         "tessella: extents worked out on WGS84: --east-west {EW} --north-south {NS}\n"},
        // one extent typed, the other worked out
        {"35:40:00,139:45:00", "35:39:00,139:46:00", 35 + 40 / 60.0, 139.75, 35.65, 139 + 46 / 60.0, "auto", "926", 0,
         "tessella: extents worked out on WGS84: --east-west {EW}\n"},
        {"35:40:00,139:45:00", "35:39:00,139:46:00", 35 + 40 / 60.0, 139.75, 35.65, 139 + 46 / 60.0, "1852", "auto",
         0, "tessella: extents worked out on WGS84: --north-south {NS}\n"},
        // the widest the format takes: down to the equator, up to 180 degrees east
        {"45:00:00,100:00:00", "0:00:00,180:00:00", 45, 100, 0, 180},
        // past the format's limits: under a metre wide at the pole, longer than 9999999 m
        {"90:00:00,10:00:00", "89:59:00,10:01:00", 90, 10, 90 - 1 / 60.0, 10 + 1 / 60.0, "auto", "auto", 2,
         "tessella: error: the auto extent of {EW}" + outside},
        {"60:00:00,10:00:00", "0:00:00,180:00:00", 60, 10, 0, 180, "auto", "auto", 2,
         "tessella: error: the auto extent of {EW}" + outside},
        {"90:00:00,100:00:00", "0:00:00,100:01:00", 90, 100, 0, 100 + 1 / 60.0, "auto", "auto", 2,
         "tessella: error: the auto extent of {NS}" + outside},
        // corners the extents cannot be worked out for
        {"35:00:00,139:00:00", "36:00:00,140:00:00", 35, 139, 36, 140, "auto", "auto", 2, refused},
        {"36:00:00,141:00:00", "35:00:00,140:00:00", 36, 141, 35, 140, "auto", "auto", 2, refused},
        {"35:00:00,139:00:00", "35:00:00,140:00:00", 35, 139, 35, 140, "auto", "auto", 2, refused},
        {"95:00:00,139:00:00", "35:00:00,140:00:00", 95, 139, 35, 140, "auto", "auto", 2,
         "tessella: warning: --top-left: latitude \"95:00:00\" lies past 90 degrees: it amounts to 95:00:00 "
         "(95.000000 degrees)\n" + refused},
        {"36:00:00,179:00:00", "35:00:00,185:00:00", 36, 179, 35, 185, "auto", "auto", 2,
         "tessella: warning: --bottom-right: longitude \"185:00:00\" lies past 180 degrees: it amounts to "
         "185:00:00 (185.000000 degrees)\n" + refused},
    };
    writeBitmap("map.bmp");
    for (const AutoExtentsCase& c : cases) {
        SCOPED_TRACE(c.topLeft + " " + c.bottomRight + " " + c.eastWest + " " + c.northSouth);
        const std::vector<std::string> args = {"convert", "map.bmp", "--name", "A", "--folder", "a",
                                               "--top-left", c.topLeft, "--bottom-right", c.bottomRight,
                                               "--east-west", c.eastWest, "--north-south", c.northSouth,
                                               "--dry-run"};
        ProcessResult result = run(args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(result.err, withExtents(c.err, c));
        if (runsUnderRunner()) {
            std::vector<std::string> native = {TESSELLA_CLI_DEFAULT};
            native.insert(native.end(), args.begin(), args.end());
            ProcessResult linux = runProcess(native, folder_.path().string());
            EXPECT_EQ(result.exitCode, linux.exitCode);
            EXPECT_EQ(result.err, linux.err);
        }
    }
    EXPECT_EQ(tree(), std::set<std::string>{"map.bmp"});
}

TEST_F(TessellaCommand, ProgressLineOnATerminal) {
    if (runsUnderRunner()) GTEST_SKIP() << "a terminal is checked with the native binary only";
    writeBitmap("map.bmp");
    std::vector<std::string> argv = commandPrefix();
    argv.insert(argv.end(), {"convert", "map.bmp"});
    std::vector<std::string> settings = sampleSettings();
    argv.insert(argv.end(), settings.begin(), settings.end());

    ProcessResult result = runProcessOnTerminal(argv, folder_.path().string());

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("\rWriting tiles: 1 of 9 (11%)"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Writing tiles: 9 of 9 (100%)"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("SUCCESS : File convert finish."), std::string::npos) << result.err;
}

}  // namespace

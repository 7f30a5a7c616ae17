// One table of map pictures, each imported by the native tessella (GDAL) and by the
// Windows command line under Wine (the Windows Imaging Component): the same exit codes,
// the same report, and, where the format is lossless, the same map to the byte. JPEG and
// WIC's scaler decode or resample differently: how many palette indices differ is told.
// TESSELLA_WINDOWS_RUN is the command that runs the Windows tessella (a runner, then the
// program).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "GeorefSupport.h"
#include "ProcessRunner.h"
#include "TempFolder.h"
#include "TileFormat.h"

namespace fs = std::filesystem;

namespace {

#ifndef TESSELLA_CLI_DEFAULT
#define TESSELLA_CLI_DEFAULT "tessella"
#endif

std::vector<std::string> windowsCommand() { return commandFromEnvironment("TESSELLA_WINDOWS_RUN", ""); }

std::map<std::string, std::string> filesUnder(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), folder).generic_string()] =
            std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    return files;
}

// 500 x 330 pixels of one second of arc from 35:42 N, 139:42 E: padded east and south.
const std::vector<double> kTokyo = {139.7, 1.0 / 3600, 0, 35.7, 0, -1.0 / 3600};
const std::vector<std::string> kTypedCorners = {"--top-left", "35:42:00,139:42:00", "--bottom-right",
                                                "35:36:30,139:50:20"};
const std::string kWgs84Prj =
    "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],PRIMEM[\"Greenwich\",0],"
    "UNIT[\"degree\",0.0174532925199433],AUTHORITY[\"EPSG\",\"4326\"]]";

int deepSample(int x, int y, int band) { return (x * 523 + y * 97 + band * 4000) % 65536; }

// 40 colours, some see-through, one fully.
std::vector<std::vector<short>> seeThroughPalette() {
    std::vector<std::vector<short>> palette;
    for (short i = 0; i < 40; ++i)
        palette.push_back({static_cast<short>(i * 6), static_cast<short>(255 - i * 6), static_cast<short>(i * 37 % 256),
                           static_cast<short>(i == 3 ? 0 : i % 4 == 0 ? 128 : 255)});
    return palette;
}

std::vector<std::vector<short>> opaquePalette() {
    std::vector<std::vector<short>> palette = seeThroughPalette();
    for (auto& entry : palette) entry[3] = 255;
    return palette;
}

RasterRecipe recipe(const std::string& driver, int bands) {
    RasterRecipe r;
    r.driver = driver;
    r.width = 500;
    r.height = 330;
    r.bands = bands;
    return r;
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The raster at folder/file, and whatever a row puts beside it.
using Maker = void (*)(const fs::path& folder, const std::string& file);

template <int Bands>
void plain(const fs::path& folder, const std::string& file) {
    const std::string ext = fs::path(file).extension().string();
    const std::string driver = ext == ".png" ? "PNG" : ext == ".tif" ? "GTiff" : ext == ".bmp" ? "BMP"
                               : ext == ".gif" ? "GIF" : "JPEG";
    makeRaster((folder / file).string(), recipe(driver, Bands));
}

void deepPng(const fs::path& folder, const std::string& file) {
    RasterRecipe r = recipe("PNG", file.find("grey") != std::string::npos ? 1 : 3);
    r.uint16 = true;
    makeRaster((folder / file).string(), r, deepSample);
}

void seeThroughPalettePng(const fs::path& folder, const std::string& file) {
    RasterRecipe r = recipe("PNG", 1);
    r.palette = seeThroughPalette();
    makeRaster((folder / file).string(), r);
}

void opaquePaletteOf(const fs::path& folder, const std::string& file) {
    const std::string ext = fs::path(file).extension().string();
    RasterRecipe r = recipe(ext == ".gif" ? "GIF" : ext == ".bmp" ? "BMP" : "GTiff", 1);
    r.palette = opaquePalette();
    makeRaster((folder / file).string(), r);
}

void geoTiff(const fs::path& folder, const std::string& file) {
    RasterRecipe r = recipe("GTiff", 3);
    r.geoTransform = kTokyo;
    r.srs = "EPSG:4326";
    makeRaster((folder / file).string(), r);
}

void projectedGeoTiff(const fs::path& folder, const std::string& file) {
    RasterRecipe r = recipe("GTiff", 3);
    r.geoTransform = {388000, 30, 0, 3951000, 0, -30};
    r.srs = "EPSG:32654";
    makeRaster((folder / file).string(), r);
}

// The bundled sample, a scaled-down photograph of the earth, as a JPEG (quality 75), and
// as a PNG of 1000 x 660 pixels for --fit scale to bring back to 960 x 640.
const std::vector<std::string> kSampleCorners = {"--top-left", "47:48:45,120:56:15", "--bottom-right",
                                                 "30:56:15,146:15:00"};

void sampleJpeg(const fs::path& folder, const std::string& file) {
    ASSERT_EQ(0, run("gdal_translate -q -of JPEG '" TESSELLA_SAMPLE_BMP "' '" + (folder / file).string() + "'"));
}

void sampleLargerPng(const fs::path& folder, const std::string& file) {
    ASSERT_EQ(0, run("gdal_translate -q -of PNG -outsize 1000 660 '" TESSELLA_SAMPLE_BMP "' '" +
                     (folder / file).string() + "'"));
    fs::remove(folder / (file + ".aux.xml"));
}

// A PNG with a world file (.pgw) and nothing else that places it.
void worldFilePng(const fs::path& folder, const std::string& file) {
    makeRaster((folder / file).string(), recipe("PNG", 3));
    const double* t = kTokyo.data();
    std::ostringstream text;
    text.precision(17);
    // x step, rotation, rotation, y step, then the centre of the top-left pixel.
    text << t[1] << "\n0\n0\n" << t[5] << "\n" << t[0] + t[1] / 2 << "\n" << t[3] + t[5] / 2 << "\n";
    writeText(folder / fs::path(file).replace_extension(".pgw"), text.str());
}

void worldFilePngWithPrj(const fs::path& folder, const std::string& file) {
    worldFilePng(folder, file);
    writeText(folder / fs::path(file).replace_extension(".prj"), kWgs84Prj);
}

// How the two runs must agree.
enum class Agreement {
    SameBytes,       // exit codes, report and every byte of the map
    CloseIndices,    // exit codes and report; the map's palette indices mostly (lossy)
    SameRefusal,     // the same exit code, one line on each, no map
    WindowsRefuses,  // the Linux build imports it; the Windows build refuses in one line naming Linux
};

struct Row {
    std::string name;
    std::string file;
    Maker make;
    std::vector<std::string> args;  // after import FILE --name --folder --output-dir
    Agreement agreement;
    int windowsExit = 0;  // WindowsRefuses: the Windows build's exit code
};

std::vector<std::string> withFitScale(std::vector<std::string> args) {
    args.insert(args.end(), {"--fit", "scale"});
    return args;
}

struct Imported {
    ProcessResult result;
    fs::path output;
};

class WindowsImport : public ::testing::Test {
protected:
    void SetUp() override {
        if (windowsCommand().empty()) GTEST_SKIP() << "TESSELLA_WINDOWS_RUN names no Windows tessella";
    }

    // The row's picture made once, copied into a folder for each build, and imported there:
    // as a map in out/, or as a bitmap only when the row asks for --bmp.
    std::pair<Imported, Imported> importBoth(const Row& row) {
        const fs::path made = folder_.path() / row.name / "made";
        fs::create_directories(made);
        row.make(made, row.file);
        std::vector<std::string> args = {"import", row.file};
        if (std::find(row.args.begin(), row.args.end(), "--bmp") == row.args.end())
            args.insert(args.end(), {"--name", "MAP", "--folder", "map01", "--output-dir", "out"});
        args.insert(args.end(), row.args.begin(), row.args.end());
        auto runIn = [&](const std::string& build, std::vector<std::string> command) {
            const fs::path here = folder_.path() / row.name / build;
            fs::create_directories(here);
            for (const auto& entry : fs::directory_iterator(made)) fs::copy(entry.path(), here / entry.path().filename());
            command.insert(command.end(), args.begin(), args.end());
            return Imported{runProcess(command, here.string()), here / "out"};
        };
        return {runIn("native", {TESSELLA_CLI_DEFAULT}), runIn("windows", windowsCommand())};
    }

    TempFolder folder_;
};

// The report as both builds print it: the closing line names where the map went in the
// system's own words (a drive letter and backslashes on Windows), so only what comes
// before " in " counts, its separators made alike.
std::string comparableReport(const std::string& out) {
    std::istringstream lines(out);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Wrote ", 0) == 0) {
            line = line.substr(0, line.rfind(" in "));
            std::replace(line.begin(), line.end(), '\\', '/');
        }
        kept += line + "\n";
    }
    return kept;
}

void expectSameReport(const Imported& native, const Imported& windows) {
    ASSERT_EQ(0, native.result.exitCode) << native.result.err;
    ASSERT_EQ(0, windows.result.exitCode) << windows.result.err;
    EXPECT_EQ(comparableReport(native.result.out), comparableReport(windows.result.out));
    EXPECT_EQ(native.result.err, windows.result.err);
}

void expectSameBytes(const Imported& native, const Imported& windows) {
    std::map<std::string, std::string> want = filesUnder(native.output), got = filesUnder(windows.output);
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(want.size(), got.size());
    for (const auto& [name, bytes] : want) {
        auto it = got.find(name);
        ASSERT_NE(got.end(), it) << name;
        EXPECT_TRUE(bytes == it->second) << name << " differs";
    }
}

// The share of the maps' palette indices (tile pixels, headers left out) that differ.
double differingIndexShare(const Imported& native, const Imported& windows) {
    std::map<std::string, std::string> want = filesUnder(native.output), got = filesUnder(windows.output);
    size_t differing = 0, total = 0;
    for (const auto& [name, bytes] : want) {
        if (bytes.size() != kTileFileSize) continue;
        const std::string& other = got[name];
        EXPECT_EQ(bytes.size(), other.size()) << name;
        if (other.size() != bytes.size()) continue;
        EXPECT_EQ(bytes.substr(0, kTileHeaderSize), other.substr(0, kTileHeaderSize)) << name;
        for (size_t i = kTileHeaderSize; i < bytes.size(); ++i, ++total) differing += bytes[i] != other[i];
    }
    EXPECT_GT(total, 0u);
    return total == 0 ? 1.0 : static_cast<double>(differing) / total;
}

void expectOneLineRefusal(const Imported& run, int exitCode, const std::string& file) {
    EXPECT_EQ(exitCode, run.result.exitCode) << run.result.err;
    EXPECT_EQ(run.result.err.rfind("tessella: error: " + file + ": ", 0), 0u) << run.result.err;
    EXPECT_EQ(std::count(run.result.err.begin(), run.result.err.end(), '\n'), 1) << run.result.err;
    EXPECT_TRUE(filesUnder(run.output).empty());
}

TEST_F(WindowsImport, EachPictureGivesTheSameMapUnderBothBuilds) {
    const Row rows[] = {
        {"rgb_png", "map.png", plain<3>, kTypedCorners, Agreement::SameBytes},
        {"grey_png", "map.png", plain<1>, kTypedCorners, Agreement::SameBytes},
        {"grey_alpha_png", "map.png", plain<2>, kTypedCorners, Agreement::SameBytes},
        {"rgba_png", "map.png", plain<4>, kTypedCorners, Agreement::SameBytes},
        {"palette_png", "map.png", seeThroughPalettePng, kTypedCorners, Agreement::SameBytes},
        {"rgb16_png", "map.png", deepPng, kTypedCorners, Agreement::SameBytes},
        {"grey16_png", "grey.png", deepPng, kTypedCorners, Agreement::SameBytes},
        {"rgb_tif", "map.tif", plain<3>, kTypedCorners, Agreement::SameBytes},
        {"rgba_tif", "map.tif", plain<4>, kTypedCorners, Agreement::SameBytes},
        {"palette_tif", "map.tif", opaquePaletteOf, kTypedCorners, Agreement::SameBytes},
        {"rgb_bmp", "map.bmp", plain<3>, kTypedCorners, Agreement::SameBytes},
        {"palette_bmp", "map.bmp", opaquePaletteOf, kTypedCorners, Agreement::SameBytes},
        {"palette_gif", "map.gif", opaquePaletteOf, kTypedCorners, Agreement::SameBytes},
        {"geotiff_4326", "map.tif", geoTiff, {}, Agreement::SameBytes},
        {"geotiff_crop", "map.tif", geoTiff, {"--fit", "crop"}, Agreement::SameRefusal},
        {"world_file_prj", "map.png", worldFilePngWithPrj, {}, Agreement::SameBytes},
        {"world_file_srs", "map.png", worldFilePng, {"--srs", "EPSG:4326"}, Agreement::SameBytes},
        {"world_file_jgd2011", "map.png", worldFilePng, {"--srs", "EPSG:6668"}, Agreement::SameBytes},
        {"world_file_no_system", "map.png", worldFilePng, {}, Agreement::SameRefusal},
        {"typed_extents", "map.png", plain<3>,
         {"--top-left", "35:42:00,139:42:00", "--bottom-right", "35:36:30,139:50:20", "--east-west", "12000",
          "--north-south", "10000"},
         Agreement::SameBytes},
        {"no_georeferencing", "map.png", plain<3>, {}, Agreement::SameRefusal},
        {"missing", "map.png", [](const fs::path&, const std::string&) {}, kTypedCorners, Agreement::SameRefusal},
        {"jpeg", "map.jpg", sampleJpeg, kSampleCorners, Agreement::CloseIndices},
        {"scaled", "map.png", sampleLargerPng, withFitScale(kSampleCorners), Agreement::CloseIndices},
        {"projected", "map.tif", projectedGeoTiff, {}, Agreement::WindowsRefuses, 4},
        {"window", "map.tif", geoTiff, {"--window", "35.7,139.7,35.65,139.75"}, Agreement::WindowsRefuses, 2},
        {"chosen size", "map.tif", geoTiff, {"--size", "640x480"}, Agreement::WindowsRefuses, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto [native, windows] = importBoth(row);
        switch (row.agreement) {
            case Agreement::SameBytes:
                expectSameReport(native, windows);
                expectSameBytes(native, windows);
                break;
            case Agreement::CloseIndices: {
                expectSameReport(native, windows);
                const double share = differingIndexShare(native, windows);
                std::printf("%s: %.2f %% of the palette indices differ\n", row.name.c_str(), 100 * share);
                RecordProperty(row.name + "_differing_indices_percent", std::to_string(100 * share));
                EXPECT_LT(share, 0.10);
                break;
            }
            case Agreement::SameRefusal:
                EXPECT_NE(0, native.result.exitCode);
                expectOneLineRefusal(native, native.result.exitCode, row.file);
                expectOneLineRefusal(windows, native.result.exitCode, row.file);
                break;
            case Agreement::WindowsRefuses:
                EXPECT_EQ(0, native.result.exitCode) << native.result.err;
                EXPECT_EQ(row.windowsExit, windows.result.exitCode) << windows.result.err;
                EXPECT_EQ(std::count(windows.result.err.begin(), windows.result.err.end(), '\n'), 1)
                    << windows.result.err;
                EXPECT_NE(windows.result.err.find("Linux"), std::string::npos) << windows.result.err;
                EXPECT_TRUE(filesUnder(windows.output).empty());
                break;
        }
    }
}

// The prepared bitmap of --bmp and the settings printed beside it are the same too.
TEST_F(WindowsImport, ThePreparedBitmapIsTheSameUnderBothBuilds) {
    const Row rows[] = {
        {"bmp_palette_png", "map.png", seeThroughPalettePng,
         {"--bmp", "out.bmp", "--top-left", "35:42:00,139:42:00", "--bottom-right", "35:36:30,139:50:20"},
         Agreement::SameBytes},
        {"bmp_geotiff", "map.tif", geoTiff, {"--bmp", "out.bmp"}, Agreement::SameBytes},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto [native, windows] = importBoth(row);
        expectSameReport(native, windows);
        const fs::path nativeBmp = native.output.parent_path() / "out.bmp";
        const fs::path windowsBmp = windows.output.parent_path() / "out.bmp";
        std::ifstream a(nativeBmp, std::ios::binary), b(windowsBmp, std::ios::binary);
        const std::string want((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
        const std::string got((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(want.empty());
        EXPECT_TRUE(want == got) << "the bitmaps differ";
    }
}

}  // namespace

// probe and preview of any picture GDAL reads, end to end through the real binary: probe
// says what import says, with its exit code; preview draws the map import would make,
// placed where GDAL reads the source; bitmaps stay with the everyday tessella.

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "GeorefSupport.h"
#include "ProcessRunner.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

#ifndef TESSELLA_CLI_DEFAULT
#define TESSELLA_CLI_DEFAULT "tessella"
#endif

ProcessResult tessellaRun(const std::string& program, std::vector<std::string> args, const std::string& folder) {
    args.insert(args.begin(), program);
    return runProcess(args, folder);
}

ProcessResult tessella(std::vector<std::string> args, const std::string& folder) {
    return tessellaRun(TESSELLA_CLI_DEFAULT, std::move(args), folder);
}

std::vector<std::string> joined(std::vector<std::string> first, const std::vector<std::string>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

const std::vector<double> kTokyo = {139.7, 1.0 / 3600, 0, 35.7, 0, -1.0 / 3600};

RasterRecipe recipeOf(const std::string& driver, int width, int height, std::vector<double> geoTransform,
                      const std::string& srs) {
    RasterRecipe recipe;
    recipe.driver = driver;
    recipe.width = width;
    recipe.height = height;
    recipe.geoTransform = std::move(geoTransform);
    recipe.srs = srs;
    return recipe;
}

struct PictureCase {
    const char* what;
    const char* file;
    RasterRecipe recipe;
    std::vector<std::string> options;
    int exitCode;
};

std::vector<PictureCase> pictureCases() {
    RasterRecipe floats = recipeOf("GTiff", 480, 480, kTokyo, "EPSG:4326");
    floats.float32 = true;
    return {
        {"a GeoTIFF on WGS84, padded", "a.tif", recipeOf("GTiff", 500, 400, kTokyo, "EPSG:4326"), {}, 0},
        {"the same, cropped", "a.tif", recipeOf("GTiff", 500, 500, kTokyo, "EPSG:4326"), {"--fit", "crop"}, 0},
        {"the same, scaled", "a.tif", recipeOf("GTiff", 500, 500, kTokyo, "EPSG:4326"),
         {"--fit", "scale", "--resample", "bilinear"}, 0},
        {"a window of it", "a.tif", recipeOf("GTiff", 900, 900, kTokyo, "EPSG:4326"),
         {"--window", "35.69,139.705,35.55,139.88"}, 0},
        {"a GeoTIFF in UTM, warped", "u.tif",
         recipeOf("GTiff", 500, 400, {380000, 30, 0, 3950000, 0, -30}, "EPSG:32654"), {}, 0},
        {"a PNG without georeferencing", "p.png", recipeOf("PNG", 480, 480, {}, ""), {}, 4},
        {"the same PNG, its corners typed", "p.png", recipeOf("PNG", 480, 480, {}, ""),
         {"--top-left", "35:42:00,139:42:00", "--bottom-right", "35:34:00,139:50:00"}, 0},
        {"corners typed for a picture that has its own", "a.tif", recipeOf("GTiff", 500, 400, kTokyo, "EPSG:4326"),
         {"--top-left", "35:42:00,139:42:00", "--bottom-right", "35:34:00,139:50:00"}, 2},
        {"a crop that leaves too little", "a.tif", recipeOf("GTiff", 470, 600, kTokyo, "EPSG:4326"),
         {"--fit", "crop"}, 4},
        {"floating-point samples", "f.tif", floats, {}, 3},
        {"floating-point samples, stretched", "f.tif", floats, {"--stretch", "0,255"}, 0},
        {"a bitmap with import's options", "b.bmp", recipeOf("BMP", 480, 480, {}, ""),
         {"--top-left", "35:42:00,139:42:00", "--bottom-right", "35:34:00,139:50:00", "--fit", "crop"}, 0},
    };
}

TEST(PictureProbe, SaysWhatImportSaysWithItsExitCode) {
    for (const PictureCase& c : pictureCases()) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        makeRaster(folder.file(c.file), c.recipe);
        const std::string bmp = fs::path(c.file).replace_extension(".bmp").string();
        ProcessResult probed = tessella(joined({"probe", c.file}, c.options), folder.path().string());
        ProcessResult imported =
            tessella(joined({"import", c.file, "--bmp", bmp, "--dry-run"}, c.options), folder.path().string());
        EXPECT_EQ(probed.exitCode, c.exitCode) << probed.err;
        EXPECT_EQ(probed.exitCode, imported.exitCode);
        EXPECT_EQ(probed.out, imported.out);
        EXPECT_EQ(probed.err, imported.err);
        const std::string& said = c.exitCode == 0 ? probed.out : probed.err;
        EXPECT_NE(said.find(c.exitCode == 0 ? "Map picture: " : "tessella: error: "), std::string::npos) << said;
    }
}

// The PNG's geotransform as GDAL reads it from the world file beside it.
std::vector<double> geoTransformOf(const std::string& path) {
    GDALAllRegister();
    GDALDatasetUniquePtr opened(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!opened) return {};
    std::vector<double> gt(6);
    if (opened->GetGeoTransform(gt.data()) != CE_None) return {};
    const OGRSpatialReference* srs = opened->GetSpatialRef();
    if (srs == nullptr || std::string(srs->GetAuthorityCode(nullptr)) != "4326") return {};
    return gt;
}

TEST(PicturePreview, DrawsWhatProbeAcceptsPlacedWhereTheSourceLies) {
    for (const PictureCase& c : pictureCases()) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        makeRaster(folder.file(c.file), c.recipe);
        ProcessResult previewed =
            tessella(joined({"preview", c.file, "-o", "x.png", "--scale", "2"}, c.options), folder.path().string());
        EXPECT_EQ(previewed.exitCode, c.exitCode) << previewed.err;
        const bool written = c.exitCode == 0;
        for (const char* name : {"x.png", "x.pgw", "x.png.aux.xml"})
            EXPECT_EQ(fs::exists(folder.file(name)), written) << name;
        if (!written) continue;
        EXPECT_NE(previewed.out.find("placed on WGS84 by x.pgw and x.png.aux.xml"), std::string::npos);
        std::vector<double> gt = geoTransformOf(folder.file("x.png"));
        ASSERT_EQ(gt.size(), 6u);
        // An unwarped picture on WGS84, padded: its own top-left corner and pixel, by two.
        if (c.options.empty() && c.recipe.srs == "EPSG:4326" && !c.recipe.float32) {
            EXPECT_NEAR(gt[0], c.recipe.geoTransform[0], 1e-7);
            EXPECT_NEAR(gt[3], c.recipe.geoTransform[3], 1e-7);
            EXPECT_NEAR(gt[1], 2 * c.recipe.geoTransform[1], 1e-9);
            EXPECT_NEAR(gt[5], 2 * c.recipe.geoTransform[5], 1e-9);
        }
    }
}

TEST(PictureProbe, TheEverydayTessellaKeepsBitmapsAndHandsOverTheRest) {
    TempFolder folder;
    makeRaster(folder.file("b.bmp"), recipeOf("BMP", 480, 480, {}, ""));
    makeRaster(folder.file("a.tif"), recipeOf("GTiff", 500, 400, kTokyo, "EPSG:4326"));
    // A damaged bitmap is the bitmap reader's to refuse, by its name.
    std::ofstream(folder.file("text.bmp")) << "hello\n";
    // A tessella alone, with no tessella-georef beside it to hand over to.
    const std::string alone = folder.file("tessella");
    fs::copy_file(TESSELLA_CLI_DEFAULT, alone);
    struct Case {
        std::vector<std::string> args;
        bool handedOver;
        int exitCode;  // of the built tessella
    };
    // A bitmap with import's options is read as import reads it: with no corners of its
    // own, refused as import refuses it.
    const Case cases[] = {
        {{"probe", "b.bmp"}, false, 0},
        {{"probe", "b.bmp", "--json"}, false, 0},
        {{"preview", "b.bmp", "-o", "b.png"}, false, 0},
        {{"probe", "text.bmp"}, false, 3},
        {{"probe", "missing.tif"}, false, 3},
        {{"probe", "a.tif"}, true, 0},
        {{"preview", "a.tif", "-o", "a.png"}, true, 0},
        {{"probe", "b.bmp", "--fit", "crop"}, true, 4},
        {{"preview", "b.bmp", "-o", "b.png", "--resample", "cubic"}, true, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1] + (c.args.size() > 2 ? " " + c.args.back() : ""));
        ProcessResult here = tessellaRun(alone, c.args, folder.path().string());
        ProcessResult built = tessella(c.args, folder.path().string());
        EXPECT_EQ(built.exitCode, c.exitCode) << built.err;
        if (c.handedOver) {
            EXPECT_EQ(here.exitCode, 1);
            EXPECT_NE(here.err.find("needs tessella-georef, which is not installed"), std::string::npos) << here.err;
        } else {
            EXPECT_EQ(here.exitCode, c.exitCode) << here.err;
            EXPECT_EQ(here.out, built.out);
            EXPECT_EQ(here.err, built.err);
        }
    }
}

}  // namespace

namespace {

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(PicturePreview, DithersAnyPictureAsImportWouldStoreIt) {
    TempFolder folder;
    makeRaster(folder.file("a.tif"), recipeOf("GTiff", 500, 400, kTokyo, "EPSG:4326"));
    ProcessResult plain = tessella({"preview", "a.tif", "-o", "plain.png"}, folder.path().string());
    ProcessResult dithered = tessella({"preview", "a.tif", "-o", "dithered.png", "--dither"}, folder.path().string());
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    ASSERT_EQ(dithered.exitCode, 0) << dithered.err;
    EXPECT_TRUE(fs::exists(folder.file("dithered.pgw")));
    EXPECT_NE(bytesOf(folder.file("plain.png")), bytesOf(folder.file("dithered.png")));
}

}  // namespace

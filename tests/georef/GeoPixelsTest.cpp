// The pixels a map picture becomes: palettes, grey, 16-bit and alpha to 24-bit colour,
// white padding, and the prepared bitmap against GDAL's own BMP of the same source.

#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>

#include "BitmapProbe.h"
#include "BmpOutput.h"
#include "GeorefSupport.h"
#include "PixelConversion.h"
#include "RecordingFeedback.h"
#include "TempFolder.h"

namespace {

const std::vector<double> kTokyo = {139.7, 0.0001, 0, 35.7, 0, -0.0001};

// A colour value seen through alpha over white, as a viewer composes it.
int overWhite(int c, int a, int max) { return static_cast<int>(std::lround((c * double(a) + max * double(max - a)) / max)); }

struct PixelCase {
    const char* name;
    RasterRecipe recipe;
    SampleAt sample;
    // Expected blue, green, red at (x, y); x or y past the source is padding.
    std::function<std::array<int, 3>(int x, int y)> expected;
};

RasterRecipe tiff(int width, int height, int bands, bool uint16 = false) {
    RasterRecipe s;
    s.width = width;
    s.height = height;
    s.bands = bands;
    s.uint16 = uint16;
    s.geoTransform = kTokyo;
    s.srs = "EPSG:4326";
    return s;
}

// Rows of 8-bit red, green, blue of every length up to a few steps of the wide swap, each
// read from and written to an odd offset: every pixel comes out blue, green, red, and no
// byte past the row is touched.
TEST(PixelConversion, RedAndBlueSwapEveryPixelOfRowsOfAnyLength) {
    SampleLayout rgb;
    rgb.kind = SampleLayout::Kind::Rgb;
    for (int32_t count = 0; count <= 23; ++count) {
        SCOPED_TRACE(count);
        std::vector<uint8_t> samples(3 * count + 1), bgr(3 * count + 2, 0xA5);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 7 + 1);
        convertToBgr(samples.data() + 1, count, rgb, bgr.data() + 1);
        EXPECT_EQ(0xA5, bgr.front());
        EXPECT_EQ(0xA5, bgr.back());
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t* s = samples.data() + 1 + 3 * i;
            const uint8_t* p = bgr.data() + 1 + 3 * i;
            EXPECT_TRUE(p[0] == s[2] && p[1] == s[1] && p[2] == s[0]) << "pixel " << i;
        }
    }
}

TEST(GeoSourcePixels, EveryKindOfSourceBecomes24BitColourOverWhite) {
    RasterRecipe palette = tiff(500, 480, 1);
    palette.driver = "PNG";
    palette.options = {"WORLDFILE=YES"};
    palette.srs = "";
    palette.palette = {{200, 100, 50, 255}, {0, 0, 255, 0}, {10, 200, 30, 128}};
    RasterRecipe greyAlpha = tiff(480, 480, 2);
    greyAlpha.driver = "PNG";
    greyAlpha.options = {"WORLDFILE=YES"};
    greyAlpha.srs = "";
    const PixelCase cases[] = {
        {"RGB, padded east", tiff(490, 480, 3), patternSample,
         [](int x, int y) -> std::array<int, 3> {
             if (x >= 490) return {255, 255, 255};
             return {patternSample(x, y, 3), patternSample(x, y, 2), patternSample(x, y, 1)};
         }},
        {"RGBA", tiff(480, 500, 4), patternSample,
         [](int x, int y) -> std::array<int, 3> {
             if (y >= 500) return {255, 255, 255};
             int a = patternSample(x, y, 4);
             return {overWhite(patternSample(x, y, 3), a, 255), overWhite(patternSample(x, y, 2), a, 255),
                     overWhite(patternSample(x, y, 1), a, 255)};
         }},
        {"palette with alpha", palette, [](int x, int y, int) { return (x + y) % 3; },
         [](int x, int y) -> std::array<int, 3> {
             if (x >= 500) return {255, 255, 255};
             switch ((x + y) % 3) {
                 case 0: return {50, 100, 200};
                 case 1: return {255, 255, 255};
                 default: return {overWhite(30, 128, 255), overWhite(200, 128, 255), overWhite(10, 128, 255)};
             }
         }},
        {"grey with alpha", greyAlpha, patternSample,
         [](int x, int y) -> std::array<int, 3> {
             int v = overWhite(patternSample(x, y, 1), patternSample(x, y, 2), 255);
             return {v, v, v};
         }},
        {"16-bit grey, scaled never clamped", tiff(480, 480, 1, true),
         [](int x, int y, int) { return (x * 331 + y * 977) % 65536; },
         [](int x, int y) -> std::array<int, 3> {
             int v = static_cast<int>((x * 331 + y * 977) % 65536 * 255LL / 65535);
             return {v, v, v};
         }},
        {"16-bit RGBA", tiff(480, 480, 4, true), [](int x, int y, int b) { return (x * 131 * b + y * 29) % 65536; },
         [](int x, int y) -> std::array<int, 3> {
             long long a = (x * 131 * 4 + y * 29) % 65536;
             auto channel = [&](int b) {
                 long long c = (x * 131 * b + y * 29) % 65536;
                 long long composed = std::llround((c * double(a) + 65535.0 * (65535 - a)) / 65535);
                 return static_cast<int>(composed * 255 / 65535);
             };
             return {channel(3), channel(2), channel(1)};
         }},
    };
    TempFolder folder;
    int index = 0;
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.file("p" + std::to_string(index++) + (c.recipe.driver == "PNG" ? ".png" : ".tif"));
        makeRaster(path, c.recipe, c.sample);
        ImportRequest request;
        request.sourcePath = path;
        if (c.recipe.srs.empty()) request.srs = "EPSG:4326";
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
        std::vector<uint8_t> picture = readPicture(*source);
        const int32_t width = source->plan().fitted.width, height = source->plan().fitted.height;
        int mismatches = 0;
        for (int y = 0; y < height && mismatches < 5; ++y) {
            for (int x = 0; x < width && mismatches < 5; ++x) {
                std::array<int, 3> want = c.expected(x, y);
                const uint8_t* got = &picture[(static_cast<size_t>(y) * width + x) * 3];
                if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2]) {
                    ++mismatches;
                    ADD_FAILURE() << "pixel (" << x << ", " << y << "): got " << int(got[0]) << ' ' << int(got[1])
                                  << ' ' << int(got[2]) << ", want " << want[0] << ' ' << want[1] << ' ' << want[2];
                }
            }
        }
    }
}

TEST(PreparedBitmap, HoldsTheSamePixelsAsGdalsOwnBmpAndIsAccepted) {
    TempFolder folder;
    std::string tif = folder.file("map.tif"), ours = folder.file("ours.bmp"), theirs = folder.file("theirs.bmp");
    makeRaster(tif, tiff(640, 480, 3));
    ImportRequest request;
    request.sourcePath = tif;
    std::unique_ptr<GeoSource> source;
    std::string message;
    ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    int32_t lastDone = 0, lastTotal = 0;
    BmpWriteResult result = writeBmp(ours, *source, 640, 480, [&](int32_t done, int32_t total) {
        lastDone = done;
        lastTotal = total;
    });
    ASSERT_EQ(BmpWriteStatus::Written, result.status);
    EXPECT_EQ(3, lastDone);
    EXPECT_EQ(3, lastTotal);
    EXPECT_FALSE(std::filesystem::exists(ours + ".part"));
    ASSERT_EQ(0, run("gdal_translate -q -of BMP '" + tif + "' '" + theirs + "'"));
    std::vector<uint8_t> expected = bmpPixelBytes(theirs);
    ASSERT_EQ(640u * 480 * 3, expected.size());
    EXPECT_TRUE(expected == bmpPixelBytes(ours));

    ConversionJob job;
    RecordingFeedback feedback;
    EXPECT_EQ(BitmapProbe().probeBitmap(ours.c_str(), job, feedback), BitmapProbeResult::Accepted);
    EXPECT_EQ(640, job.bitmapWidth);
    EXPECT_EQ(480, job.bitmapHeight);
}

TEST(PreparedBitmap, NeverReplacesAnExistingFile) {
    TempFolder folder;
    std::string tif = folder.file("map.tif"), out = folder.file("out.bmp");
    makeRaster(tif, tiff(480, 480, 3));
    std::ofstream(out) << "keep me";
    ImportRequest request;
    request.sourcePath = tif;
    std::unique_ptr<GeoSource> source;
    std::string message;
    ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    EXPECT_EQ(BmpWriteStatus::AlreadyExists, writeBmp(out, *source, 480, 480).status);
    EXPECT_EQ(7, std::filesystem::file_size(out));
    EXPECT_FALSE(std::filesystem::exists(out + ".part"));
}

}  // namespace

namespace {

TEST(GeoSourcePixels, WarpedFromUtmWithNearestKeepsSourceColoursAndWhiteOutside) {
    TempFolder folder;
    std::string path = folder.file("utm.tif");
    RasterRecipe utm = tiff(600, 500, 3);
    utm.geoTransform = {380000, 10, 0, 3950000, 0, -10};
    utm.srs = "EPSG:32654";
    makeRaster(path, utm);
    ImportRequest request;
    request.sourcePath = path;
    std::unique_ptr<GeoSource> source;
    std::string message;
    ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    const FittedGrid& f = source->plan().fitted;
    std::vector<uint8_t> picture = readPicture(*source);
    auto pixel = [&](int x, int y) { return &picture[(static_cast<size_t>(y) * f.width + x) * 3]; };

    OGRSpatialReference wgs84, zone54;
    wgs84.importFromEPSG(4326);
    zone54.importFromEPSG(32654);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    zone54.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toUtm(OGRCreateCoordinateTransformation(&wgs84, &zone54));
    const double lonStep = (f.east - f.west) / f.width, latStep = (f.north - f.south) / f.height;
    int checked = 0;
    for (int y = 50; y < 450; y += 37) {
        for (int x = 50; x < 550; x += 41) {
            double lon = f.west + (x + 0.5) * lonStep, lat = f.north - (y + 0.5) * latStep;
            ASSERT_TRUE(toUtm->Transform(1, &lon, &lat));
            double column = (lon - 380000) / 10, row = (3950000 - lat) / 10;
            double cf = column - std::floor(column), rf = row - std::floor(row);
            if (cf < 0.1 || cf > 0.9 || rf < 0.1 || rf > 0.9 || column < 1 || row < 1 || column > 599 || row > 499)
                continue;  // too near a source pixel's edge to tell which one nearest takes
            int sx = static_cast<int>(column), sy = static_cast<int>(row);
            const uint8_t* got = pixel(x, y);
            EXPECT_EQ(patternSample(sx, sy, 3), got[0]) << x << "," << y;
            EXPECT_EQ(patternSample(sx, sy, 2), got[1]) << x << "," << y;
            EXPECT_EQ(patternSample(sx, sy, 1), got[2]) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
    // The UTM rectangle is turned against the meridians: some corner of its bounding
    // box lies outside it, and shows white.
    int whiteCorners = 0;
    for (auto [x, y] : {std::pair{0, 0}, std::pair{f.keptWidth - 1, 0}, std::pair{0, f.keptHeight - 1},
                        std::pair{f.keptWidth - 1, f.keptHeight - 1}}) {
        const uint8_t* p = pixel(x, y);
        whiteCorners += p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
    EXPECT_GE(whiteCorners, 1);
}

// The picture of a request, or fails the test.
std::vector<uint8_t> importedPicture(const ImportRequest& request, ImportPlan* plan = nullptr) {
    std::unique_ptr<GeoSource> source;
    std::string message;
    EXPECT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    if (!source) return {};
    if (plan) *plan = source->plan();
    return readPicture(*source);
}

struct NoDataCase {
    const char* name;
    const char* srs;
    bool warped;
};

TEST(GeoSourcePixels, NoDataIsWhiteWithAndWithoutAWarp) {
    // A hole of NoData (0) in the middle of the picture; the rest never 0.
    auto holed = [](int x, int y, int band) {
        return x >= 200 && x < 280 && y >= 200 && y < 280 ? 0 : 1 + patternSample(x, y, band) % 255;
    };
    const NoDataCase cases[] = {
        {"JGD2011, taken as it is", "EPSG:6668", false},
        {"Tokyo datum, warped", "EPSG:4301", true},
    };
    TempFolder folder;
    for (const NoDataCase& c : cases) {
        SCOPED_TRACE(c.name);
        RasterRecipe recipe = tiff(480, 480, 3);
        recipe.srs = c.srs;
        recipe.noData = 0;
        std::string path = folder.file(std::string(c.warped ? "w" : "n") + ".tif");
        makeRaster(path, recipe, holed);
        ImportRequest request;
        request.sourcePath = path;
        ImportPlan plan;
        std::vector<uint8_t> picture = importedPicture(request, &plan);
        ASSERT_FALSE(picture.empty());
        EXPECT_EQ(c.warped, plan.warped);
        const FittedGrid& f = plan.fitted;
        // The hole's middle, wherever the warp put it: the same place on the ground.
        double lat = 35.7 - 240 * 0.0001, lon = 139.7 + 240 * 0.0001;
        OGRSpatialReference from, wgs84;
        from.SetFromUserInput(c.srs);
        wgs84.importFromEPSG(4326);
        from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        std::unique_ptr<OGRCoordinateTransformation> toWgs84(OGRCreateCoordinateTransformation(&from, &wgs84));
        ASSERT_TRUE(toWgs84 && toWgs84->Transform(1, &lon, &lat));
        const int x = static_cast<int>((lon - f.west) / (f.east - f.west) * f.width);
        const int y = static_cast<int>((f.north - lat) / (f.north - f.south) * f.height);
        for (auto [dx, dy] : {std::pair{0, 0}, std::pair{-20, 15}, std::pair{25, -25}}) {
            const uint8_t* p = &picture[(static_cast<size_t>(y + dy) * f.width + x + dx) * 3];
            EXPECT_EQ(255, p[0]);
            EXPECT_EQ(255, p[1]);
            EXPECT_EQ(255, p[2]);
        }
        if (!c.warped) {
            const uint8_t* p = &picture[(static_cast<size_t>(10) * f.width + 10) * 3];
            EXPECT_EQ(holed(10, 10, 3), p[0]);
            EXPECT_EQ(holed(10, 10, 1), p[2]);
        }
    }
}

// The picture gdal_translate makes of path with -scale min max 0 255 -ot Byte: band b of
// pixel i at [3 * i + b - 1] (red, green, blue).
std::vector<double> gdalScaled(const std::string& path, const TempFolder& folder, double min, double max) {
    std::string out = folder.file("scaled-" + std::filesystem::path(path).filename().string() + ".tif");
    std::string command = "gdal_translate -q -ot Byte -scale " + std::to_string(min) + " " + std::to_string(max) +
                          " 0 255 '" + path + "' '" + out + "'";
    EXPECT_EQ(0, run(command));
    std::vector<double> rgb;
    std::vector<double> bands[3] = {readBand(out, 1), readBand(out, 2), readBand(out, 3)};
    for (size_t i = 0; i < bands[0].size(); ++i)
        for (int b = 0; b < 3; ++b) rgb.push_back(bands[b][i]);
    return rgb;
}

struct StretchCase {
    const char* name;
    RasterRecipe recipe;
    SampleAt sample;
    std::optional<SampleStretch> stretch;
    ImportStatus status;
    const char* said;  // a part of the message or of a warning; null: no warning
};

TEST(GeoSourcePixels, StretchedSamplesMatchGdalTranslateScaleAndDimOnesAreNamed) {
    RasterRecipe twelveBits = tiff(480, 480, 3, true);
    RasterRecipe floats = tiff(480, 480, 3);
    floats.float32 = true;
    auto twelve = [](int x, int y, int band) { return (x * 17 + y * 5 + band * 300) % 4096; };
    auto heights = [](int x, int y, int band) { return -50 + (x * 3 + y * 2 + band) % 900; };
    const StretchCase cases[] = {
        {"12 bits in 16-bit words, no stretch", twelveBits, twelve, std::nullopt, ImportStatus::Ready,
         "--stretch 0,"},
        {"12 bits in 16-bit words, stretched", twelveBits, twelve, SampleStretch{0, 4095}, ImportStatus::Ready,
         nullptr},
        {"full 16 bits, no stretch", tiff(480, 480, 3, true),
         [](int x, int y, int b) { return (x * 331 + y * 977 + b) % 65536; }, std::nullopt, ImportStatus::Ready,
         nullptr},
        {"floats, no stretch", floats, heights, std::nullopt, ImportStatus::UnsupportedPixels, "--stretch -50,"},
        {"floats, stretched", floats, heights, SampleStretch{-50, 849}, ImportStatus::Ready, nullptr},
        {"floats, stretched past their range", floats, heights, SampleStretch{100, 400}, ImportStatus::Ready,
         nullptr},
        {"empty stretch", twelveBits, twelve, SampleStretch{10, 10}, ImportStatus::UnsupportedPixels, "empty"},
    };
    int index = 0;
    for (const StretchCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        std::string path = folder.file("s" + std::to_string(index++) + ".tif");
        makeRaster(path, c.recipe, c.sample);
        ImportRequest request;
        request.sourcePath = path;
        request.stretch = c.stretch;
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(c.status, GeoSource::open(request, source, message)) << message;
        // GDAL's min/max is computed, never stored beside the user's picture.
        EXPECT_EQ(std::vector<std::string>{std::filesystem::path(path).filename()}, filesIn(folder.path()));
        if (c.status != ImportStatus::Ready) {
            EXPECT_NE(std::string::npos, message.find(c.said)) << message;
            continue;
        }
        const std::vector<std::string>& warnings = source->plan().warnings;
        if (c.said) {
            ASSERT_EQ(1u, warnings.size());
            EXPECT_NE(std::string::npos, warnings[0].find(c.said)) << warnings[0];
        } else {
            EXPECT_TRUE(warnings.empty()) << warnings[0];
        }
        if (!c.stretch) continue;
        std::vector<uint8_t> picture = readPicture(*source);
        std::vector<double> want = gdalScaled(path, folder, c.stretch->min, c.stretch->max);
        ASSERT_EQ(want.size(), picture.size());
        int mismatches = 0;
        for (size_t i = 0; i < want.size() / 3 && mismatches < 5; ++i) {
            for (int b = 0; b < 3; ++b) {
                if (picture[3 * i + 2 - b] != want[3 * i + b]) {
                    ++mismatches;
                    ADD_FAILURE() << "pixel " << i << " band " << b + 1 << ": got " << int(picture[3 * i + 2 - b])
                                  << ", gdal_translate " << want[3 * i + b];
                }
            }
        }
    }
}

TEST(GeoSourcePixels, JpegIsTurnedUprightAsItsExifOrientationSays) {
    // Quadrants of four flat colours (red, green, blue, grey as red, green, blue values),
    // 640 x 480 as stored; where the top-left (red) and top-right (green) ones land.
    enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };
    struct {
        int orientation;
        Corner red, green;
    } const cases[] = {
        {1, TopLeft, TopRight},    {2, TopRight, TopLeft},     {3, BottomRight, BottomLeft},
        {4, BottomLeft, BottomRight}, {5, TopLeft, BottomLeft}, {6, TopRight, BottomRight},
        {7, BottomRight, TopRight}, {8, BottomLeft, TopLeft},
    };
    auto quadrants = [](int x, int y, int band) {
        static const int colours[4][3] = {{220, 20, 20}, {20, 220, 20}, {20, 20, 220}, {128, 128, 128}};
        return colours[(y >= 240) * 2 + (x >= 320)][band - 1];
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        RasterRecipe jpeg = tiff(640, 480, 3);
        jpeg.driver = "JPEG";
        jpeg.geoTransform.clear();
        jpeg.srs.clear();
        jpeg.exifOrientation = c.orientation;
        const std::string path = folder.file("o" + std::to_string(c.orientation) + ".jpg");
        makeRaster(path, jpeg, quadrants);
        ImportRequest request;
        request.sourcePath = path;
        request.topLeft = GeoPoint{35.5, 139.5};
        request.bottomRight = GeoPoint{35.25, 140.0};
        ImportPlan plan;
        std::vector<uint8_t> picture = importedPicture(request, &plan);
        ASSERT_FALSE(picture.empty());
        const bool turned = c.orientation >= 5;
        EXPECT_EQ(turned ? 480 : 640, plan.fitted.width);
        EXPECT_EQ(turned ? 640 : 480, plan.fitted.height);
        auto centre = [&](Corner corner) {
            const int x = (corner == TopRight || corner == BottomRight ? 3 : 1) * plan.fitted.width / 4;
            const int y = (corner == BottomLeft || corner == BottomRight ? 3 : 1) * plan.fitted.height / 4;
            return &picture[(static_cast<size_t>(y) * plan.fitted.width + x) * 3];
        };
        const uint8_t* red = centre(c.red);
        const uint8_t* green = centre(c.green);
        EXPECT_GT(red[2], 180);  // blue, green, red
        EXPECT_LT(red[1], 60);
        EXPECT_GT(green[1], 180);
        EXPECT_LT(green[2], 60);
    }
}

}  // namespace

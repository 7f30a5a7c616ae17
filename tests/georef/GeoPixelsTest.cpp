// The pixels a map picture becomes: palettes, grey, 16-bit and alpha to 24-bit colour,
// white padding, and the prepared bitmap against GDAL's own BMP of the same source.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "BitmapProbe.h"
#include "BmpOutput.h"
#include "GeorefSupport.h"
#include "RecordingFeedback.h"
#include "TempFolder.h"

namespace {

const std::vector<double> kTokyo = {139.7, 0.0001, 0, 35.7, 0, -0.0001};

// A colour value seen through alpha over white, as a viewer composes it.
int overWhite(int c, int a, int max) { return static_cast<int>(std::lround((c * double(a) + max * double(max - a)) / max)); }

struct PixelCase {
    const char* name;
    RasterSpec spec;
    SampleAt sample;
    // Expected blue, green, red at (x, y); x or y past the source is padding.
    std::function<std::array<int, 3>(int x, int y)> expected;
};

RasterSpec tiff(int width, int height, int bands, bool uint16 = false) {
    RasterSpec s;
    s.width = width;
    s.height = height;
    s.bands = bands;
    s.uint16 = uint16;
    s.geoTransform = kTokyo;
    s.srs = "EPSG:4326";
    return s;
}

TEST(GeoSourcePixels, EveryKindOfSourceBecomes24BitColourOverWhite) {
    RasterSpec palette = tiff(500, 480, 1);
    palette.driver = "PNG";
    palette.options = {"WORLDFILE=YES"};
    palette.srs = "";
    palette.palette = {{200, 100, 50, 255}, {0, 0, 255, 0}, {10, 200, 30, 128}};
    RasterSpec greyAlpha = tiff(480, 480, 2);
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
        std::string path = folder.file("p" + std::to_string(index++) + (c.spec.driver == "PNG" ? ".png" : ".tif"));
        makeRaster(path, c.spec, c.sample);
        ImportRequest request;
        request.sourcePath = path;
        if (c.spec.srs.empty()) request.srs = "EPSG:4326";
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
    EXPECT_EQ(kBitmapAccepted, BitmapProbe().probeBitmap(ours.c_str(), job, feedback));
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

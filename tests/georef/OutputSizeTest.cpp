// --resolution and --size against gdalwarp -tr and -ts on the same pictures: the grid, its
// corners and its pixels; the note on white padding and what it suggests; the refusals of
// grids that make no map, and their fixes.

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>

#include "GeorefSupport.h"
#include "TempFolder.h"

namespace {

constexpr double kStep = 0.0001;  // degrees per pixel of the lat/lon pictures: 0.36 seconds
const std::vector<double> kTokyo = {139.7, kStep, 0, 35.7, 0, -kStep};
const std::vector<double> kUtm = {380000, 10, 0, 3950000, 0, -10};  // zone 54, 10 m pixels

RasterRecipe picture(int width, int height, const std::vector<double>& gt, const char* srs) {
    RasterRecipe s;
    s.width = width;
    s.height = height;
    s.geoTransform = gt;
    s.srs = srs;
    return s;
}

OutputSize resolution(double latitudeSeconds, double longitudeSeconds) {
    return OutputSize{latitudeSeconds, longitudeSeconds, 0, 0};
}
OutputSize pixels(int32_t width, int32_t height) { return OutputSize{0, 0, width, height}; }

// A picture whose neighbouring samples differ little, for the resamplings that blend them.
int smoothSample(int x, int y, int band) {
    return static_cast<int>(127.5 + 120 * std::sin(x / 37.0 + band) * std::cos(y / 29.0 - band));
}

std::string degrees(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

struct SizeCase {
    const char* name;
    RasterRecipe recipe;
    SampleAt sample;
    OutputSize size;
    Resampling resampling;
    const char* gdalwarpArguments;  // -tr/-ts and -r, as the options above ask
    bool warped;
    // Per sample: RasterIO, which resamples a picture that needs no warp, rounds its cubic
    // sums otherwise than the warper.
    int tolerance;
    std::optional<GeoWindow> window;
};

TEST(OutputSize, GridCornersAndPixelsAreGdalwarpsTrAndTs) {
    const SizeCase cases[] = {
        {"lat/lon, 1.5 source pixels a pixel, the last row half off the picture", picture(900, 700, kTokyo, "EPSG:4326"),
         patternSample, resolution(0.54, 0.54), Resampling::Nearest, "-tr 0.00015 0.00015 -r near", false, 0, std::nullopt},
        {"lat/lon, 5 source pixels a pixel, the last column and row three fifths on the picture",
         picture(703, 503, kTokyo, "EPSG:4326"), patternSample, resolution(1.8, 1.8), Resampling::Nearest,
         "-tr 0.0005 0.0005 -r near", false, 0, std::nullopt},
        {"lat/lon, finer north-south than east-west", picture(700, 500, kTokyo, "EPSG:4326"), patternSample,
         resolution(0.25, 0.45), Resampling::Nearest, "-tr 0.000125 0.00006944444444444444 -r near", false, 0, std::nullopt},
        {"lat/lon, a size", picture(900, 700, kTokyo, "EPSG:4326"), patternSample, pixels(1000, 530),
         Resampling::Nearest, "-ts 1000 530 -r near", false, 0, std::nullopt},
        {"lat/lon, a size, bilinear", picture(900, 700, kTokyo, "EPSG:4326"), smoothSample, pixels(640, 600),
         Resampling::Bilinear, "-ts 640 600 -r bilinear", false, 0, std::nullopt},
        {"lat/lon, finer than the picture, cubic", picture(500, 400, kTokyo, "EPSG:4326"), smoothSample,
         resolution(0.24, 0.24), Resampling::Cubic, "-tr 0.000066666666666666667 0.000066666666666666667 -r cubic",
         false, 1, std::nullopt},
        {"UTM, a resolution", picture(700, 600, kUtm, "EPSG:32654"), patternSample, resolution(0.5, 0.5),
         Resampling::Nearest, "-tr 0.00013888888888888889 0.00013888888888888889 -r near", true, 0, std::nullopt},
        {"UTM, a size, cubic", picture(700, 600, kUtm, "EPSG:32654"), smoothSample, pixels(800, 650),
         Resampling::Cubic, "-ts 800 650 -r cubic", true, 0, std::nullopt},
        {"lat/lon window, a resolution", picture(900, 700, kTokyo, "EPSG:4326"), patternSample, resolution(0.9, 0.9),
         Resampling::Nearest, "-tr 0.00025 0.00025 -r near", false, 0,
         GeoWindow{{35.7 - 100 * kStep, 139.7 + 50 * kStep}, {35.7 - 650 * kStep, 139.7 + 800 * kStep}}},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file("p.tif");
        makeRaster(path, c.recipe, c.sample);
        ImportRequest request;
        request.sourcePath = path;
        request.size = c.size;
        request.resampling = c.resampling;
        request.window = c.window;
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
        const ImportPlan& plan = source->plan();
        EXPECT_EQ(c.warped, plan.warped);
        std::string arguments = c.gdalwarpArguments;
        if (c.window) {
            const GeoWindow& w = *plan.window;
            arguments += " -te " + degrees(w.topLeft.longitude) + " " + degrees(w.bottomRight.latitude) + " " +
                         degrees(w.bottomRight.longitude) + " " + degrees(w.topLeft.latitude);
        }
        const Warped want = gdalwarp(path, arguments, folder.file("gdalwarp.vrt"));
        // The grid: its size, its top-left corner and its steps.
        const FittedGrid& f = plan.fitted;
        EXPECT_EQ(want.grid.width, f.keptWidth);
        EXPECT_EQ(want.grid.height, f.keptHeight);
        EXPECT_NEAR(want.grid.north, f.north, 1e-9);
        EXPECT_NEAR(want.grid.west, f.west, 1e-9);
        EXPECT_NEAR(want.grid.longitudeStep, (f.east - f.west) / f.width, 1e-12);
        EXPECT_NEAR(want.grid.latitudeStep, (f.north - f.south) / f.height, 1e-12);
        EXPECT_GT(plan.unsizedWidth, 0);
        // The pixels, and white beyond them.
        const std::vector<uint8_t> map = readPicture(*source);
        ASSERT_EQ(static_cast<size_t>(f.width) * f.height * 3, map.size());
        EXPECT_EQ(0, pixelsApart(map, f.width, want, c.tolerance));
        if (f.width > f.keptWidth) {
            EXPECT_EQ(255, map[(static_cast<size_t>(f.width) - 1) * 3]);
        }
    }
}

// The --size or --resolution a message gives, as the command line reads it.
std::optional<OutputSize> sizeIn(const std::string& message) {
    int width = 0, height = 0;
    double latitude = 0, longitude = 0;
    if (size_t at = message.find("--size "); at != std::string::npos &&
                                             std::sscanf(message.c_str() + at, "--size %dx%d", &width, &height) == 2)
        return pixels(width, height);
    if (size_t at = message.find("--resolution "); at != std::string::npos) {
        const int read = std::sscanf(message.c_str() + at, "--resolution %lf,%lf", &latitude, &longitude);
        if (read >= 1) return resolution(latitude, read == 2 ? longitude : latitude);
    }
    return std::nullopt;
}

TEST(OutputSize, MuchWhitePaddingIsToldWithTheSizesThatFillTheTiles) {
    const struct {
        const char* name;
        int width, height;
        std::optional<OutputSize> size;
        FitMode fit;
        const char* note;  // "" for none
    } cases[] = {
        {"small picture", 300, 200, std::nullopt, FitMode::Pad, "takes 73 % of the map"},
        {"a size that leaves most of the map white", 900, 700, pixels(200, 520), FitMode::Pad,
         "takes 66 % of the map"},
        {"just over a quarter, crop fills too", 490, 490, std::nullopt, FitMode::Pad, "or --fit crop"},
        {"under a quarter", 500, 480, std::nullopt, FitMode::Pad, ""},
        {"scaled", 300, 200, std::nullopt, FitMode::Scale, ""},
        {"a resolution that fills the tiles", 900, 700, resolution(0.525, 0.675), FitMode::Pad, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        makeRaster(folder.file("p.tif"), picture(c.width, c.height, kTokyo, "EPSG:4326"));
        ImportRequest request;
        request.sourcePath = folder.file("p.tif");
        request.size = c.size;
        request.fit = c.fit;
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
        const std::string note = source->plan().paddingNote;
        if (*c.note == '\0') {
            EXPECT_EQ("", note);
            continue;
        }
        ASSERT_NE(std::string::npos, note.find(c.note)) << note;
        // Each size it suggests fills the tiles: no padding at all.
        for (const char* kind : {"--size ", "--resolution "}) {
            SCOPED_TRACE(kind);
            request.size = sizeIn(note.substr(note.find(kind)));
            ASSERT_TRUE(request.size) << note;
            ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
            EXPECT_EQ(source->plan().fitted.width, source->plan().fitted.keptWidth);
            EXPECT_EQ(source->plan().fitted.height, source->plan().fitted.keptHeight);
            EXPECT_EQ("", source->plan().paddingNote);
        }
    }
}

TEST(OutputSize, GridsThatMakeNoMapAreRefusedWithASizeThatDoes) {
    const struct {
        const char* name;
        OutputSize size;
        FitMode fit;
        const char* said;
    } cases[] = {
        {"coarser than the whole picture", resolution(3600, 3600), FitMode::Pad, "leaves no pixel"},
        {"cropped below 480", pixels(600, 400), FitMode::Crop, "cuts to less than 480"},
        {"cropped below 480 by a resolution", resolution(0.72, 0.72), FitMode::Crop, "cuts to less than 480"},
        {"wider than a map holds", pixels(2147483647, 480), FitMode::Pad, "at most 2147483520 pixels"},
        {"more tiles than a map holds", resolution(0.00001, 0.00001), FitMode::Scale, "tiles in all"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        makeRaster(folder.file("p.tif"), picture(900, 700, kTokyo, "EPSG:4326"));
        ImportRequest request;
        request.sourcePath = folder.file("p.tif");
        request.size = c.size;
        request.fit = c.fit;
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::FitRefused, GeoSource::open(request, source, message));
        EXPECT_NE(std::string::npos, message.find(c.said)) << message;
        // The fix it gives, in the form typed, makes a map.
        request.size = sizeIn(message.substr(message.find("; use ")));
        ASSERT_TRUE(request.size) << message;
        EXPECT_EQ(c.size.byResolution(), request.size->byResolution()) << message;
        EXPECT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    }
}

}  // namespace

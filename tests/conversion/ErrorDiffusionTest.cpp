// Error diffusion before the colour reduction: a table of small pictures, each reduced
// through the tile writer and checked against a plain model that diffuses the whole picture
// at once; flat palette colours stay exact, gradients keep their tones, the result does not
// depend on how the picture is cut or read, and without dither every index is the pixel's own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numeric>
#include <random>
#include <set>
#include <vector>

#include "ColorQuantizer.h"
#include "ErrorDiffusion.h"
#include "OutputPaths.h"
#include "Palette.h"
#include "RecordingFeedback.h"
#include "Settings.h"
#include "TempFolder.h"
#include "TestBitmap.h"
#include "TileWriter.h"
#include "TileWriting.h"

namespace fs = std::filesystem;

namespace {

// Palette indices of a whole picture, row by row from the top.
using Indices = std::vector<uint8_t>;

// Floyd-Steinberg over the whole picture in one piece, as plainly as it can be written:
// a full-size table of error in sixteenths, serpentine rows, each pixel's index by
// quantizePixel and its colour by the palette.
Indices modelDither(int32_t width, int32_t height, const PixelFunction& pixel) {
    std::vector<int> error(static_cast<size_t>(width + 2) * (height + 1) * 3, 0);
    auto at = [&](int32_t x, int32_t y, int c) -> int& {
        return error[(static_cast<size_t>(y) * (width + 2) + (x + 1)) * 3 + c];
    };
    Indices out(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y) {
        const int step = y % 2 == 0 ? 1 : -1;
        for (int32_t n = 0; n < width; ++n) {
            const int32_t x = step > 0 ? n : width - 1 - n;
            const Rgb p = pixel(x, y);
            const int source[3] = {p.red, p.green, p.blue};
            int value[3];
            for (int c = 0; c < 3; ++c) {
                int v = source[c] + static_cast<int>(std::floor((at(x, y, c) + 8) / 16.0));
                value[c] = std::clamp(v, 0, 255);
            }
            const uint8_t index = ColorQuantizer::quantizePixel(static_cast<uint8_t>(value[2]),
                                                               static_cast<uint8_t>(value[1]),
                                                               static_cast<uint8_t>(value[0]));
            out[static_cast<size_t>(y) * width + x] = index;
            const palette::Colour& colour = palette::kColours[index];
            const int stored[3] = {colour.red, colour.green, colour.blue};
            for (int c = 0; c < 3; ++c) {
                const int d = value[c] - stored[c];
                at(x + step, y, c) += 7 * d;
                at(x - step, y + 1, c) += 3 * d;
                at(x, y + 1, c) += 5 * d;
                at(x + step, y + 1, c) += d;
            }
        }
    }
    return out;
}

// Every pixel by its own colour.
Indices plainIndices(int32_t width, int32_t height, const PixelFunction& pixel) {
    Indices out(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            Rgb p = pixel(x, y);
            out[static_cast<size_t>(y) * width + x] = ColorQuantizer::quantizePixel(p.blue, p.green, p.red);
        }
    return out;
}

// A picture in memory, handing over each strip's rows in the order asked for.
enum class RowOrder { TopFirst, BottomFirst, Shuffled };

class PictureSource final : public PixelSource {
public:
    PictureSource(int32_t width, int32_t height, PixelFunction pixel, RowOrder order)
        : width_(width), height_(height), pixel_(std::move(pixel)), order_(order) {}

    int32_t readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) override {
        std::vector<int32_t> rows(kTileSide);
        std::iota(rows.begin(), rows.end(), 0);
        if (order_ == RowOrder::BottomFirst) std::reverse(rows.begin(), rows.end());
        if (order_ == RowOrder::Shuffled) std::shuffle(rows.begin(), rows.end(), random_);
        std::vector<uint8_t> line(static_cast<size_t>(columnCount) * kTileSide * 3);
        for (int32_t r : rows) {
            for (int32_t i = 0; i < columnCount * kTileSide; ++i) {
                Rgb p = pixel_(firstColumn * kTileSide + i, row * kTileSide + r);
                line[3 * i] = p.blue;
                line[3 * i + 1] = p.green;
                line[3 * i + 2] = p.red;
            }
            sink.takeRow(r, line.data());
        }
        return columnCount;
    }
    bool unchanged() override { return true; }

private:
    int32_t width_, height_;
    PixelFunction pixel_;
    RowOrder order_;
    std::mt19937 random_{20261208};
};

ConversionJob jobFor(int32_t width, int32_t height, bool dither) {
    ConversionJob job;
    std::snprintf(job.folderName, sizeof job.folderName, "dither");
    std::snprintf(job.mapName, sizeof job.mapName, "Tones");
    setJobGrid(job, width, height);
    job.topLeftLatitude = 35 * 3600000u;
    job.bottomRightLatitude = 34 * 3600000u;
    job.topLeftLongitude = 139 * 3600000u;
    job.bottomRightLongitude = 140 * 3600000u;
    job.eastWestDistance = job.northSouthDistance = 1000;
    job.dither = dither ? 1 : 0;
    return job;
}

// The picture's indices as the tile files in `folder` hold them.
Indices indicesOfTiles(const fs::path& folder, const ConversionJob& job) {
    const int32_t width = job.bitmapWidth;
    Indices out(static_cast<size_t>(width) * job.bitmapHeight);
    for (int32_t row = 0; row < job.tileRows; ++row) {
        for (int32_t column = 0; column < job.tileColumns; ++column) {
            OutputPath tile;
            formatTilePath(tile, job.folderName, column, row);
            std::vector<uint8_t> bytes = readFile((folder / tile).string());
            EXPECT_EQ(bytes.size(), static_cast<size_t>(kTileFileSize)) << tile;
            if (bytes.size() != static_cast<size_t>(kTileFileSize)) return {};
            for (int32_t r = 0; r < kTileSide; ++r)
                std::copy_n(bytes.begin() + kTileHeaderSize + r * kTileSide, kTileSide,
                            out.begin() + static_cast<size_t>(row * kTileSide + r) * width + column * kTileSide);
        }
    }
    return out;
}

// The output folder, with the map's folders made as the index writer makes them.
std::unique_ptr<OutputFolder> mapFolder(const TempFolder& folder, const ConversionJob& job) {
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(folder.path().string().c_str(), error);
    EXPECT_TRUE(output != nullptr);
    if (!output) return output;
    OutputPath path;
    EXPECT_TRUE(output->makeFolder(job.folderName));
    formatLayerFolderPath(path, job.folderName);
    EXPECT_TRUE(output->makeFolder(path));
    for (int32_t row = 0; row < job.tileRows; ++row) {
        formatLevelFolderPath(path, job.folderName, row);
        EXPECT_TRUE(output->makeFolder(path));
    }
    return output;
}

// How one writing run is made.
struct WriteWay {
    const char* what;
    RowOrder order;
    int threads;
    int32_t tilesPerBatch;
};

Indices writeThrough(const ConversionJob& job, const PixelFunction& pixel, const WriteWay& way) {
    TempFolder folder;
    std::unique_ptr<OutputFolder> output = mapFolder(folder, job);
    if (!output) return {};
    PictureSource source(job.bitmapWidth, job.bitmapHeight, pixel, way.order);
    auto buffers = std::make_unique<TileBuffers>();
    EXPECT_TRUE(buffers->allocate(job));
    RecordingFeedback feedback;
    TileWriter writer(*output, source, *buffers, way.threads);
    writer.limitBatchTiles(way.tilesPerBatch);
    EXPECT_EQ(writer.writeTiles(job, feedback), TileWriteResult::Written);
    return indicesOfTiles(folder.path(), job);
}

size_t coloursUsed(const Indices& indices) { return std::set<uint8_t>(indices.begin(), indices.end()).size(); }

// Mean over pixels and channels of |picture - colour of its index|, averaged over blocks of
// 8 x 8 pixels: how far the tone of each small area moves.
double blockToneError(int32_t width, int32_t height, const PixelFunction& pixel, const Indices& indices) {
    double total = 0;
    int blocks = 0;
    for (int32_t by = 0; by + 8 <= height; by += 8)
        for (int32_t bx = 0; bx + 8 <= width; bx += 8) {
            int sum[3] = {0, 0, 0};
            for (int32_t y = by; y < by + 8; ++y)
                for (int32_t x = bx; x < bx + 8; ++x) {
                    Rgb p = pixel(x, y);
                    const palette::Colour& c = palette::kColours[indices[static_cast<size_t>(y) * width + x]];
                    sum[0] += p.red - c.red;
                    sum[1] += p.green - c.green;
                    sum[2] += p.blue - c.blue;
                }
            total += (std::abs(sum[0]) + std::abs(sum[1]) + std::abs(sum[2])) / (3.0 * 64);
            ++blocks;
        }
    return total / blocks;
}

Rgb gradientPixel(int32_t x, int32_t y) {
    // A dark sea brightening to the south-east, as photographs of the earth have: each
    // channel moves within one or two of the quantizer's bands.
    return {static_cast<uint8_t>(5 + x / 64), static_cast<uint8_t>(30 + y / 24), static_cast<uint8_t>(80 + (x + y) / 16)};
}

Rgb noisePixel(int32_t x, int32_t y) {
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return {static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16)};
}

PixelFunction flat(const palette::Colour& c) {
    return [c](int32_t, int32_t) { return Rgb{c.red, c.green, c.blue}; };
}

struct Picture {
    const char* what;
    int32_t width, height;
    PixelFunction pixel;
    bool flatPaletteColour;  // every pixel one palette colour: dithered exactly as plain
    bool tones;              // smooth tones: dithering must keep them better
};

std::vector<Picture> pictures() {
    std::vector<Picture> list = {
        {"dark gradient", 640, 480, gradientPixel, false, true},
        {"noise", 480, 320, noisePixel, false, false},
        {"pattern of greys, special colours and cube cells", 480, 320, patternPixel, false, false},
        {"palette colours in bands", 480, 320,
         [](int32_t x, int32_t y) {
             const palette::Colour& c = palette::kColours[(x / 7 + y / 9 * 13) % palette::kColourCount];
             return Rgb{c.red, c.green, c.blue};
         },
         false, false},
    };
    // Flat pictures of palette colours: a cube cell, black (the darkest cube cell's own
    // index), white, two greys of the ramp and two of the four special colours.
    for (int index : {0, 44, 230, 215, 225, 226, 229})
        list.push_back({"flat palette colour", 320, 320, flat(palette::kColours[index]), true, false});
    return list;
}

TEST(ErrorDiffusion, EachPictureIsTheWholePictureModelHoweverItIsCutOrRead) {
    const WriteWay ways[] = {
        {"one thread, rows top first, whole rows of tiles", RowOrder::TopFirst, 1, kMaxTilesPerBatch},
        {"two threads, rows bottom first (as a bitmap stores them), one tile a batch", RowOrder::BottomFirst, 2, 1},
        {"one thread, rows shuffled, two tiles a batch", RowOrder::Shuffled, 1, 2},
    };
    for (const Picture& p : pictures()) {
        SCOPED_TRACE(p.what);
        const Indices model = modelDither(p.width, p.height, p.pixel);
        const Indices plain = plainIndices(p.width, p.height, p.pixel);
        for (const WriteWay& way : ways) {
            SCOPED_TRACE(way.what);
            EXPECT_TRUE(writeThrough(jobFor(p.width, p.height, true), p.pixel, way) == model);
            if (p.flatPaletteColour) break;  // nothing to carry: one way is enough
        }
        EXPECT_TRUE(writeThrough(jobFor(p.width, p.height, false), p.pixel, ways[1]) == plain)
            << "without dither, each pixel by its own colour";
        if (p.flatPaletteColour) {
            EXPECT_TRUE(model == plain) << "a palette colour is its own index, with no error to pass on";
            EXPECT_EQ(coloursUsed(model), 1u);
        }
        if (p.tones) {
            EXPECT_GE(coloursUsed(model), 3 * coloursUsed(plain));
            EXPECT_LT(blockToneError(p.width, p.height, p.pixel, model),
                      blockToneError(p.width, p.height, p.pixel, plain) / 3);
        }
    }
}

TEST(ErrorDiffusion, TheWriterOverABitmapGivesTheModelWithOneOrTwoThreads) {
    TempFolder folder;
    const std::string bmp = folder.file("tones.bmp");
    writeFile(bmp, makeBitmap(640, 480, gradientPixel));
    const Indices model = modelDither(640, 480, gradientPixel);
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        ConversionJob job = jobFor(640, 480, true);
        std::snprintf(job.bitmapPath, sizeof job.bitmapPath, "%s", bmp.c_str());
        job.pixelDataOffset = 54;
        job.bitmapAccepted = 1;
        TempFolder out;
        std::unique_ptr<OutputFolder> output = mapFolder(out, job);
        ASSERT_TRUE(output != nullptr);
        RecordingFeedback feedback;
        ASSERT_EQ(writeTilesOf(job, platformFileReading(), *output, feedback, threads), TileWriteResult::Written);
        EXPECT_TRUE(indicesOfTiles(out.path(), job) == model);
    }
}

// A source that delivers the first strip whole and the second without its last tile
// column, whose missing error would reach every tile of that strip.
class FailingSource final : public PixelSource {
public:
    int32_t readStrip(int32_t row, int32_t, int32_t columnCount, RowSink& sink) override {
        std::vector<uint8_t> line(static_cast<size_t>(columnCount) * kTileSide * 3, 100);
        for (int32_t r = 0; r < kTileSide; ++r) sink.takeRow(r, line.data());
        return row == 0 ? columnCount : columnCount - 1;
    }
    bool unchanged() override { return true; }
};

TEST(ErrorDiffusion, AStripNotReadWholeGivesNoTileOfIt) {
    const ConversionJob job = jobFor(480, 480, true);
    TempFolder folder;
    std::unique_ptr<OutputFolder> output = mapFolder(folder, job);
    ASSERT_TRUE(output != nullptr);
    FailingSource source;
    TileBuffers buffers;
    ASSERT_TRUE(buffers.allocate(job));
    RecordingFeedback feedback;
    TileWriter writer(*output, source, buffers, 1);
    EXPECT_EQ(writer.writeTiles(job, feedback), TileWriteResult::SourceReadFailed);
    EXPECT_EQ(writer.tilesWritten(), 3);  // the first row of tiles only
}

TEST(ErrorDiffusion, TheSettingsCarryTheChoiceIntoTheJob) {
    for (bool dither : {false, true}) {
        SCOPED_TRACE(dither);
        SettingsValues values;
        values.mapName = "Tones";
        values.folderName = "tones";
        values.topLeftLatitude = 2;
        values.bottomRightLatitude = 1;
        values.topLeftLongitude = 1;
        values.bottomRightLongitude = 2;
        values.eastWestDistance = values.northSouthDistance = 10;
        values.dither = dither;
        ConversionJob fromValues;
        fromValues.dither = dither ? 0 : 1;
        ASSERT_EQ(applySettings(fromValues, values), SettingsError::NoError);
        EXPECT_EQ(fromValues.dither, dither ? 1 : 0);

        SettingsText texts;
        texts.mapName = "Tones";
        texts.folderName = "tones";
        texts.topLeftLatitude = {"35", "0", "0"};
        texts.bottomRightLatitude = {"34", "0", "0"};
        texts.topLeftLongitude = {"139", "0", "0"};
        texts.bottomRightLongitude = {"140", "0", "0"};
        texts.eastWestDistance = texts.northSouthDistance = "100";
        texts.dither = dither;
        ConversionJob fromTexts;
        ASSERT_EQ(applySettings(fromTexts, texts), SettingsError::NoError);
        EXPECT_EQ(fromTexts.dither, dither ? 1 : 0);
    }
    ConversionJob reset;
    reset.dither = 1;
    resetJob(reset);
    EXPECT_EQ(reset.dither, 0) << "the dialog's reset leaves dithering off";
}

}  // namespace

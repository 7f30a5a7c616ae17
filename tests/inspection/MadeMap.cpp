#include "MadeMap.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>

#include "BitmapProbe.h"
#include "Conversion.h"
#include "RecordingFeedback.h"
#include "WorkedExample.h"

namespace fs = std::filesystem;

MadeMap::MadeMap(int32_t width, int32_t height, const SettingsText& settings) : width_(width), height_(height) {
    std::string bitmap = (folder_.path() / "map.bmp").string();
    writeFile(bitmap, makeBitmap(width, height, patternPixel));
    ConversionJob job;
    RecordingFeedback feedback;
    EXPECT_EQ(BitmapProbe().probeBitmap(bitmap.c_str(), job, feedback), BitmapProbeResult::Accepted);
    std::strcpy(job.bitmapPath, bitmap.c_str());
    job.bitmapAccepted = 1;
    EXPECT_EQ(runConversion(job, settings, feedback, folder_.path().string().c_str()),
              ConversionOutcome::Converted);
}

std::string MadeMap::tile(int32_t column, int32_t row) {
    char name[64];
    std::snprintf(name, sizeof name, "area01/layer1/level%03d/smpl%03d%03d.map", row, column, row);
    return name;
}

std::vector<uint8_t> MadeMap::storedIndices() const {
    std::vector<uint8_t> indices(static_cast<size_t>(width_) * height_);
    for (int32_t row = 0; row < height_ / 160; ++row)
        for (int32_t column = 0; column < width_ / 160; ++column) {
            std::vector<uint8_t> bytes = readFile(file(tile(column, row)).string());
            bytes.resize(25760);
            for (int32_t y = 0; y < 160; ++y)
                std::memcpy(&indices[static_cast<size_t>(row * 160 + y) * width_ + column * 160],
                            &bytes[160 + static_cast<size_t>(y) * 160], 160);
        }
    return indices;
}

DecodedPng decodePng(const fs::path& file) {
    DecodedPng decoded;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return decoded;
    decoded.palette = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
    image.format = PNG_FORMAT_RGBA;
    decoded.width = image.width;
    decoded.height = image.height;
    decoded.rgba.resize(PNG_IMAGE_SIZE(image));
    decoded.ok = png_image_finish_read(&image, nullptr, decoded.rgba.data(), 0, nullptr) != 0;
    return decoded;
}

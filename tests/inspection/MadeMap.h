#pragma once
// Maps written by the conversion for the inspection tests, and the PNG files the
// previews write, read back.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "TestBitmap.h"
#include "WorkedExample.h"

// Converts a width x height bitmap of patternPixel in a fresh folder with the worked
// example's settings (folder area01), or others of folder area01.
class MadeMap {
public:
    MadeMap(int32_t width, int32_t height, const SettingsText& settings = workedExampleSettings());
    std::filesystem::path index() const { return folder_.path() / "area01.vlm"; }
    std::filesystem::path file(const std::string& relative) const { return folder_.path() / relative; }
    // The path of tile (column, row), relative to the map's folder.
    static std::string tile(int32_t column, int32_t row);
    // The palette indices stored for the whole map, row by row from the top.
    std::vector<uint8_t> storedIndices() const;
    int32_t width() const { return width_; }

private:
    TempFolder folder_;
    int32_t width_, height_;
};

// A PNG decoded to red, green, blue, alpha.
struct DecodedPng {
    bool ok = false;
    bool palette = false;  // stored as a palette picture
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* pixel(uint32_t x, uint32_t y) const { return rgba.data() + 4 * (size_t{y} * width + x); }
};
DecodedPng decodePng(const std::filesystem::path& file);

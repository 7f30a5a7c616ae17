#pragma once
// Sources that GDAL can only decode whole, holding every pixel in memory at once: a
// progressive JPEG and an interlaced PNG. Found from the file's own headers.

#include <string>

enum class DecodeOrder { RowByRow, Whole };

// What decoding the file at path needs; RowByRow for every other format, and for a file
// that cannot be read (opening it through GDAL reports that).
DecodeOrder decodeOrderOf(const std::string& path, std::string& formatName);

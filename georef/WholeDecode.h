#pragma once
// Sources that GDAL can only decode whole, holding every pixel in memory at once: a
// progressive JPEG and an interlaced PNG. Found from the file's own headers, for each
// file GDAL decodes to deliver a raster's pixels (a VRT's sources included).

#include <cstdint>
#include <string>
#include <vector>

enum class DecodeOrder { RowByRow, Whole };

// What decoding the file at path (a path or one of GDAL's /vsi names) needs; RowByRow for
// every other format, and for a file that cannot be read (opening it through GDAL reports
// that).
DecodeOrder decodeOrderOf(const std::string& path, std::string& formatName);

// The first of files that GDAL decodes whole into more than limitBytes of pixels.
struct WholeDecodeFound {
    std::string file;
    std::string formatName;
    int64_t bytes = 0;
};

// Looks at each of files (as GDAL lists them for the raster: the raster's own file, a
// VRT's sources). Its pixels' size is measured by opening the file through GDAL. False,
// with found filled in, when one passes the limit.
bool withinWholeDecodeLimit(const std::vector<std::string>& files, int64_t limitBytes, WholeDecodeFound& found);

// Bytes of all the pixels of a raster opened through GDAL (every band), as decoding it
// whole holds them.
class GDALDataset;
int64_t decodedBytesOf(GDALDataset& raster);

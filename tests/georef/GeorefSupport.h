#pragma once
// Map pictures made with GDAL at test time, the pixels a GeoSource delivers, and the
// lengths GeographicLib's own command-line tools compute.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "GeoSource.h"
#include "GeodesySolvers.h"

struct RasterRecipe {
    std::string driver = "GTiff";       // written with CreateCopy from an in-memory raster
    int width = 480;
    int height = 480;
    int bands = 3;
    bool uint16 = false;
    bool float32 = false;
    std::optional<double> noData;       // set on every band
    struct Gcp {
        double pixel, line, x, y;
    };
    std::vector<Gcp> gcps;              // in srs, with no geoTransform
    int exifOrientation = 0;            // written as EXIF when not 0 (JPEG)
    std::vector<double> geoTransform;   // none when empty
    std::string srs;                    // e.g. "EPSG:4326"; none when empty
    std::vector<std::string> options;   // creation options, e.g. "WORLDFILE=YES"
    bool pixelIsPoint = false;          // AREA_OR_POINT=Point: the grid names pixel centres
    // Palette entries (red, green, blue, alpha) for a one-band palette raster.
    std::vector<std::vector<short>> palette;
};

// Sample value of band b (1-based) at (x, y).
using SampleAt = std::function<int(int x, int y, int band)>;
int patternSample(int x, int y, int band);

// Writes the raster to path.
void makeRaster(const std::string& path, const RasterRecipe& recipe, const SampleAt& sample = patternSample);

// Every pixel of the source, top row first, 3 bytes (blue, green, red) each.
std::vector<uint8_t> readPicture(GeoSource& source);

// gdalwarp's grid and pixels for the picture at path (-t_srs EPSG:4326 -dstalpha and
// arguments), written to out, a VRT, which the import reads through too: GDAL's warper places
// pixels by a transformation interpolated over each chunk it warps, and a VRT's chunks are
// its blocks whoever reads it. Bands red, green, blue and alpha.
struct Warped {
    LatLonGrid grid;
    std::vector<double> bands[4];
};
Warped gdalwarp(const std::string& path, const std::string& arguments, const std::string& out);

// Pixels of a picture (rows of width blue-green-red pixels, top row first), within want's
// grid, further than tolerance from what gdalwarp made, over white where its alpha is below
// full; the first few are reported as failures.
int pixelsApart(const std::vector<uint8_t>& picture, int32_t width, const Warped& want, int tolerance);


// The pixel bytes of a 24-bit bottom-up BMP file as stored, after its headers.
std::vector<uint8_t> bmpPixelBytes(const std::string& path);

// The samples of band b (1-based) of the raster at path, row by row, as doubles.
std::vector<double> readBand(const std::string& path, int band);

// The names of the files in folder.
std::vector<std::string> filesIn(const std::string& folder);

// Runs a shell command; returns its exit status.
int run(const std::string& command);

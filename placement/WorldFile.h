#pragma once
// A world file beside a picture, found and read as GDAL finds and reads one, so that the
// build without GDAL places a picture where the one with GDAL does.
//
// The file holds six numbers, one a line (blank lines skipped, at most 100 lines of at
// most 100 characters looked at):
//   A  the x size of a pixel        D  rotation term (y per column)
//   B  rotation term (x per row)    E  the y size of a pixel (negative: north-up)
//   C  x of the top-left pixel's centre
//   F  y of the top-left pixel's centre
// in the order A, D, B, E, C, F. GDAL turns them into its grid of pixel edges:
//   west = C - A/2 - B/2, north = F - D/2 - E/2.

#include <string>

class FileReading;

// What the picture file is, by its first bytes: GDAL's drivers look for different names.
enum class PictureFormat { Tiff, Png, Jpeg, Bmp, Gif, Other };

PictureFormat pictureFormatOf(FileReading& files, const std::string& path);

// GDAL's grid: x = t[0] + column * t[1] + row * t[2], y = t[3] + column * t[4] + row * t[5],
// for column and row at pixel edges.
struct GeoTransform {
    double t[6] = {0, 1, 0, 0, 0, 1};
};

// Reads a world file. False when it does not hold six numbers with a non-zero x and y
// term, as GDAL judges it.
bool readWorldFile(FileReading& files, const std::string& path, GeoTransform& grid);

struct WorldFileFound {
    std::string path;  // the source's folder as given, then the file's own name
    GeoTransform grid;
};

// The world file of the picture at sourcePath, as GDAL's driver for format looks for it:
// the extension's first and last letters and a "w" (.tfw, .pgw, .jgw, .bpw, .gfw), then
// the whole extension and a "w" (.tifw, .pngw, .jpgw, .bmpw), then .jpw for a JPEG, then
// .wld; the first that reads wins. Names are matched regardless of case among the
// folder's files, as GDAL does (a BMP only as written in lower, then upper case, since
// GDAL's BMP driver looks for those two alone).
bool findWorldFile(FileReading& files, const std::string& sourcePath, PictureFormat format, WorldFileFound& found);

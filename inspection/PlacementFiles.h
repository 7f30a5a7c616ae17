#pragma once
// What lets a GIS lay a preview over its source: a world file beside the PNG (six lines:
// the pixel's width, two rotations, the pixel's height as a negative number, and the
// longitude and latitude of the centre of the top-left pixel) and a GDAL .aux.xml that
// names the coordinate system, WGS84 latitude/longitude (EPSG:4326). QGIS and GDAL read
// both; the import reads world files as they do (placement/WorldFile.h, Linux build).

#include <cstdint>
#include <string>

// Where a picture lies: the outer north-west corner of its top-left pixel and the size of
// one pixel, in degrees of WGS84.
struct PicturePlacement {
    double west = 0;
    double north = 0;
    double longitudeStep = 0;  // positive
    double latitudeStep = 0;   // positive
};

// A picture of columns x rows pixels whose outer edges lie at west, north, east, south.
PicturePlacement placementOf(double west, double north, double east, double south, int32_t columns, int32_t rows);
// The same picture shown at scale N: each pixel of the preview stands for an N x N block
// of the picture's (the last block of a row or column possibly cut short).
PicturePlacement scaledBy(const PicturePlacement& placement, int32_t scale);

// The six lines of the world file.
std::string worldFileText(const PicturePlacement& placement);

// The world file's name for a picture's file name, as GDAL looks for it: the first and
// last letter of the extension and a "w" (x.png: x.pgw); a name without an extension of two
// letters or more gets ".wld" added.
std::string worldFileName(const std::string& pictureName);

// The .aux.xml beside a picture: its name, and a text that names WGS84 as its system, the
// longitude along the picture's rows.
std::string auxFileName(const std::string& pictureName);
std::string wgs84AuxText();

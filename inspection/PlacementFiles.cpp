#include "PlacementFiles.h"

#include <cstdio>

PicturePlacement placementOf(double west, double north, double east, double south, int32_t columns, int32_t rows) {
    return {west, north, (east - west) / columns, (north - south) / rows};
}

PicturePlacement scaledBy(const PicturePlacement& placement, int32_t scale) {
    PicturePlacement scaled = placement;
    scaled.longitudeStep *= scale;
    scaled.latitudeStep *= scale;
    return scaled;
}

std::string worldFileText(const PicturePlacement& p) {
    // Seventeen significant digits: the degrees read back are the ones written.
    char text[256];
    std::snprintf(text, sizeof text, "%.17g\n0\n0\n%.17g\n%.17g\n%.17g\n", p.longitudeStep, -p.latitudeStep,
                  p.west + p.longitudeStep / 2, p.north - p.latitudeStep / 2);
    return text;
}

std::string worldFileName(const std::string& pictureName) {
    size_t dot = pictureName.rfind('.');
    size_t nameStart = pictureName.find_last_of("/\\");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    // ".png" and the like; not a leading dot, nor a dot with one letter after it.
    if (dot == std::string::npos || dot <= nameStart || pictureName.size() - dot < 3) return pictureName + ".wld";
    const char last = pictureName.back();
    const bool upper = last >= 'A' && last <= 'Z';
    return pictureName.substr(0, dot + 2) + last + (upper ? 'W' : 'w');
}

std::string auxFileName(const std::string& pictureName) { return pictureName + ".aux.xml"; }

std::string wgs84AuxText() {
    // As GDAL writes EPSG:4326 itself; the mapping "2,1" puts longitude along the rows.
    return "<PAMDataset>\n"
           "  <SRS dataAxisToSRSAxisMapping=\"2,1\">GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,"
           "298.257223563,AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],PRIMEM[\"Greenwich\",0,"
           "AUTHORITY[\"EPSG\",\"8901\"]],UNIT[\"degree\",0.0174532925199433,AUTHORITY[\"EPSG\",\"9122\"]],"
           "AXIS[\"Latitude\",NORTH],AXIS[\"Longitude\",EAST],AUTHORITY[\"EPSG\",\"4326\"]]</SRS>\n"
           "</PAMDataset>\n";
}

#include "MapExtents.h"

#include <GeographicLib/Ellipsoid.hpp>
#include <GeographicLib/Geodesic.hpp>
#include <cmath>

namespace {
const GeographicLib::Ellipsoid& wgs84() {
    static const GeographicLib::Ellipsoid ellipsoid(GeographicLib::Constants::WGS84_a(),
                                                    GeographicLib::Constants::WGS84_f());
    return ellipsoid;
}
constexpr double kPi = 3.14159265358979323846;
}  // namespace

MapExtents extentsOf(const MapCorners& corners) {
    double north = degreesOf(corners.topLeftLatitude), south = degreesOf(corners.bottomRightLatitude);
    double west = degreesOf(corners.topLeftLongitude), east = degreesOf(corners.bottomRightLongitude);
    double middle = (north + south) / 2;
    MapExtents extents;
    extents.eastWestMetres = std::llround(wgs84().CircleRadius(middle) * (east - west) * kPi / 180);
    extents.northSouthMetres = std::llround(wgs84().MeridianDistance(north) - wgs84().MeridianDistance(south));
    return extents;
}

double distanceMetres(uint32_t latitudeA, uint32_t longitudeA, uint32_t latitudeB, uint32_t longitudeB) {
    double metres = 0;
    GeographicLib::Geodesic::WGS84().Inverse(degreesOf(latitudeA), degreesOf(longitudeA), degreesOf(latitudeB),
                                             degreesOf(longitudeB), metres);
    return metres;
}

uint32_t roundedToSecond(uint32_t millisecondsOfArc) {
    return static_cast<uint32_t>((static_cast<uint64_t>(millisecondsOfArc) + 500) / 1000 * 1000);
}

#pragma once
// The map's extent in metres on the WGS84 ellipsoid, from its corners:
//  east-west   = the length of the parallel halfway between the two latitudes, between
//                the two longitudes;
//  north-south = the length of the meridian between the two latitudes;
// each rounded to whole metres.

#include <cstdint>

#include "MapGrid.h"

struct MapExtents {
    int64_t eastWestMetres = 0;
    int64_t northSouthMetres = 0;
};

MapExtents extentsOf(const MapCorners& corners);

// Metres along the ellipsoid between two points given in milliseconds of arc.
double distanceMetres(uint32_t latitudeA, uint32_t longitudeA, uint32_t latitudeB, uint32_t longitudeB);

// A corner value rounded to the nearest whole second of arc, as the dialog takes it.
uint32_t roundedToSecond(uint32_t millisecondsOfArc);

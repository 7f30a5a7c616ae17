#pragma once
// Lengths on the WGS84 ellipsoid as GeographicLib's own command-line tools compute them
// (RhumbSolve, GeodSolve; Debian's geographiclib-tools), to check the extents against.

// Metres along the parallel at latitude between two longitudes (degrees).
double rhumbMetres(double latitude, double west, double east);
// Metres along the meridian between two latitudes (degrees).
double meridianMetres(double north, double south);

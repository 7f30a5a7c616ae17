#pragma once
// Coordinate systems named in text (a .prj, --srs, a GeoTIFF's EPSG code) told apart
// without GDAL: the three this build places pictures in (geographic latitude/longitude in
// degrees on WGS84, JGD2000 or JGD2011) and, for a refusal, what any other one is.
// Names are the ones GDAL gives the same definition, so that a report reads the same on
// both builds: "WGS 84 (EPSG:4326)", "JGD2011 (EPSG:6668)", "WGS 84 (CRS84) (OGC:CRS84)".
//
// Read: EPSG codes (EPSG:4326, urn:ogc:def:crs:EPSG::4326, http://www.opengis.net/def/
// crs/EPSG/0/4326), OGC:CRS84, CRS:84, WGS84, WKT 1 (ESRI's included) and WKT 2, and PROJ
// strings (+proj=longlat +datum=WGS84), and ESRI's older keyword lines (Projection
// GEOGRAPHIC, Datum WGS84, Units DD).

#include <string>

enum class SystemKind {
    LatLon,      // geographic degrees on WGS84, JGD2000 or JGD2011: used as it stands
    Projected,   // needs a warp
    Geographic,  // geographic, but on another datum or in other units
    Other,       // geocentric, compound, local, or a code this build cannot look up
};

struct NamedSystem {
    SystemKind kind = SystemKind::Other;
    std::string name;  // as a report says it
};

// What a definition names. False when it cannot be read at all; why then says what is
// wrong with it.
bool readCoordinateSystem(const std::string& definition, NamedSystem& system, std::string& why);

// The system of an EPSG code.
NamedSystem systemOfEpsgCode(int code);

// A .prj's text as GDAL's reader takes it: a UTF-8 byte-order mark and the white space
// around the text (blank lines included) left out, a bare number taken as an EPSG code.
std::string prjDefinition(std::string text);

// What kind of system it is, for a refusal: "a projected coordinate system", ...
const char* systemKindText(SystemKind kind);

#pragma once
// A GeoTIFF's georeferencing tags turned into GDAL's grid and the system its GeoKeys name,
// as GDAL's GeoTIFF reader turns them by default:
// - ModelPixelScale (both terms non-zero) with the first ModelTiepoint: a north-up grid
//   (a negative y scale taken as north-up too); else a 16-term ModelTransformation;
// - PixelIsPoint (GTRasterTypeGeoKey 2): the coordinates name pixel centres, so the grid
//   moves back half a pixel;
// - tiepoints with no grid are control points.

#include "CoordinateSystemText.h"
#include "PlainGeoreferencing.h"
#include "WorldFile.h"

struct GeoTiffPlacement {
    bool hasGrid = false;
    GeoTransform grid;
    int controlPoints = 0;   // tiepoints that place the picture with no grid
    bool hasSystem = false;  // the GeoKeys name a system
    NamedSystem system;
};

void readGeoTiffTags(const GeoTiffTags& tags, GeoTiffPlacement& placement);

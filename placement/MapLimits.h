#pragma once
// Whether a picture on a latitude/longitude grid makes a map the format can hold, and, when
// it does not, what to type to make it fit; the window cut from a picture; typed extents.

#include <string>

#include "ImportPlan.h"

// A part of a grid: its first column and row, and the grid of its pixels.
struct PixelRegion {
    int32_t x = 0;
    int32_t y = 0;
    LatLonGrid grid;
};

// The pixels of grid that cover window, snapped outward to whole pixels, so that every edge
// asked for lies inside. False, with message, when the window is empty or reaches past the
// picture.
bool snapWindow(const LatLonGrid& grid, const GeoWindow& window, PixelRegion& region, std::string& message);

struct LimitCheck {
    ImportStatus status = ImportStatus::Ready;  // Ready, FitRefused, CornersRefused or ExtentRefused
    FitStatus fit = FitStatus::Fitted;
    CornerStatus corners = CornerStatus::Valid;
};

// Fits grid to the tiles and works out the corners and the measured extents.
LimitCheck checkMapLimits(const LatLonGrid& grid, FitMode fit, FittedGrid& fitted, MapCorners& corners,
                          MapExtents& extents);

// Why the fit refused grid (FitStatus other than Fitted).
std::string fitRefusal(const LatLonGrid& grid, FitStatus fit, const FittedGrid& fitted);

// Why the map of grid passes the format's limits (south of the equator, west of
// Greenwich, past 180 degrees east or past 9,999,999 m): which edge and by how much, the
// picture's own or only its padding's, and what makes it fit, as it can be typed: a
// --window within the picture, or --fit crop / --fit scale.
std::string limitRefusal(const LatLonGrid& grid, const ImportRequest& request, const LimitCheck& check);

// The extents the user typed in place of those measured, with a warning for each that
// differs from the measured one by more than 1 %.
void applyTypedExtents(const ImportRequest& request, ImportPlan& plan);

// A corner value as --window, --top-left and --bottom-right take it back to the same
// millisecond of arc: decimal degrees.
std::string degreesArgument(int64_t millisecondsOfArc);

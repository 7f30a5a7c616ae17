#pragma once
// The grid --resolution and --size give a picture, worked out as gdalwarp -tr and -ts work
// it out, and the refusals of grids that make no map; and how much white the fit's padding
// adds, with the arguments that avoid it.

#include <cstdint>
#include <string>

#include "ImportPlan.h"

// The grid of size over region, region's top-left corner kept: with a resolution, each side
// (region's extent + half a step) / step whole pixels of that step, as gdalwarp -tr makes
// it; with a size, that many pixels over region's extent, as gdalwarp -ts does. Ready, or
// FitRefused with message when the grid has no pixel, when --fit crop leaves less than 480
// pixels of it, or when the fitted map passes the format's grid limits; the message ends
// with the argument that makes a map, in the form the user typed.
ImportStatus sizedGrid(const LatLonGrid& region, const OutputSize& size, FitMode fit, LatLonGrid& sized,
                       std::string& message);

// When --fit pad makes white of more than a quarter of the map: how much, and what fills the
// tiles (--size and --resolution over the same extent, --fit scale, --fit crop when it keeps
// 480 pixels). "" otherwise.
std::string paddingNote(const LatLonGrid& grid, const FittedGrid& fitted, FitMode fit);

// The arguments that resample grid's extent to width x height pixels.
std::string sizeArgument(int64_t width, int64_t height);
std::string resolutionArgument(const LatLonGrid& grid, int64_t width, int64_t height);

#pragma once
// convert's "--east-west auto --north-south auto": the extents worked out from the corners
// on the WGS84 ellipsoid (placement/MapExtents.h, GeographicLib), as import measures them.
// Every build of the command line has it, Linux and Windows alike.

#include <string>

#include "CommandLine.h"

// Whether a distance argument asks for the extent to be worked out.
inline bool isAutoDistance(const std::string& text) { return text == "auto"; }

// Replaces "auto" extents of a convert by those of its corners (see import's help).
// On failure returns false and sets error; note tells what was worked out.
bool resolveAutoExtents(ConvertArguments& args, std::string& error, std::string& note);

#pragma once
// tessella import: any georeferenced map picture GDAL reads, to a map (or to the bitmap
// convert and the dialog take), with its corners and extents worked out; and the extents
// convert works out for "--east-west auto --north-south auto". Both need GDAL and
// GeographicLib, which only the Linux build has: on Windows they say so.

#include <string>
#include <vector>

#include "CommandLine.h"

// args[0] is "import". Returns the exit code.
int runImportCommand(const std::vector<std::string>& args);

std::string importHelpText();

// Whether a distance argument asks for the extent to be worked out.
inline bool isAutoDistance(const std::string& text) { return text == "auto"; }

// Replaces "auto" extents of a convert by those of its corners (see importHelpText()).
// On failure returns false and sets error; note tells what was worked out.
bool resolveAutoExtents(ConvertArguments& args, std::string& error, std::string& note);

#pragma once
// The steps of finding where a picture lies that do not depend on how it was read, with
// their messages: shared by the reading through GDAL (georef/) and the one without it
// (PlainGeoreferencing), so both builds decide and say the same for the same files.

#include <cstdint>
#include <string>

#include "ImportPlan.h"

// Where the picture's own georeferencing comes from, for the report: "the world file
// PATH", "its .aux.xml PATH", "its own georeferencing", or (placed by control points)
// "its N control points (GCPs)" / "the .aux.xml PATH's N control points (GCPs)".
std::string ownGeoreferencingSource(const std::string& worldFile, const std::string& auxFile, int controlPoints);

// The corners typed with --top-left and --bottom-right, for a picture whose own
// georeferencing (from, "" when it has none) they would replace.
ImportStatus placeByTypedCorners(const ImportRequest& request, int32_t width, int32_t height, const std::string& from,
                                 LatLonGrid& grid, std::string& description, std::string& message);

// What is typed (typed: "the typed corners", "the typed control points") would replace the
// picture's own georeferencing (from), without --replace-georeferencing.
std::string typedConflictMessage(const std::string& from, const std::string& typed);

// The refusal of a picture that carries nothing that places it.
std::string noGeoreferencingMessage();

// GDAL's grid of a picture without any (which GDAL keeps in an .aux.xml) places nothing.
bool isGdalsDefaultGrid(const double grid[6]);

// False, with the refusal, when the grid holds terms that are not numbers or maps the
// picture onto a line.
bool isUsableGrid(const double grid[6], const std::string& from, std::string& message);

// A .prj that cannot be read, when no --srs says the system instead.
std::string unreadablePrjMessage(const std::string& prjPath, const std::string& why);

// --srs given for a picture that names its own system (ownName, ownFrom " (from PATH)"
// or ""), without --replace-georeferencing.
std::string srsConflictMessage(const std::string& ownName, const std::string& ownFrom, const std::string& srs);

// What the source description gains from --srs: " in NAME (from --srs)", with ", in
// place of OWN" when it replaces the picture's own.
std::string srsSourceText(const std::string& srsName, const std::string& ownName);

// Neither the picture nor --srs names a system.
std::string noCoordinateSystemMessage(const std::string& worldFile);

// A north-up grid with no rotation terms.
bool isNorthUpGrid(const double grid[6]);

// The picture's pixels on latitude/longitude, from a north-up grid in degrees.
LatLonGrid latLonGridOf(const double grid[6], int32_t width, int32_t height);

#pragma once
// Looks at what stands in the output folder before and after a map is written.

#include "ConversionJob.h"
#include "FileServices.h"
#include "OutputPaths.h"
#include "UserFeedback.h"

#include <vector>

// Whether one of the files the pixels come from is itself one of the map's files: its
// index, or a file in one of its level folders (a tile, a temporary, or another name for
// the same file). Writing the map would then delete the picture it is made from. The map's
// folders are looked through once, whatever the number of inputs. On true, path names it.
bool inputIsOutput(const ConversionJob& job, const std::vector<FileIdentity>& inputs, OutputFolder& output,
                   OutputPath path);

// After a map has replaced an older one of the same folder name: removes the older map's
// tiles outside the new grid, tile temporaries left by interrupted runs, and level folders
// outside the new grid that end up empty. Only the map's own names (MapNames.h) are
// removed; anything else found in the map's folder, the layer folder and the level
// folders is left and named, once, through feedback.noteLeftInPlace.
void removeOldTiles(const ConversionJob& job, OutputFolder& output, UserFeedback& feedback);

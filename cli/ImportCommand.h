#pragma once
// tessella import: a georeferenced map picture to a map (or to the bitmap convert and the
// dialog take), with its corners and extents worked out. On Linux it needs GDAL, which
// only tessella-georef has: the everyday tessella hands such a command line over to it
// (ImportRelay.cpp). The Windows tessella imports itself, reading pictures through the
// Windows Imaging Component (wic/). The import's options (ImportOptions.cpp) need nothing
// of either, so its help is everywhere.

#include <string>
#include <vector>

#include "Angles.h"
#include "AutoExtents.h"
#include "CommandLine.h"
#include "PictureArguments.h"

struct ImportRequest;       // placement/ImportPlan.h, in the program that has GDAL
enum class ImportStatus;
class StopSignals;

// The picture options (PictureArguments.h) and those of the map.
struct ImportArguments : PictureArguments {
    std::string source;
    std::string name;  // UTF-8 as typed
    std::string folder;
    std::string bmp;
    std::string outputDir;
    std::string eastWest = "auto", northSouth = "auto";
    bool overwrite = false, json = false, dryRun = false, quiet = false;
    bool dither = false;  // error diffusion before the colour reduction
};

void importOptions(OptionTable& table, ImportArguments& import);

// Returns the exit code. Only the program that has GDAL runs it.
int runImport(const ImportArguments& args);

// The import of source with the picture options (extents measured, none typed).
ImportRequest pictureRequest(const std::string& source, const PictureArguments& picture);
// The exit code of an import refused with status (or kExitSuccess for Ready).
int importExitCode(ImportStatus status);

// probe and preview of a picture read through GDAL (PictureCommands.cpp): what import
// would make of it, and that picture as the tiles would store it. Only the program that
// has GDAL runs them.
int probeThroughGdal(const ProbeArguments& args);
// signals: the run's, listening from its start.
int previewThroughGdal(const InspectionArguments& args, const StopSignals& signals);

// Where a command line that needs GDAL runs. here: in this program. Otherwise the other
// program could not take it over: exitCode, and reason, which completes "import needs ".
struct GdalHandover {
    bool here = false;
    int exitCode = 0;
    std::string reason;
};

// Hands the command line (args without the program name, as given) over to the program
// that has GDAL, which then takes this process's place; returns only when this program is
// that one, or when it cannot, having printed nothing.
GdalHandover handOverToGdal(const std::vector<std::string>& args);

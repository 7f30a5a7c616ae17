#pragma once
// What convert tells on standard output: the "Wrote …" line, the list of what a dry run
// would write, or, with --json, one JSON object with all of it.

#include <string>
#include <vector>

#include "ConversionJob.h"

struct ConvertSummary {
    const ConversionJob* job = nullptr;
    bool bitmapAccepted = false;   // the grid in the job is the bitmap's
    bool settingsRead = false;     // the job holds the settings as stored
    bool dryRun = false;
    bool written = false;          // the map was written
    bool replacesMap = false;      // a dry run found a map of the folder name there
    std::string command;           // "convert" or "import"
    std::string source;            // the picture, as typed
    std::string outputFolder;      // where the map goes, as the platform shows it
    std::string outcome;           // "converted", "settings refused", ...
    std::vector<std::string> messages;
    int exitCode = 0;
};

// The files of the map, relative to the output folder: the index first, then the tiles
// row by row.
std::vector<std::string> mapFiles(const ConversionJob& job);

// "Wrote area01.vlm and 9 tile files (3 columns, 3 rows) under area01/layer1 in DIR",
// or "Would write …" followed by the files, one a line, for a dry run.
std::string convertReportLines(const ConvertSummary& summary);

std::string convertReportJson(const ConvertSummary& summary);

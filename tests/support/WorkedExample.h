#pragma once
// The worked example: SAMPLE MAP in folder area01, a 480 by 480 bitmap, 35°40' N 139°45' E
// to 35°39' N 139°46' E, 1852 m by 926 m. Its settings as typed, the job they make, and
// (WorkedExampleBytes.h) bytes of the files it writes.

#include <cstring>
#include <iterator>
#include <vector>

#include "ConversionJob.h"
#include "Settings.h"
#include "WorkedExampleBytes.h"

// The texts of the worked example's fields; other names and folders for tests that keep
// their output apart.
inline SettingsText workedExampleSettings(const char* mapName = "SAMPLE MAP",
                                          const char* folderName = "area01") {
    SettingsText t;
    t.mapName = mapName;
    t.folderName = folderName;
    t.topLeftLatitude = {"35", "40", "0"};
    t.topLeftLongitude = {"139", "45", "0"};
    t.bottomRightLatitude = {"35", "39", "0"};
    t.bottomRightLongitude = {"139", "46", "0"};
    t.eastWestDistance = "1852";
    t.northSouthDistance = "926";
    return t;
}

// The job those settings make; other bitmap sizes (multiples of 160) for tests that need
// a larger grid.
inline ConversionJob workedExampleJob(int32_t width = 480, int32_t height = 480) {
    ConversionJob job;
    std::strcpy(job.mapName, "SAMPLE MAP");
    std::strcpy(job.folderName, "area01");
    job.pixelDataOffset = 54;
    job.bitmapWidth = width;
    job.bitmapHeight = height;
    job.tileColumns = width / 160;
    job.tileRows = height / 160;
    job.tileCount = job.tileColumns * job.tileRows;
    job.topLeftLatitude = 128400000;
    job.topLeftLongitude = 503100000;
    job.bottomRightLatitude = 128340000;
    job.bottomRightLongitude = 503160000;
    job.eastWestDistance = 18520;
    job.northSouthDistance = 9260;
    return job;
}

inline std::vector<uint8_t> workedExampleIndex() {
    return {std::begin(kWorkedExampleIndex), std::end(kWorkedExampleIndex)};
}

// All 160 bytes of tile (2, 1)'s header.
inline std::vector<uint8_t> workedExampleTile21Header() {
    std::vector<uint8_t> header(std::begin(kWorkedExampleTile21Header), std::end(kWorkedExampleTile21Header));
    header.resize(160, 0);
    return header;
}

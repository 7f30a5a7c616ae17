#pragma once
// The job of the worked example: SAMPLE MAP in folder area01, a 480 by 480 bitmap,
// 35°40' N 139°45' E to 35°39' N 139°46' E, 1852 m by 926 m.

#include <cstring>

#include "ConversionJob.h"

inline ConversionJob workedExampleJob() {
    ConversionJob job;
    std::strcpy(job.mapName, "SAMPLE MAP");
    std::strcpy(job.folderName, "area01");
    job.pixelDataOffset = 54;
    job.bitmapWidth = 480;
    job.bitmapHeight = 480;
    job.tileColumns = 3;
    job.tileRows = 3;
    job.tileCount = 9;
    job.topLeftLatitude = 128400000;
    job.topLeftLongitude = 503100000;
    job.bottomRightLatitude = 128340000;
    job.bottomRightLongitude = 503160000;
    job.eastWestDistance = 18520;
    job.northSouthDistance = 9260;
    return job;
}

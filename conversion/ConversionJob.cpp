#include "ConversionJob.h"

#include <cstring>

void resetJob(ConversionJob& job) {
    std::memset(job.bitmapPath, 0, sizeof job.bitmapPath);
    std::memset(job.mapName, 0, sizeof job.mapName);
    std::memset(job.folderName, 0, sizeof job.folderName);
    job.bitmapAccepted = 0;
    job.tileCount = 0;
    job.bitmapWidth = 0;
    job.bitmapHeight = 0;
    job.tileColumns = 0;
    job.tileRows = 0;
    job.topLeftLatitude = 0;
    job.topLeftLongitude = 0;
    job.bottomRightLatitude = 0;
    job.bottomRightLongitude = 0;
    job.eastWestDistance = 0;
    job.northSouthDistance = 0;
    job.dither = 0;
}

void setJobGrid(ConversionJob& job, int32_t width, int32_t height) {
    job.bitmapWidth = width;
    job.bitmapHeight = height;
    job.tileColumns = width / kTileSide;
    job.tileRows = height / kTileSide;
    job.tileCount = static_cast<int32_t>(static_cast<uint32_t>(job.tileColumns) * static_cast<uint32_t>(job.tileRows));
}

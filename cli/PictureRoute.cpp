// Which pictures probe and preview read through GDAL, in the Linux build: every one that
// is not taken for a bitmap (BitmapFacts.h). Bitmaps keep the conversion's own reader, which needs no GDAL and
// starts at once.

#include "BitmapFacts.h"
#include "PictureArguments.h"
#include "Quoted.h"

std::string pictureNeedsGdal(const std::string& path) {
    if (takenForBitmap(path, platformFileReading())) return "";
    return quoted(path) + ", a picture other than a bitmap,";
}

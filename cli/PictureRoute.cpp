// Which pictures probe and preview read through GDAL, in the Linux build: every one that
// is not a bitmap. Bitmaps keep the conversion's own reader, which needs no GDAL and
// starts at once.

#include "BitmapFacts.h"
#include "PictureArguments.h"
#include "Quoted.h"

std::string pictureNeedsGdal(const std::string& path) {
    BitmapFacts facts = readBitmapFacts(path.c_str(), platformFileReading());
    // A path that leads to no readable file is the bitmap reader's to name.
    if (!facts.opened || facts.reading != HeaderReading::NotBitmap) return "";
    return quoted(path) + ", a picture other than a bitmap,";
}

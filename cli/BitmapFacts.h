#pragma once
// What a bitmap file's headers say, read for the user whether or not the conversion takes
// the file: size, bits per pixel, compression, header size, row order, and the file's
// size against the size its headers need. And what to do about a refused one.
//
// The conversion's probe decides; this only reports, so it reads the headers by the
// layout their kind declares (BitmapHeaders.h), the 12-byte OS/2 header included.

#include <cstdint>
#include <string>
#include <vector>

#include "BitmapHeaders.h"
#include "FileServices.h"
#include "JsonWriter.h"

struct BitmapFacts {
    bool found = false;        // a file stands at the path
    bool opened = false;       // and could be opened for reading
    int64_t fileSize = -1;     // bytes, when known
    HeaderReading reading = HeaderReading::NotBitmap;
    BitmapHeaders headers;     // each kind by its own layout; whole when reading is Read
    // Bytes the headers and pixels take: the pixel-data offset plus the padded rows;
    // 0 when the compression makes it unknowable from the headers.
    uint64_t sizeNeeded = 0;

    bool isBitmap() const { return opened && reading == HeaderReading::Read; }
};

BitmapFacts readBitmapFacts(const char* path, FileReading& files);

// Whether the file at path is the bitmap reader's to take or refuse: a name that ends in
// ".bmp" (whatever it holds), a file that starts with "BM", or a path that leads to no
// file that opens, which the bitmap reader names as such. Any other picture is for GDAL,
// where the build has it.
bool takenForBitmap(const std::string& path, FileReading& files);

// "none", "RLE8", "bit fields", ... for a compression value.
std::string compressionName(uint32_t compression);

// The facts as the probe prints them, one "name: value" line each, for what was read.
std::string factLines(const BitmapFacts& facts);

// The facts in one line, for convert's refusal: "2000 × 1333 pixels, 24 bits per pixel, ...".
std::string factSummary(const BitmapFacts& facts);

// The facts as the members of a JSON object (the object is opened and closed by the caller).
void writeFactsJson(JsonWriter& json, const BitmapFacts& facts);

// What turns a refused bitmap into one the conversion takes: the nearest accepted sizes
// and the commands that make them. bitmapAsTyped names the file in the commands. Empty
// for a bitmap the headers of which are accepted, or that was not there at all.
std::vector<std::string> bitmapHints(const BitmapFacts& facts, const std::string& bitmapAsTyped);

// The nearest sizes the conversion takes (GridRule.h). Cropping is possible only when
// both cropped sides reach the smallest side.
struct AcceptedSizes {
    bool canCrop = false;
    int64_t cropWidth = 0, cropHeight = 0;
    int64_t padWidth = 0, padHeight = 0;
};
AcceptedSizes nearestAcceptedSizes(int64_t width, int64_t height);

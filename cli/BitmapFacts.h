#pragma once
// What a bitmap file's headers say, read for the user whether or not the conversion takes
// the file: size, bits per pixel, compression, header size, row order, and the file's
// size against the size its headers need. And what to do about a refused one.
//
// The conversion's probe decides; this only reports, so it reads every header kind the
// probe does not (the 12-byte OS/2 header, the 108- and 124-byte ones) as what it is.

#include <cstdint>
#include <string>
#include <vector>

#include "FileServices.h"
#include "JsonWriter.h"

struct BitmapFacts {
    bool found = false;        // a file stands at the path
    bool opened = false;       // and could be opened for reading
    int64_t fileSize = -1;     // bytes, when known
    bool signature = false;    // starts with "BM"
    bool isBitmap = false;     // "BM" and headers that are all there
    bool endsInHeaders = false;  // "BM", but the file ends inside its headers
    uint32_t infoHeaderSize = 0;   // 12, 40, 56, 108 or 124 for the known kinds
    uint32_t pixelDataOffset = 0;
    int64_t width = 0;
    int64_t height = 0;        // as stored: negative when the rows are stored top-down
    uint32_t bitsPerPixel = 0;
    uint32_t compression = 0;
    // Bytes the headers and pixels take: the pixel-data offset plus the padded rows;
    // 0 when the compression makes it unknowable from the headers.
    uint64_t sizeNeeded = 0;

    bool topDown() const { return height < 0; }
    int64_t rows() const { return height < 0 ? -height : height; }
};

BitmapFacts readBitmapFacts(const char* path, FileReading& files);

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

// The nearest sizes the conversion takes: each side a multiple of 160, at least 480.
// Cropping is possible only when both sides reach 480.
struct AcceptedSizes {
    bool canCrop = false;
    int64_t cropWidth = 0, cropHeight = 0;
    int64_t padWidth = 0, padHeight = 0;
};
AcceptedSizes nearestAcceptedSizes(int64_t width, int64_t height);

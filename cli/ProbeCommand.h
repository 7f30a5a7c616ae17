#pragma once
// tessella probe, and what it tells about a refused bitmap, which convert tells too.

#include <string>

#include "CommandLine.h"
#include "CommandOutput.h"

int runProbe(const ProbeArguments& args);

// After the conversion refused the bitmap typed as utf8Path: what its headers say, and
// what would make it one the conversion takes, as "tessella:" lines.
void explainRefusedBitmap(const std::string& utf8Path, CommandOutput& out);

// What the build without GDAL says of a picture that is no bitmap.
inline constexpr const char* kOtherPicturesHint =
    "the Linux build of tessella reads other pictures (PNG, JPEG, GeoTIFF...) through GDAL, as import reads them";

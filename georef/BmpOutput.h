#pragma once
// Writes a PixelSource as the bitmap the conversion accepts: 24 bits per pixel,
// uncompressed, bottom-up, 54 bytes of headers. Strip by strip: memory holds one row of
// tiles. The file is written under a ".part" name and appears under its own name only
// when whole; an existing file is never replaced.

#include <cstdint>
#include <functional>
#include <string>

#include "PixelSource.h"

enum class BmpWriteStatus { Written, AlreadyExists, TooLarge, CreateFailed, WriteFailed, ReadFailed };

struct BmpWriteResult {
    BmpWriteStatus status = BmpWriteStatus::Written;
    int systemError = 0;  // errno of a failed create, write or rename
};

// progress(rowsOfTilesDone, rowsOfTiles) after each row of tiles.
BmpWriteResult writeBmp(const std::string& path, PixelSource& source, int32_t width, int32_t height,
                        const std::function<void(int32_t, int32_t)>& progress = {});

#pragma once
// Writes a PixelSource as the bitmap the conversion accepts: 24 bits per pixel,
// uncompressed, bottom-up, 54 bytes of headers. Strip by strip: memory holds one row of
// tiles. The file is written through OutputFile, under a temporary name of its own, and
// appears under its own name only when whole; an existing file is never replaced.

#include <csignal>
#include <cstdint>
#include <functional>
#include <string>

#include "PixelSource.h"

enum class BmpWriteStatus { Written, AlreadyExists, TooLarge, CreateFailed, WriteFailed, ReadFailed, Interrupted };

struct BmpWriteResult {
    BmpWriteStatus status = BmpWriteStatus::Written;
    int systemError = 0;  // the file services' code of a failed create, write or rename
};

// progress(rowsOfTilesDone, rowsOfTiles) after each row of tiles. Stops between two rows
// of tiles once *stop is non-zero.
BmpWriteResult writeBmp(const std::string& path, PixelSource& source, int32_t width, int32_t height,
                        const std::function<void(int32_t, int32_t)>& progress = {},
                        const volatile std::sig_atomic_t* stop = nullptr);

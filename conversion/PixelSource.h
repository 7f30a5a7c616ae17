#pragma once
// Where the tile writer gets its pixels: the picture, one row of tiles (160 picture rows)
// at a time, as 24-bit pixels stored blue, green, red, 3 bytes each, with no gaps. The
// bitmap reader (BitmapSource.h) is the core's own source; sources that decode other
// raster formats live outside the core and hand over their pixels the same way.

#include <cstdint>
#include <vector>

#include "FileServices.h"

class PixelSource {
public:
    // Receives the picture rows of one strip.
    class RowSink {
    public:
        virtual ~RowSink() = default;
        // pixelRow is 0 to 159 within the row of tiles, top first; pixels points at the
        // strip's first pixel of that row (160 x columnCount pixels). Rows may come in any
        // order; each comes once. The pointer is valid only during the call.
        virtual void takeRow(int32_t pixelRow, const uint8_t* pixels) = 0;
    };

    virtual ~PixelSource() = default;

    // Delivers the 160 picture rows of row of tiles `row`, from the west edge of tile
    // column firstColumn for columnCount tiles, to sink. Returns how many of those tiles,
    // counted from the west, had every one of their pixels delivered: columnCount, or
    // fewer when reading failed, after which the run stops. Called from one thread at a
    // time, possibly not the thread that made the source.
    virtual int32_t readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) = 0;

    // Whether the source is still what it was when the run was checked: for a file, the
    // same file with the same size and modification time. Called once, at the end.
    virtual bool unchanged() = 0;

    // The files on disk the pixels come from, so that no output takes the place of one.
    virtual void inputFiles(std::vector<FileIdentity>& files) const { (void)files; }
};

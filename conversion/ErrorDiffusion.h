#pragma once
// Floyd-Steinberg error diffusion ahead of the colour reduction, for photographs: each
// pixel's difference from the colour of the index it becomes is passed on to the pixels
// not yet reduced (7/16 to the next one in its row, 3/16, 5/16 and 1/16 to the three below
// it), so an area keeps its tone on average in the palette's 231 colours. The rows go
// serpentine: even picture rows west to east, odd rows east to west. A pixel of a palette
// colour in an area of that colour has no difference to pass on, so flat palette colours
// stay exact. The arithmetic is in whole sixteenths: the same indices on every machine.
//
// A strip is taken whole, at the picture's full width, with its rows in whatever order the
// source delivers them, and reduced top row first; one row of error is carried from each
// strip to the next. So the indices depend on the picture alone, never on how the writer
// cuts it into batches of tiles or on the order of the source's reads.

#include <cstdint>

#include "Buffer.h"
#include "ConversionJob.h"
#include "PixelSource.h"

class ErrorDiffusion {
public:
    // Takes the memory for strips of this many tile columns: about 4 bytes for each pixel of
    // a strip. False when it cannot be had.
    bool allocate(int32_t tileColumns);
    bool allocated() const { return width_ > 0; }

    // Reads strip `stripRow` (a row of tiles) from the source at the full width and reduces
    // it. Strip 0 starts with no error; any other must be the one after the strip taken
    // before. False when the source could not deliver every tile of the strip.
    bool takeStrip(PixelSource& source, int32_t stripRow);
    // What the last takeStrip returned.
    bool stripWhole() const { return stripWhole_; }

    // Pixel row 0 to 159 of the last strip diffused, as received (blue, green, red), and
    // its palette indices; each row is the picture's full width.
    const uint8_t* pixelRow(int32_t pixelRow) const {
        return pixels_.data() + static_cast<size_t>(pixelRow) * width_ * 3;
    }
    const uint8_t* indexRow(int32_t pixelRow) const {
        return indices_.data() + static_cast<size_t>(pixelRow) * width_;
    }
    int32_t width() const { return width_; }

private:
    class Rows final : public PixelSource::RowSink {
    public:
        explicit Rows(ErrorDiffusion& owner) : owner_(owner) {}
        void takeRow(int32_t pixelRow, const uint8_t* pixels) override;

    private:
        ErrorDiffusion& owner_;
    };

    void diffuse(int32_t stripRow);
    int16_t* errorRow(int which) { return reinterpret_cast<int16_t*>(errors_.data()) + which * errorRowLength(); }
    size_t errorRowLength() const { return 3 * (static_cast<size_t>(width_) + 2); }

    int32_t width_ = 0;  // pixels
    Buffer pixels_;      // 160 rows of the strip, 3 bytes a pixel
    Buffer indices_;     // 160 rows of palette indices
    Buffer errors_;      // two rows of error in sixteenths, with a pixel of margin each side
    int current_ = 0;    // which of the two holds the error for the next row to be reduced
    bool stripWhole_ = false;
    Rows sink_{*this};
};

#pragma once
// Writing a picture row by row, top row first, into a PNG file: an 8-bit palette picture
// or a 24-bit red-green-blue one. libpng writes it on Linux (PngWriterLibpng.cpp), the
// Windows Imaging Component on Windows (PngWriterWic.cpp).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "OutputFile.h"
#include "Palette.h"

struct ImageLayout {
    int32_t width = 0;
    int32_t height = 0;
    bool indexed = true;                  // rows of palette indices, else of red, green, blue
    std::vector<palette::Colour> colours; // the palette of an indexed picture
    int transparentIndex = -1;            // a palette entry drawn fully transparent, or -1
};

class ImageWriter {
public:
    virtual ~ImageWriter() = default;
    // One row: width indices, or 3 x width bytes red, green, blue. False once writing failed.
    virtual bool writeRow(const uint8_t* row) = 0;
    // Completes the file after the last row. False if it could not be completed.
    virtual bool finish() = 0;
    // Why writing failed, for messages.
    virtual std::string failure() const = 0;
};

// Writes what comes before the rows into the file, which stays the caller's: the writer
// only writes through it, and the caller puts it in place once finish() succeeded. Null
// with a reason on failure.
std::unique_ptr<ImageWriter> createPngWriter(OutputFile& file, const ImageLayout& layout, std::string& reason);

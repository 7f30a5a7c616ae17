#pragma once
// The headers at the start of a bitmap file, and the one reader of them. Every field is
// little-endian:
//
//   file header, 14 bytes                 information header, 40 bytes (12 in the OS/2 kind;
//    0  "BM"                               the later kinds, 52 to 124 bytes, start as the
//    2  file size (never trusted)          40-byte one does)
//    6  reserved, 4 bytes                  14  its size
//   10  offset of the pixel data           18  width (signed; 16 bits, unsigned, in OS/2's)
//                                          22  height (signed, negative: rows stored top-down)
//                                          26  planes
//                                          28  bits per pixel
//                                          30  compression (0: none)
//
// Two readings of the same bytes. The conversion reads every file as the 40-byte kind,
// whatever its size field says: those fields decide, and a file shorter than the 54 bytes
// is no bitmap to it. The report (tessella probe) reads each kind by its own layout and
// tells a damaged file (it ends inside its headers, or gives a header size no kind has)
// from one it can read but the conversion does not take (OS/2 header, not 24 bits,
// compressed, top-down).

#include <cstddef>
#include <cstdint>

#include "FileServices.h"

inline constexpr int kBitmapFileHeaderSize = 14;
inline constexpr uint32_t kBitmapCoreHeaderSize = 12;   // OS/2 and the first Windows
inline constexpr uint32_t kBitmapInfoHeaderSize = 40;
// What the conversion reads of every file: the file header and the 40-byte header.
inline constexpr int kBitmapHeadersSize = kBitmapFileHeaderSize + static_cast<int>(kBitmapInfoHeaderSize);

enum class HeaderLayout {
    Conversion,  // the 40-byte header's fields, whatever the size field says
    Declared,    // the fields of the kind the size field names
};

enum class HeaderReading {
    Read,           // every field was read
    NotBitmap,      // the file does not start with "BM"
    EndsInHeaders,  // damaged: the file ends inside its headers
    UnknownHeader,  // damaged: a header size below 40 other than 12 (Declared only)
};

struct BitmapHeaders {
    uint32_t fileSize = 0;         // recorded
    uint32_t pixelDataOffset = 0;  // offset
    uint32_t headerSize = 0;       // kind
    int32_t width = 0;             // columns
    int32_t height = 0;            // rows, signed
    uint16_t planes = 0;           // planes
    uint16_t bitsPerPixel = 0;     // depth
    uint32_t compression = 0;      // packing

    bool core() const { return headerSize == kBitmapCoreHeaderSize; }
    bool topDown() const { return height < 0; }
    int64_t rows() const { return height < 0 ? -static_cast<int64_t>(height) : height; }
};

// Reads the headers from the first `count` bytes of a file.
HeaderReading readBitmapHeaders(const uint8_t* bytes, size_t count, HeaderLayout layout, BitmapHeaders& headers);

// Reads them from an open file, never more than its first kBitmapHeadersSize bytes: the
// fields of every kind lie there.
HeaderReading readBitmapHeaders(FileReading& files, FileReading::Handle file, HeaderLayout layout,
                                BitmapHeaders& headers);

// Why the conversion does not take a bitmap whose headers were read whole by their
// declared layout, in the order its probe asks; None for the kind it takes.
enum class UnsupportedKind { None, CoreHeader, NotTrueColour, Compressed, TopDown };
UnsupportedKind unsupportedKind(const BitmapHeaders& headers);

// A width or height no picture can have: zero, or a negative width.
bool impossibleSize(const BitmapHeaders& headers);

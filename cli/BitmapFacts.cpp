#include "BitmapFacts.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;  // OS/2 and early Windows: 16-bit sizes
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int64_t kTileSide = 160;
constexpr int64_t kMinimumSide = 480;

uint32_t little16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }
uint32_t little32(const uint8_t* p) { return little16(p) | little16(p + 2) << 16; }

uint64_t neededBytes(const BitmapFacts& f) {
    bool rowsUncompressed = f.compression == 0 || f.compression == 3 || f.compression == 6;
    if (!rowsUncompressed || f.width <= 0) return 0;
    unsigned __int128 rowBytes = (static_cast<unsigned __int128>(f.width) * f.bitsPerPixel + 31) / 32 * 4;
    unsigned __int128 total = f.pixelDataOffset + rowBytes * static_cast<uint64_t>(f.rows());
    return total > std::numeric_limits<uint64_t>::max() ? std::numeric_limits<uint64_t>::max()
                                                        : static_cast<uint64_t>(total);
}

// The picture's name for an ImageMagick command: as typed, quoted for the shell when it
// holds anything but letters, digits and . _ / -.
std::string shellWord(const std::string& text) {
    bool plain = !text.empty() && text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                         "0123456789._/-") == std::string::npos;
    if (plain) return text;
    std::string quotedText = "'";
    for (char c : text) quotedText += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quotedText + "'";
}

// The name of the file a hint's command writes: the picture's, with a word added.
std::string outputName(const std::string& bitmap, const std::string& word) {
    size_t slash = bitmap.find_last_of("/\\");
    size_t dot = bitmap.rfind('.');
    std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? bitmap.substr(0, dot)
                                                                                               : bitmap;
    return stem + "-" + word + ".bmp";
}

std::string size(int64_t width, int64_t height) {
    return std::to_string(width) + " \xC3\x97 " + std::to_string(height);  // U+00D7 MULTIPLICATION SIGN
}

std::string rowOrder(const BitmapFacts& f) { return f.topDown() ? "top-down" : "bottom-up"; }

}  // namespace

BitmapFacts readBitmapFacts(const char* path, FileReading& files) {
    BitmapFacts facts;
    facts.found = files.fileExists(path);
    if (!facts.found) return facts;
    FileReading::Handle file = files.openForReading(path);
    if (file == FileReading::kNoFile) return facts;
    facts.opened = true;
    facts.fileSize = files.fileSize(file);
    uint8_t headers[kFileHeaderSize + 124] = {};
    int64_t read = files.readAt(file, 0, headers, sizeof headers);
    files.close(file);
    if (read < 2 || headers[0] != 'B' || headers[1] != 'M') return facts;
    facts.signature = true;
    facts.infoHeaderSize = read >= kFileHeaderSize + 4 ? little32(headers + kFileHeaderSize) : 0;
    bool core = facts.infoHeaderSize == kCoreHeaderSize;
    int64_t headersEnd = kFileHeaderSize + (core ? kCoreHeaderSize : kInfoHeaderSize);
    if (read < headersEnd || (!core && facts.infoHeaderSize < kInfoHeaderSize)) {
        facts.endsInHeaders = read < headersEnd;
        return facts;
    }
    facts.isBitmap = true;
    facts.pixelDataOffset = little32(headers + 10);
    if (core) {
        facts.width = little16(headers + 18);
        facts.height = little16(headers + 20);
        facts.bitsPerPixel = little16(headers + 24);
    } else {
        facts.width = static_cast<int32_t>(little32(headers + 18));
        facts.height = static_cast<int32_t>(little32(headers + 22));
        facts.bitsPerPixel = little16(headers + 28);
        facts.compression = little32(headers + 30);
    }
    facts.sizeNeeded = neededBytes(facts);
    return facts;
}

std::string compressionName(uint32_t compression) {
    switch (compression) {
        case 0: return "none";
        case 1: return "RLE8";
        case 2: return "RLE4";
        case 3: return "bit fields";
        case 4: return "JPEG";
        case 5: return "PNG";
        case 6: return "alpha bit fields";
    }
    return "unknown (" + std::to_string(compression) + ")";
}

std::string factLines(const BitmapFacts& f) {
    std::string lines;
    if (f.isBitmap) {
        lines += "bits per pixel: " + std::to_string(f.bitsPerPixel) + "\n";
        lines += "compression: " + compressionName(f.compression) + "\n";
        lines += "header size: " + std::to_string(f.infoHeaderSize) + " bytes\n";
        lines += "rows stored: " + rowOrder(f) + "\n";
    } else if (f.opened) {
        lines += !f.signature      ? "kind: not a bitmap (it does not start with \"BM\")\n"
                 : f.endsInHeaders ? "kind: not a bitmap (the file ends inside its headers)\n"
                                   : "kind: not a bitmap (an unknown header of " + std::to_string(f.infoHeaderSize) +
                                         " bytes)\n";
    }
    if (f.fileSize >= 0) lines += "file size: " + std::to_string(f.fileSize) + " bytes\n";
    if (f.sizeNeeded != 0) lines += "size needed: " + std::to_string(f.sizeNeeded) + " bytes\n";
    return lines;
}

std::string factSummary(const BitmapFacts& f) {
    if (!f.opened) return "";
    std::string file = f.fileSize >= 0 ? std::to_string(f.fileSize) + " bytes" : "a file";
    if (!f.isBitmap)
        return file + (f.endsInHeaders ? ", ending inside its bitmap headers" : ", not a bitmap");
    std::string summary = size(f.width, f.rows()) + " pixels, " + std::to_string(f.bitsPerPixel) +
                          " bits per pixel, compression " + compressionName(f.compression) + ", " +
                          std::to_string(f.infoHeaderSize) + "-byte header, " + rowOrder(f) + ", " + file;
    if (f.sizeNeeded != 0) summary += " (" + std::to_string(f.sizeNeeded) + " needed)";
    return summary;
}

void writeFactsJson(JsonWriter& json, const BitmapFacts& f) {
    json.field("exists", f.found).field("opened", f.opened);
    if (f.fileSize >= 0) json.field("file_size", f.fileSize);
    json.field("bitmap", f.isBitmap);
    if (!f.isBitmap) return;
    json.field("width", f.width)
        .field("height", f.rows())
        .field("bits_per_pixel", f.bitsPerPixel)
        .field("compression", f.compression)
        .field("compression_name", compressionName(f.compression))
        .field("header_size", f.infoHeaderSize)
        .field("rows_stored", rowOrder(f))
        .field("pixel_data_offset", f.pixelDataOffset);
    if (f.sizeNeeded != 0) json.field("size_needed", f.sizeNeeded);
}

AcceptedSizes nearestAcceptedSizes(int64_t width, int64_t height) {
    auto down = [](int64_t side) { return side / kTileSide * kTileSide; };
    auto up = [](int64_t side) { return std::max(kMinimumSide, (side + kTileSide - 1) / kTileSide * kTileSide); };
    AcceptedSizes sizes;
    sizes.cropWidth = down(width);
    sizes.cropHeight = down(height);
    sizes.canCrop = sizes.cropWidth >= kMinimumSide && sizes.cropHeight >= kMinimumSide;
    sizes.padWidth = up(width);
    sizes.padHeight = up(height);
    return sizes;
}

std::vector<std::string> bitmapHints(const BitmapFacts& f, const std::string& bitmap) {
    std::vector<std::string> hints;
    if (!f.opened) return hints;
    const std::string in = shellWord(bitmap);
    bool rightKind = f.isBitmap && f.infoHeaderSize >= kInfoHeaderSize && f.bitsPerPixel == 24 &&
                     f.compression == 0 && !f.topDown();
    if (!rightKind) {
        hints.push_back("Tessella converts 24-bit uncompressed bottom-up bitmaps; ImageMagick makes one: convert " +
                        in + " -alpha off -type TrueColor BMP3:" + shellWord(outputName(bitmap, "24bit")));
        hints.push_back("or let 'tessella import' read the picture as it is, where this build has it");
    }
    if (!f.isBitmap || f.width <= 0 || f.rows() <= 0) return hints;
    bool rightSize = f.width >= kMinimumSide && f.rows() >= kMinimumSide && f.width % kTileSide == 0 &&
                     f.rows() % kTileSide == 0;
    if (rightSize) return hints;
    AcceptedSizes sizes = nearestAcceptedSizes(f.width, f.rows());
    std::string pad = size(sizes.padWidth, sizes.padHeight);
    std::string padGeometry = std::to_string(sizes.padWidth) + "x" + std::to_string(sizes.padHeight);
    if (sizes.canCrop) {
        std::string cropGeometry = std::to_string(sizes.cropWidth) + "x" + std::to_string(sizes.cropHeight);
        hints.push_back("the nearest sizes Tessella converts: crop " + size(f.width, f.rows()) + " to " +
                        size(sizes.cropWidth, sizes.cropHeight) + " or pad it to " + pad);
        hints.push_back("with ImageMagick: convert " + in + " -crop " + cropGeometry + "+0+0 +repage " +
                        "-alpha off -type TrueColor BMP3:" + shellWord(outputName(bitmap, cropGeometry)) +
                        ", or convert " + in + " -background white -extent " + padGeometry +
                        " -alpha off -type TrueColor BMP3:" + shellWord(outputName(bitmap, padGeometry)));
    } else {
        hints.push_back("the nearest size Tessella converts: pad " + size(f.width, f.rows()) + " to " + pad);
        hints.push_back("with ImageMagick: convert " + in + " -background white -extent " + padGeometry +
                        " -alpha off -type TrueColor BMP3:" + shellWord(outputName(bitmap, padGeometry)));
    }
    hints.push_back("both keep the top-left corner and move the bottom-right one with the picture's edge: "
                    "give the corners and distances of the new picture");
    return hints;
}

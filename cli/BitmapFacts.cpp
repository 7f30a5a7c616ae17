#include "BitmapFacts.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "GridRule.h"
#include "ShellWord.h"

namespace {

uint64_t neededBytes(const BitmapHeaders& h) {
    bool rowsUncompressed = h.compression == 0 || h.compression == 3 || h.compression == 6;
    if (!rowsUncompressed || h.width <= 0) return 0;
    unsigned __int128 rowBytes = (static_cast<unsigned __int128>(h.width) * h.bitsPerPixel + 31) / 32 * 4;
    unsigned __int128 total = h.pixelDataOffset + rowBytes * static_cast<uint64_t>(h.rows());
    return total > std::numeric_limits<uint64_t>::max() ? std::numeric_limits<uint64_t>::max()
                                                        : static_cast<uint64_t>(total);
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

std::string rowOrder(const BitmapHeaders& h) { return h.topDown() ? "top-down" : "bottom-up"; }

}  // namespace

BitmapFacts readBitmapFacts(const char* path, FileReading& files) {
    BitmapFacts facts;
    facts.found = files.fileExists(path);
    if (!facts.found) return facts;
    FileReading::Handle file = files.openForReading(path);
    if (file == FileReading::kNoFile) return facts;
    facts.opened = true;
    facts.fileSize = files.fileSize(file);
    facts.reading = readBitmapHeaders(files, file, HeaderLayout::Declared, facts.headers);
    files.close(file);
    if (facts.reading == HeaderReading::Read) facts.sizeNeeded = neededBytes(facts.headers);
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
    const BitmapHeaders& h = f.headers;
    if (f.isBitmap()) {
        lines += "bits per pixel: " + std::to_string(h.bitsPerPixel) + "\n";
        lines += "compression: " + compressionName(h.compression) + "\n";
        lines += "header size: " + std::to_string(h.headerSize) + " bytes\n";
        lines += "rows stored: " + rowOrder(h) + "\n";
    } else if (f.opened) {
        lines += f.reading == HeaderReading::NotBitmap ? "kind: not a bitmap (it does not start with \"BM\")\n"
                 : f.reading == HeaderReading::EndsInHeaders
                     ? "kind: not a bitmap (the file ends inside its headers)\n"
                     : "kind: not a bitmap (an unknown header of " + std::to_string(h.headerSize) + " bytes)\n";
    }
    if (f.fileSize >= 0) lines += "file size: " + std::to_string(f.fileSize) + " bytes\n";
    if (f.sizeNeeded != 0) lines += "size needed: " + std::to_string(f.sizeNeeded) + " bytes\n";
    return lines;
}

std::string factSummary(const BitmapFacts& f) {
    if (!f.opened) return "";
    std::string file = f.fileSize >= 0 ? std::to_string(f.fileSize) + " bytes" : "a file";
    if (!f.isBitmap())
        return file + (f.reading == HeaderReading::EndsInHeaders ? ", ending inside its bitmap headers"
                                                                  : ", not a bitmap");
    const BitmapHeaders& h = f.headers;
    std::string summary = size(h.width, h.rows()) + " pixels, " + std::to_string(h.bitsPerPixel) +
                          " bits per pixel, compression " + compressionName(h.compression) + ", " +
                          std::to_string(h.headerSize) + "-byte header, " + rowOrder(h) + ", " + file;
    if (f.sizeNeeded != 0) summary += " (" + std::to_string(f.sizeNeeded) + " needed)";
    return summary;
}

void writeFactsJson(JsonWriter& json, const BitmapFacts& f) {
    json.field("exists", f.found).field("opened", f.opened);
    if (f.fileSize >= 0) json.field("fileSize", f.fileSize);
    json.field("bitmap", f.isBitmap());
    if (!f.isBitmap()) return;
    const BitmapHeaders& h = f.headers;
    json.field("width", static_cast<int64_t>(h.width))
        .field("height", h.rows())
        .field("bitsPerPixel", static_cast<uint32_t>(h.bitsPerPixel))
        .field("compression", h.compression)
        .field("compressionName", compressionName(h.compression))
        .field("headerSize", h.headerSize)
        .field("rowsStored", rowOrder(h))
        .field("pixelDataOffset", h.pixelDataOffset);
    if (f.sizeNeeded != 0) json.field("sizeNeeded", f.sizeNeeded);
}

AcceptedSizes nearestAcceptedSizes(int64_t width, int64_t height) {
    AcceptedSizes sizes;
    sizes.cropWidth = croppedPictureSide(width);
    sizes.cropHeight = croppedPictureSide(height);
    sizes.canCrop = sizes.cropWidth >= kSmallestPictureSide && sizes.cropHeight >= kSmallestPictureSide;
    sizes.padWidth = paddedPictureSide(width);
    sizes.padHeight = paddedPictureSide(height);
    return sizes;
}

std::vector<std::string> bitmapHints(const BitmapFacts& f, const std::string& bitmap) {
    std::vector<std::string> hints;
    if (!f.opened) return hints;
    const std::string in = shellWord(bitmap);
    const BitmapHeaders& h = f.headers;
    if (!f.isBitmap() || unsupportedKind(h) != UnsupportedKind::None) {
        hints.push_back("Tessella converts 24-bit uncompressed bottom-up bitmaps; ImageMagick makes one: convert " +
                        in + " -alpha off -type TrueColor BMP3:" + shellWord(outputName(bitmap, "24bit")));
        hints.push_back("or let 'tessella import' read the picture as it is, where this build has it");
    }
    if (!f.isBitmap() || impossibleSize(h)) return hints;
    if (pictureSizeFit(h.width, h.rows()) == PictureSizeFit::Fits) return hints;
    AcceptedSizes sizes = nearestAcceptedSizes(h.width, h.rows());
    std::string pad = size(sizes.padWidth, sizes.padHeight);
    std::string padGeometry = std::to_string(sizes.padWidth) + "x" + std::to_string(sizes.padHeight);
    if (sizes.canCrop) {
        std::string cropGeometry = std::to_string(sizes.cropWidth) + "x" + std::to_string(sizes.cropHeight);
        hints.push_back("the nearest sizes Tessella converts: crop " + size(h.width, h.rows()) + " to " +
                        size(sizes.cropWidth, sizes.cropHeight) + " or pad it to " + pad);
        hints.push_back("with ImageMagick: convert " + in + " -crop " + cropGeometry + "+0+0 +repage " +
                        "-alpha off -type TrueColor BMP3:" + shellWord(outputName(bitmap, cropGeometry)) +
                        ", or convert " + in + " -background white -extent " + padGeometry +
                        " -alpha off -type TrueColor BMP3:" + shellWord(outputName(bitmap, padGeometry)));
    } else {
        hints.push_back("the nearest size Tessella converts: pad " + size(h.width, h.rows()) + " to " + pad);
        hints.push_back("with ImageMagick: convert " + in + " -background white -extent " + padGeometry +
                        " -alpha off -type TrueColor BMP3:" + shellWord(outputName(bitmap, padGeometry)));
    }
    hints.push_back("both keep the top-left corner and move the bottom-right one with the picture's edge: "
                    "give the corners and distances of the new picture");
    return hints;
}

bool takenForBitmap(const std::string& path, FileReading& files) {
    std::string end = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (end == ".bmp") return true;
    BitmapFacts facts = readBitmapFacts(path.c_str(), files);
    return !facts.opened || facts.reading != HeaderReading::NotBitmap;
}

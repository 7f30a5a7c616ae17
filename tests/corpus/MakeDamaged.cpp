// Writes the hand-made part of the bad-input corpus: bitmaps cut short at every header
// boundary, wrong signatures, pixel-data offsets past the end, absurd sizes whose byte
// counts overflow 32 bits, kinds other programs rarely write (a 108-byte V4 header,
// compression on a 24-bit file, a top-down picture), and sparse files of large sizes.
//
// Usage: tessella_corpus_damage OUTPUT_FOLDER
// Each file is named after its case; the verdicts expected of tessella live in
// tests/corpus/CMakeLists.txt.
//
// Stand-alone on purpose: it knows the bitmap layout itself and shares no code with the
// probe it is testing.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A complete 24-bit bottom-up bitmap with a 40-byte (or longer) information header.
Bytes goodBitmap(int32_t width, int32_t height, uint32_t infoHeaderSize = 40) {
    uint32_t offset = 14 + infoHeaderSize;
    size_t rowBytes = static_cast<size_t>(width) * 3;
    Bytes b(offset + rowBytes * static_cast<size_t>(height), 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 10, offset);
    put32(b, 14, infoHeaderSize);
    put32(b, 18, static_cast<uint32_t>(width));
    put32(b, 22, static_cast<uint32_t>(height));
    put16(b, 26, 1);   // planes
    put16(b, 28, 24);  // bits per pixel
    put32(b, 30, 0);   // compression
    put32(b, 34, static_cast<uint32_t>(rowBytes * static_cast<size_t>(height)));
    put32(b, 38, 2835);  // 72 dpi
    put32(b, 42, 2835);
    if (infoHeaderSize >= 108) put32(b, 54, 0x73524742);  // colour space "sRGB"
    // A picture with a different colour in every tile, so misplaced reads show.
    size_t at = offset;
    for (int32_t stored = 0; stored < height; ++stored) {
        int32_t y = height - 1 - stored;
        for (int32_t x = 0; x < width; ++x) {
            b[at++] = static_cast<uint8_t>(x * 7 + y);
            b[at++] = static_cast<uint8_t>((x / 160) * 60 + (y / 160) * 30);
            b[at++] = static_cast<uint8_t>(y * 3);
        }
    }
    return b;
}

// Only the 54 header bytes of a bitmap that claims the given size.
Bytes headersOnly(int32_t width, int32_t height) {
    Bytes b = goodBitmap(1, 1);
    b.resize(54);
    put32(b, 2, 54);
    put32(b, 18, static_cast<uint32_t>(width));
    put32(b, 22, static_cast<uint32_t>(height));
    put32(b, 34, 0);
    return b;
}

Bytes cut(Bytes b, size_t size) {
    b.resize(size);
    return b;
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Headers followed by a hole: the file is as long as the header promises, without
// taking the disk space (every pixel reads as black).
bool writeSparse(const std::string& path, const Bytes& headers, uint64_t totalSize) {
    if (!writeBytes(path, headers)) return false;
    return ::truncate(path.c_str(), static_cast<off_t>(totalSize)) == 0;
}

struct Case {
    const char* name;
    std::function<Bytes()> make;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " OUTPUT_FOLDER\n";
        return 2;
    }
    std::string folder = argv[1];
    ::mkdir(folder.c_str(), 0755);

    const Bytes good = goodBitmap(480, 480);
    const size_t goodSize = good.size();

    const std::vector<Case> cases = {
        // Cut short.
        {"empty", [] { return Bytes{}; }},
        {"cut-in-file-header", [&] { return cut(good, 10); }},
        {"cut-after-file-header", [&] { return cut(good, 14); }},
        {"cut-in-info-header", [&] { return cut(good, 30); }},
        {"cut-one-byte-short-of-headers", [&] { return cut(good, 53); }},
        {"headers-only", [&] { return cut(good, 54); }},
        {"cut-in-pixel-data", [&] { return cut(good, goodSize / 2); }},
        {"cut-last-byte", [&] { return cut(good, goodSize - 1); }},
        // Not a bitmap at all.
        {"signature-ba", [&] { Bytes b = good; b[1] = 'A'; return b; }},
        {"signature-lower-case", [&] { Bytes b = good; b[0] = 'b'; b[1] = 'm'; return b; }},
        {"signature-swapped", [&] { Bytes b = good; b[0] = 'M'; b[1] = 'B'; return b; }},
        {"text-file", [] {
             const char text[] = "This is a text file given a .bmp name.\n";
             return Bytes(text, text + sizeof text - 1);
         }},
        {"all-zero", [] { return Bytes(4096, 0); }},
        // Where the pixels are said to be.
        {"offset-past-end", [&] { Bytes b = good; put32(b, 10, 0xFFFFFF00u); return b; }},
        {"offset-just-past-fit", [&] { Bytes b = good; put32(b, 10, 55); return b; }},
        // An offset that makes offset + pixel bytes wrap to 54 in 32-bit arithmetic.
        {"offset-wraps-32-bits", [&] {
             Bytes b = good;
             put32(b, 10, static_cast<uint32_t>(54u - 3u * 480u * 480u));
             return b;
         }},
        {"offset-zero", [&] { Bytes b = good; put32(b, 10, 0); return b; }},
        {"trailing-bytes", [&] { Bytes b = good; b.resize(goodSize + 1000, 0xAB); return b; }},
        // Sizes.
        {"width-zero", [&] { Bytes b = good; put32(b, 18, 0); return b; }},
        {"height-zero", [&] { Bytes b = good; put32(b, 22, 0); return b; }},
        {"width-negative", [&] { Bytes b = good; put32(b, 18, static_cast<uint32_t>(-480)); return b; }},
        {"top-down", [&] { Bytes b = good; put32(b, 22, static_cast<uint32_t>(-480)); return b; }},
        {"width-int32-min", [&] { Bytes b = good; put32(b, 18, 0x80000000u); return b; }},
        {"width-int32-max", [&] { Bytes b = good; put32(b, 18, 0x7FFFFFFFu); return b; }},
        {"height-int32-max", [&] { Bytes b = good; put32(b, 22, 0x7FFFFFFFu); return b; }},
        // The widest multiple of 160 below 2^31: 13421772 columns of tiles.
        {"width-largest-multiple", [&] { Bytes b = good; put32(b, 18, 2147483520u); return b; }},
        {"both-largest-multiple", [] { return headersOnly(2147483520, 2147483520); }},
        // 327680 x 327680 x 3 = 25 x 3 x 2^32: the byte count is 0 modulo 2^32.
        {"pixel-bytes-wrap-to-zero", [] { return headersOnly(327680, 327680); }},
        // 65600 x 65600 pixels: the pixel count alone passes 2^32.
        {"pixel-count-over-32-bits", [] { return headersOnly(65600, 65600); }},
        // Kinds.
        {"bits-32", [&] { Bytes b = good; put16(b, 28, 32); return b; }},
        {"bits-zero", [&] { Bytes b = good; put16(b, 28, 0); return b; }},
        {"bits-24-rle8", [&] { Bytes b = good; put32(b, 30, 1); return b; }},
        {"bits-24-bitfields", [&] { Bytes b = good; put32(b, 30, 3); return b; }},
        {"bits-24-jpeg", [&] { Bytes b = good; put32(b, 30, 4); return b; }},
        {"bits-8-rle8", [&] { Bytes b = good; put16(b, 28, 8); put32(b, 30, 1); return b; }},
        {"v4-header-24-bit", [] { return goodBitmap(480, 480, 108); }},
        {"v5-header-640x480", [] { return goodBitmap(640, 480, 124); }},
        {"good-480x960", [] { return goodBitmap(480, 960); }},
    };

    int failures = 0;
    for (const Case& c : cases) {
        if (!writeBytes(folder + "/" + c.name + ".bmp", c.make())) {
            std::cerr << "cannot write " << c.name << "\n";
            ++failures;
        }
    }

    // Large but sound pictures, as sparse files: the first is 65600 x 480 (410 columns,
    // 1230 tiles); the second is 160160 x 480, whose columns reach 1000 and more.
    struct Sparse {
        const char* name;
        int32_t width, height;
    };
    for (Sparse s : {Sparse{"sparse-65600x480", 65600, 480}, Sparse{"sparse-160160x480", 160160, 480}}) {
        Bytes headers = headersOnly(s.width, s.height);
        uint64_t total = 54 + 3ull * static_cast<uint64_t>(s.width) * static_cast<uint64_t>(s.height);
        put32(headers, 2, static_cast<uint32_t>(total));
        if (!writeSparse(folder + "/" + s.name + ".bmp", headers, total)) {
            std::cerr << "cannot write " << s.name << "\n";
            ++failures;
        }
    }

    // A folder where a bitmap is expected, and a named pipe nobody writes to.
    ::mkdir((folder + "/folder-named-bmp.bmp").c_str(), 0755);
    ::unlink((folder + "/named-pipe.bmp").c_str());
    if (::mkfifo((folder + "/named-pipe.bmp").c_str(), 0644) != 0) {
        std::cerr << "cannot make named-pipe.bmp\n";
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}

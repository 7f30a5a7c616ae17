// What the command line reads from a bitmap's headers for its report, and the sizes it
// offers for a refused one.

#include <gtest/gtest.h>

#include "BitmapFacts.h"
#include "TempFolder.h"
#include "TestBitmap.h"

namespace {

struct FactsCase {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string summary;
};

// A 12-byte OS/2 header: 16-bit width and height, then planes and bits per pixel.
std::vector<uint8_t> coreHeaders() {
    std::vector<uint8_t> bytes = {'B', 'M', 26, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0,
                                  0xE0, 1, 0xE0, 1, 1, 0, 24, 0};
    return bytes;
}

TEST(BitmapFacts, HeadersAreReadWhateverTheProbeMakesOfThem) {
    std::vector<uint8_t> whole = makeBitmap(480, 320, patternPixel);
    std::vector<uint8_t> cut = bitmapHeaders(headerFields(480, 480));
    cut.resize(40);
    const FactsCase cases[] = {
        {"accepted", whole, "480 \xC3\x97 320 pixels, 24 bits per pixel, compression none, 40-byte header, "
                            "bottom-up, 460854 bytes (460854 needed)"},
        {"top-down", bitmapHeaders(headerFields(2000, -1333)), "2000 \xC3\x97 1333 pixels, 24 bits per pixel, compression "
                                                         "none, 40-byte header, top-down, 54 bytes (7998054 needed)"},
        {"8-bit", bitmapHeaders(headerFields(641, 480, 8)), "641 \xC3\x97 480 pixels, 8 bits per pixel, compression none, "
                                                      "40-byte header, bottom-up, 54 bytes (309174 needed)"},
        {"RLE8", bitmapHeaders(headerFields(640, 480, 8, 1)), "640 \xC3\x97 480 pixels, 8 bits per pixel, compression RLE8, "
                                                        "40-byte header, bottom-up, 54 bytes"},
        {"OS/2", coreHeaders(), "480 \xC3\x97 480 pixels, 24 bits per pixel, compression none, 12-byte header, "
                                "bottom-up, 26 bytes (691226 needed)"},
        {"cut", cut, "40 bytes, ending inside its bitmap headers"},
        {"text", {'h', 'i'}, "2 bytes, not a bitmap"},
        {"absurd", bitmapHeaders(headerFields(2147483520, 2147483520)),
         "2147483520 \xC3\x97 2147483520 pixels, 24 bits per pixel, compression none, 40-byte header, bottom-up, "
         "54 bytes (13835056406014771254 needed)"},
    };
    TempFolder folder;
    for (const FactsCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = (folder.path() / "map.bmp").string();
        writeFile(path, c.bytes);
        EXPECT_EQ(factSummary(readBitmapFacts(path.c_str(), platformFileReading())), c.summary);
    }
    BitmapFacts missing = readBitmapFacts((folder.path() / "none.bmp").string().c_str(), platformFileReading());
    EXPECT_FALSE(missing.found);
    EXPECT_EQ(factSummary(missing), "");
}

// What stays with the bitmap reader, whatever it holds, and what goes to GDAL.
TEST(BitmapFacts, TakenForABitmapByItsNameOrItsFirstBytes) {
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;  // none: no file
        bool taken;
    } cases[] = {
        {"map.bmp", {'h', 'i'}, true},   {"MAP.BMP", png, true},          {"map.png", {'B', 'M', 0}, true},
        {"map.png", png, false},         {"map.tif", {}, true},           {"map", {'h', 'i'}, false},
        {"bmp", png, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        std::string path = (folder.path() / c.name).string();
        if (!c.bytes.empty()) writeFile(path, c.bytes);
        EXPECT_EQ(takenForBitmap(path, platformFileReading()), c.taken);
    }
}

struct SizeCase {
    int64_t width, height;
    bool canCrop;
    int64_t cropWidth, cropHeight, padWidth, padHeight;
};

TEST(BitmapFacts, NearestAcceptedSizes) {
    const SizeCase cases[] = {
        {2000, 1333, true, 1920, 1280, 2080, 1440},
        {960, 641, true, 960, 640, 960, 800},
        {479, 640, false, 320, 640, 480, 640},
        {300, 200, false, 160, 160, 480, 480},
        {1, 1, false, 0, 0, 480, 480},
    };
    for (const SizeCase& c : cases) {
        AcceptedSizes sizes = nearestAcceptedSizes(c.width, c.height);
        EXPECT_EQ(sizes.canCrop, c.canCrop) << c.width << "x" << c.height;
        if (c.canCrop) {
            EXPECT_EQ(sizes.cropWidth, c.cropWidth) << c.width;
            EXPECT_EQ(sizes.cropHeight, c.cropHeight) << c.height;
        }
        EXPECT_EQ(sizes.padWidth, c.padWidth) << c.width;
        EXPECT_EQ(sizes.padHeight, c.padHeight) << c.height;
    }
}

}  // namespace

// The one reader of a bitmap's headers: the conversion's reading (the 40-byte kind's
// fields, whatever the size field says) beside the report's (each kind by its layout),
// damaged files told from the kinds the conversion does not take, and the picture sizes
// the grid rule takes.

#include <gtest/gtest.h>

#include "BitmapHeaders.h"
#include "GridRule.h"
#include "TestBitmap.h"

namespace {

// A 12-byte OS/2 header, 640 x 480 at 24 bits, then pixel bytes where the 40-byte kind
// keeps its bits per pixel and compression.
std::vector<uint8_t> coreHeaders() {
    std::vector<uint8_t> bytes = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0,
                                  0x80, 2, 0xE0, 1, 1, 0, 24, 0};
    bytes.resize(kBitmapHeadersSize, 0x11);
    return bytes;
}

std::vector<uint8_t> cut(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

TEST(BitmapHeaders, EachReadingOfTheSameBytes) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        HeaderReading conversion, declared;
    };
    const std::vector<uint8_t> whole = bitmapHeaders(headerFields(640, 480));
    const Case cases[] = {
        {"whole", whole, HeaderReading::Read, HeaderReading::Read},
        {"empty", {}, HeaderReading::NotBitmap, HeaderReading::NotBitmap},
        {"one byte", {'B'}, HeaderReading::NotBitmap, HeaderReading::NotBitmap},
        {"signature swapped", [] { auto b = bitmapHeaders(headerFields(640, 480)); b[0] = 'M'; b[1] = 'B'; return b; }(),
         HeaderReading::NotBitmap, HeaderReading::NotBitmap},
        {"signature only", cut(whole, 2), HeaderReading::EndsInHeaders, HeaderReading::EndsInHeaders},
        {"ends in the size field", cut(whole, 17), HeaderReading::EndsInHeaders, HeaderReading::EndsInHeaders},
        {"ends in the info header", cut(whole, 30), HeaderReading::EndsInHeaders, HeaderReading::EndsInHeaders},
        {"one byte short", cut(whole, 53), HeaderReading::EndsInHeaders, HeaderReading::EndsInHeaders},
        // The OS/2 kind is whole in 26 bytes; the conversion needs its 54.
        {"OS/2", coreHeaders(), HeaderReading::Read, HeaderReading::Read},
        {"OS/2, 26 bytes", cut(coreHeaders(), 26), HeaderReading::EndsInHeaders, HeaderReading::Read},
        {"OS/2, 25 bytes", cut(coreHeaders(), 25), HeaderReading::EndsInHeaders, HeaderReading::EndsInHeaders},
        // A size no kind has: damaged to the report, never looked at by the conversion.
        {"header size 0", bitmapHeaders(headerFields(640, 480, 24, 0, 0)), HeaderReading::Read,
         HeaderReading::UnknownHeader},
        {"header size 39", bitmapHeaders(headerFields(640, 480, 24, 0, 39)), HeaderReading::Read,
         HeaderReading::UnknownHeader},
        {"V5 header", bitmapHeaders(headerFields(640, 480, 24, 0, 124)), HeaderReading::Read, HeaderReading::Read},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BitmapHeaders h;
        EXPECT_EQ(readBitmapHeaders(c.bytes.data(), c.bytes.size(), HeaderLayout::Conversion, h), c.conversion);
        EXPECT_EQ(readBitmapHeaders(c.bytes.data(), c.bytes.size(), HeaderLayout::Declared, h), c.declared);
    }
}

TEST(BitmapHeaders, FieldsAsEachReadingFindsThem) {
    std::vector<uint8_t> core = coreHeaders();
    BitmapHeaders h;
    ASSERT_EQ(readBitmapHeaders(core.data(), core.size(), HeaderLayout::Declared, h), HeaderReading::Read);
    EXPECT_EQ(h.headerSize, 12u);
    EXPECT_EQ(h.width, 640);
    EXPECT_EQ(h.height, 480);
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bitsPerPixel, 24);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.pixelDataOffset, 26u);
    // As the conversion reads it: the 16-bit sides run together, pixel bytes in place of
    // bits per pixel and compression.
    ASSERT_EQ(readBitmapHeaders(core.data(), core.size(), HeaderLayout::Conversion, h), HeaderReading::Read);
    EXPECT_EQ(h.width, 640 + (480 << 16));
    EXPECT_EQ(h.height, 1 + (24 << 16));
    EXPECT_EQ(h.bitsPerPixel, 0x1111);
    EXPECT_EQ(h.compression, 0x11111111u);

    BitmapHeaderFields f = headerFields(-2147483647 - 1, -480, 24, 3, 108);
    f.pixelDataOffset = 0xFFFFFFFF;
    std::vector<uint8_t> bytes = bitmapHeaders(f);
    ASSERT_EQ(readBitmapHeaders(bytes.data(), bytes.size(), HeaderLayout::Declared, h), HeaderReading::Read);
    EXPECT_EQ(h.width, INT32_MIN);
    EXPECT_EQ(h.height, -480);
    EXPECT_TRUE(h.topDown());
    EXPECT_EQ(h.rows(), 480);
    EXPECT_EQ(h.compression, 3u);
    EXPECT_EQ(h.pixelDataOffset, 0xFFFFFFFFu);
    f.height = INT32_MIN;
    bytes = bitmapHeaders(f);
    ASSERT_EQ(readBitmapHeaders(bytes.data(), bytes.size(), HeaderLayout::Declared, h), HeaderReading::Read);
    EXPECT_EQ(h.rows(), 2147483648LL) << "the rows of the lowest height are counted without overflow";
}

TEST(BitmapHeaders, UnsupportedKindsAndImpossibleSizes) {
    struct Case {
        const char* what;
        BitmapHeaders headers;
        UnsupportedKind kind;
        bool impossible;
    };
    auto h = [](uint32_t size, int32_t width, int32_t height, uint16_t bits, uint32_t compression) {
        BitmapHeaders headers;
        headers.headerSize = size;
        headers.width = width;
        headers.height = height;
        headers.bitsPerPixel = bits;
        headers.compression = compression;
        return headers;
    };
    const Case cases[] = {
        {"the kind converted", h(40, 640, 480, 24, 0), UnsupportedKind::None, false},
        {"V5, the kind converted", h(124, 640, 480, 24, 0), UnsupportedKind::None, false},
        {"OS/2 at 24 bits", h(12, 640, 480, 24, 0), UnsupportedKind::CoreHeader, false},
        {"8 bits, RLE8: bits first", h(40, 640, 480, 8, 1), UnsupportedKind::NotTrueColour, false},
        {"24 bits, bit fields", h(40, 640, 480, 24, 3), UnsupportedKind::Compressed, false},
        {"compressed and top-down", h(40, 640, -480, 24, 1), UnsupportedKind::Compressed, false},
        {"top-down", h(40, 640, -480, 24, 0), UnsupportedKind::TopDown, false},
        {"zero width", h(40, 0, 480, 24, 0), UnsupportedKind::None, true},
        {"negative width", h(40, -640, 480, 24, 0), UnsupportedKind::None, true},
        {"zero height", h(40, 640, 0, 24, 0), UnsupportedKind::None, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unsupportedKind(c.headers), c.kind) << c.what;
        EXPECT_EQ(impossibleSize(c.headers), c.impossible) << c.what;
    }
}

TEST(GridRule, PictureSizesTheConversionTakes) {
    struct Case {
        int64_t width, height;
        PictureSizeFit fit;
    };
    const Case cases[] = {
        {480, 480, PictureSizeFit::Fits},
        {kLargestPictureSide, 480, PictureSizeFit::Fits},
        {479, 640, PictureSizeFit::TooSmall},
        {640, -480, PictureSizeFit::TooSmall},
        {400, 400, PictureSizeFit::TooSmall},  // too small before off the grid
        {500, 480, PictureSizeFit::OffTheGrid},
        {480, INT32_MAX, PictureSizeFit::OffTheGrid},
    };
    for (const Case& c : cases) EXPECT_EQ(pictureSizeFit(c.width, c.height), c.fit) << c.width << "x" << c.height;

    struct Side {
        int64_t pixels, padded, cropped, nearest;
    };
    const Side sides[] = {
        {1, 480, 0, 480},
        {479, 480, 320, 480},
        {641, 800, 640, 640},
        {720, 800, 640, 800},  // halfway rounds up
        {INT32_MAX, 2147483680, 2147483520, 2147483680},  // past 32 bits, not wrapped
    };
    for (const Side& s : sides) {
        EXPECT_EQ(paddedPictureSide(s.pixels), s.padded) << s.pixels;
        EXPECT_EQ(croppedPictureSide(s.pixels), s.cropped) << s.pixels;
        EXPECT_EQ(nearestPictureSide(s.pixels), s.nearest) << s.pixels;
    }
}

}  // namespace

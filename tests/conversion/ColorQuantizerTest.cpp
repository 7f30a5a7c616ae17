#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "ColorQuantizer.h"
#include "ColorQuantizerKernels.h"
#include "ForcedRowKernel.h"

using namespace ColorQuantizer;
using detail::RowKernel;

namespace {

struct PixelCase {
    uint8_t red, green, blue;
    uint8_t index;
};

// Worked examples, grey ramp and band bounds, special colours and their neighbours.
const PixelCase kPixelCases[] = {
    // worked examples
    {0, 0, 0, 230}, {255, 255, 255, 0}, {128, 128, 128, 220}, {192, 192, 192, 225},
    {100, 100, 100, 165}, {128, 0, 0, 226}, {0, 128, 128, 229}, {0, 0, 128, 203},
    {255, 0, 0, 125}, {0, 255, 0, 210}, {0, 0, 255, 95}, {200, 100, 30, 135},
    {20, 20, 21, 230},
    // grey ramp bounds
    {1, 1, 1, 215}, {17, 17, 17, 215}, {18, 18, 18, 216}, {34, 34, 34, 216}, {35, 35, 35, 190},
    {51, 51, 51, 190}, {52, 52, 52, 217}, {187, 187, 187, 222}, {188, 188, 188, 225},
    {193, 193, 193, 25}, {204, 204, 204, 25}, {205, 205, 205, 223}, {238, 238, 238, 224},
    {239, 239, 239, 0}, {20, 20, 20, 216}, {140, 140, 140, 50},
    // near-greys go to the cube
    {1, 1, 0, 230}, {254, 255, 255, 0}, {128, 128, 129, 165},
    // special colours, and colours one step away from them
    {0, 128, 0, 228}, {0, 128, 128, 229}, {128, 0, 0, 226}, {128, 0, 128, 227},
    {128, 0, 1, 179}, {1, 128, 0, 213}, {0, 127, 0, 213}, {0, 128, 129, 201},
    {0, 0, 128, 203}, {128, 128, 0, 177}, {128, 128, 255, 57},
    // band bounds of red, green and blue with the other channels at 0
    {23, 0, 0, 230}, {24, 0, 0, 197}, {76, 0, 0, 197}, {77, 0, 0, 179}, {143, 0, 0, 179},
    {144, 0, 0, 161}, {191, 0, 0, 161}, {192, 0, 0, 143}, {239, 0, 0, 143}, {240, 0, 0, 125},
    {0, 23, 0, 230}, {0, 24, 0, 214}, {0, 76, 0, 214}, {0, 77, 0, 213}, {0, 143, 0, 213},
    {0, 144, 0, 212}, {0, 191, 0, 212}, {0, 192, 0, 211}, {0, 239, 0, 211}, {0, 240, 0, 210},
    {0, 0, 23, 230}, {0, 0, 24, 209}, {0, 0, 76, 209}, {0, 0, 77, 203}, {0, 0, 143, 203},
    {0, 0, 144, 107}, {0, 0, 191, 107}, {0, 0, 192, 101}, {0, 0, 239, 101}, {0, 0, 240, 95},
};

// One row: one piece.
void quantizeRow(const uint8_t* source, uint8_t* destination, int32_t pixelCount) {
    quantizePieces(source, 1, pixelCount, destination, pixelCount > 0 ? static_cast<size_t>(pixelCount) : 0);
}

TEST(ColorQuantizer, ClassifiesEachExamplePixel) {
    for (const PixelCase& c : kPixelCases) {
        SCOPED_TRACE(testing::Message() << "red " << int(c.red) << " green " << int(c.green)
                                        << " blue " << int(c.blue));
        EXPECT_EQ(quantizePixel(c.blue, c.green, c.red), c.index);
    }
}

TEST(ColorQuantizer, EveryConverterGivesTheExampleIndicesInARow) {
    // All cases in one row, stored blue, green, red, so the vector steps see them too.
    std::vector<uint8_t> source;
    std::vector<uint8_t> expected;
    for (const PixelCase& c : kPixelCases) {
        source.insert(source.end(), {c.blue, c.green, c.red});
        expected.push_back(c.index);
    }
    for (RowKernel kernel : availableRowKernels()) {
        ForcedRowKernel forced(kernel);
        std::vector<uint8_t> out(expected.size(), 0xEE);
        quantizeRow(source.data(), out.data(), static_cast<int32_t>(out.size()));
        EXPECT_EQ(out, expected) << detail::rowKernelName(kernel);
    }
}

TEST(ColorQuantizer, StoredByteOrderIsBlueGreenRed) {
    const uint8_t source[] = {0, 0, 255, 255, 0, 0};
    uint8_t out[2] = {};
    quantizeRow(source, out, 2);
    EXPECT_EQ(out[0], 125);  // pure red
    EXPECT_EQ(out[1], 95);   // pure blue
}

// The grey ramp, step by step: last value of each step and its index.
TEST(ColorQuantizer, GreyRampCoversEveryGreyValue) {
    const std::pair<int, uint8_t> steps[] = {
        {0, 230},   {17, 215},  {34, 216},  {51, 190},  {68, 217},  {85, 218},
        {102, 165}, {119, 219}, {136, 220}, {153, 50},  {170, 221}, {187, 222},
        {192, 225}, {204, 25},  {221, 223}, {238, 224}, {255, 0}};
    int v = 0;
    for (const auto& [upper, index] : steps) {
        for (; v <= upper; ++v) {
            auto grey = static_cast<uint8_t>(v);
            EXPECT_EQ(quantizePixel(grey, grey, grey), index) << "grey " << v;
        }
    }
}

TEST(ColorQuantizer, CubeTableFollowsItsFormulaButForTheDarkestCell) {
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                int rb = 5 - r, gb = 5 - g, bb = 5 - b;
                int expected = 108 * (bb / 3) + 18 * rb + 6 * (bb % 3) + gb;
                if (r == 0 && g == 0 && b == 0) expected = 230;
                EXPECT_EQ(CubeTable[36 * r + 6 * g + b], expected) << r << g << b;
            }
}

TEST(ColorQuantizer, TablesHoldEveryIndexOnce) {
    EXPECT_EQ(std::vector<uint8_t>(GreyTable, GreyTable + kGreyTableSize),
              (std::vector<uint8_t>{215, 216, 217, 218, 219, 220, 221, 222, 225, 223, 224}));
    EXPECT_EQ(std::vector<uint8_t>(SpecialColorTable, SpecialColorTable + kSpecialColorCount),
              (std::vector<uint8_t>{228, 229, 226, 227}));
    std::multiset<int> all;
    all.insert(CubeTable, CubeTable + kCubeTableSize);
    all.insert(GreyTable, GreyTable + kGreyTableSize);
    all.insert(SpecialColorTable, SpecialColorTable + kSpecialColorCount);
    ASSERT_EQ(all.size(), 231u);
    for (int i = 0; i <= kHighestIndex; ++i) EXPECT_EQ(all.count(i), 1u) << i;
}

TEST(ColorQuantizer, ACountOfZeroOrLessTouchesNothing) {
    for (RowKernel kernel : availableRowKernels()) {
        ForcedRowKernel forced(kernel);
        for (int32_t count : {0, -1, -160, INT32_MIN}) {
            uint8_t out[4] = {0xAB, 0xAB, 0xAB, 0xAB};
            // Nothing may be read: no pixels in a piece, or no pieces.
            quantizePieces(nullptr, 3, count, out, 1);
            quantizePieces(nullptr, count, 4, out, 1);
            EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(4, 0xAB))
                << detail::rowKernelName(kernel) << " " << count;
        }
    }
}

TEST(ColorQuantizer, TheProcessorsWidestConverterIsUsedUnlessForced) {
    RowKernel widest = detail::widestRowKernel();
    EXPECT_TRUE(detail::rowKernelAvailable(widest));
    for (RowKernel k : availableRowKernels()) EXPECT_GE(static_cast<int>(widest), static_cast<int>(k));
    EXPECT_EQ(detail::activeRowKernel(), widest);
    {
        ForcedRowKernel forced(RowKernel::Portable);
        EXPECT_EQ(detail::activeRowKernel(), RowKernel::Portable);
    }
    EXPECT_EQ(detail::activeRowKernel(), widest);
}

// Every colour once, pixel c = (blue c & 255, green (c >> 8) & 255, red c >> 16), and the
// index quantizePixel gives it.
struct AllColours {
    std::vector<uint8_t> source;
    std::vector<uint8_t> expected;
    AllColours() : source(3u << 24), expected(1u << 24) {
        for (uint32_t c = 0; c < (1u << 24); ++c) {
            auto blue = static_cast<uint8_t>(c), green = static_cast<uint8_t>(c >> 8),
                 red = static_cast<uint8_t>(c >> 16);
            source[3 * c] = blue;
            source[3 * c + 1] = green;
            source[3 * c + 2] = red;
            expected[c] = quantizePixel(blue, green, red);
        }
    }
};

const AllColours& allColours() {
    static const AllColours colours;
    return colours;
}

TEST(ColorQuantizer, EveryColourGivesAnIndexUpTo230AndEveryIndexOccurs) {
    std::array<bool, 256> seen{};
    for (uint8_t index : allColours().expected) seen[index] = true;
    for (int i = 0; i < 256; ++i) EXPECT_EQ(seen[i], i <= kHighestIndex) << i;
}

class EveryConverter : public ::testing::TestWithParam<RowKernel> {
protected:
    void SetUp() override {
        if (!detail::rowKernelAvailable(GetParam()))
            GTEST_SKIP() << detail::rowKernelName(GetParam()) << " is not available here";
        forced_ = std::make_unique<ForcedRowKernel>(GetParam());
    }

private:
    std::unique_ptr<ForcedRowKernel> forced_;
};

TEST_P(EveryConverter, MatchesQuantizePixelForAllColoursInOneRow) {
    const AllColours& all = allColours();
    std::vector<uint8_t> out(all.expected.size());
    quantizeRow(all.source.data(), out.data(), static_cast<int32_t>(out.size()));
    EXPECT_TRUE(out == all.expected);
    size_t firstDifference = std::mismatch(out.begin(), out.end(), all.expected.begin()).first - out.begin();
    EXPECT_EQ(firstDifference, out.size()) << "first wrong colour";
}

TEST_P(EveryConverter, MatchesQuantizePixelForAllColoursInRowsOfEveryLength) {
    // Rows of 1 to 97 pixels one after the other: every length of tail and every start
    // position modulo the vector width.
    const AllColours& all = allColours();
    std::vector<uint8_t> out(all.expected.size());
    const int32_t total = static_cast<int32_t>(out.size());
    int32_t length = 1;
    for (int32_t at = 0; at < total; at += length, length = length % 97 + 1) {
        int32_t count = std::min(length, total - at);
        quantizeRow(all.source.data() + 3 * static_cast<size_t>(at), out.data() + at, count);
    }
    size_t firstDifference = std::mismatch(out.begin(), out.end(), all.expected.begin()).first - out.begin();
    EXPECT_EQ(firstDifference, out.size()) << "first wrong colour";
}

TEST_P(EveryConverter, StaysInsideItsBuffers) {
    // Exactly sized heap buffers (the sanitizer build catches any read or write past
    // them) at every source alignment, and guard bytes around the destination.
    const AllColours& all = allColours();
    for (int32_t count = 0; count <= 100; ++count) {
        for (size_t shift = 0; shift < 4; ++shift) {
            size_t first = (static_cast<size_t>(count) * 7919 + shift * 104729) % ((1u << 24) - 100);
            auto source = std::make_unique<uint8_t[]>(3 * static_cast<size_t>(count) + shift);
            std::memcpy(source.get() + shift, all.source.data() + 3 * first, 3 * static_cast<size_t>(count));
            std::vector<uint8_t> out(static_cast<size_t>(count) + 2, 0x5A);
            quantizeRow(source.get() + shift, out.data() + 1, count);
            EXPECT_EQ(out.front(), 0x5A);
            EXPECT_EQ(out.back(), 0x5A);
            EXPECT_TRUE(std::equal(out.begin() + 1, out.end() - 1, all.expected.begin() + first))
                << count << " pixels, source shifted by " << shift;
        }
    }
}

TEST_P(EveryConverter, PutsPiecesInTheirOwnPlaces) {
    // Pieces of 160 pixels (and odd lengths) spread over strided destinations, as the
    // tile writer uses them, with guard bytes between the pieces.
    const AllColours& all = allColours();
    for (int32_t piecePixels : {160, 1, 63, 64, 65, 200}) {
        const int32_t pieces = 37;
        const size_t stride = static_cast<size_t>(piecePixels) + 9;
        const size_t first = static_cast<size_t>(piecePixels) * 4099;
        std::vector<uint8_t> out(stride * pieces, 0xC3);
        quantizePieces(all.source.data() + 3 * first, pieces, piecePixels, out.data(), stride);
        for (int32_t p = 0; p < pieces; ++p) {
            const uint8_t* got = out.data() + stride * p;
            EXPECT_TRUE(std::equal(got, got + piecePixels,
                                   all.expected.begin() + static_cast<std::ptrdiff_t>(first + static_cast<size_t>(piecePixels) * p)))
                << piecePixels << " pixels, piece " << p;
            EXPECT_TRUE(std::all_of(got + piecePixels, got + stride, [](uint8_t b) { return b == 0xC3; }));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ColorQuantizer, EveryConverter, ::testing::ValuesIn(detail::kAllRowKernels),
                         [](const auto& info) {
                             std::string name = detail::rowKernelName(info.param);
                             name.erase(std::remove(name.begin(), name.end(), '.'), name.end());
                             return name;
                         });

}  // namespace

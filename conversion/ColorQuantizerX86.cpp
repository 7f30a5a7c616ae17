// Vector row converters for x86: SSE4.1 (16 pixels a step), AVX2 (32 pixels a step) and
// AVX-512 with byte permutes (VBMI, 64 pixels a step).
// Both are compiled for their instruction set by function attribute, so the rest of the
// program stays baseline x86 and ColorQuantizer.cpp decides at run time which one runs.
//
// One step, per lane of 16 pixels:
//   1. Split 48 bytes of blue, green, red into three vectors of 16 channel values.
//   2. Cube: each channel's contribution comes from a 16-entry table keyed by the high
//      nibble; the bands whose lower bound is not a multiple of 16 (24 and 77) are settled
//      by comparing the low nibble with a per-high-nibble threshold. Sum the three and
//      move 215 (band triple (0, 0, 0)) to 230.
//   3. Special colours: every channel 0 or 128 and red differing from green; the index
//      is 226 + 2 (green 128) + 1 (blue 128).
//   4. Exact greys: with v = 16h + l, the ramp step of width 17 is h + (l > h), a number
//      from 0 to 15 looked up in a 16-entry table; the extra bound at 192 splits one step
//      and is patched afterwards.
// Grey wins over special (they never meet: special needs red != green), special over cube.

#include "ColorQuantizerKernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

namespace ColorQuantizer::detail {
namespace {

// pshufb control bytes that gather channel c (0 blue, 1 green, 2 red) of 16 pixels from
// the p-th 16-byte block of their 48 bytes; other positions get 0x80 (a zero byte).
struct SplitMasks {
    alignas(16) uint8_t bytes[3][3][16];
};
constexpr SplitMasks makeSplitMasks() {
    SplitMasks m{};
    for (int c = 0; c < 3; ++c)
        for (int p = 0; p < 3; ++p)
            for (int j = 0; j < 16; ++j) {
                int at = 3 * j + c;
                m.bytes[c][p][j] = at / 16 == p ? static_cast<uint8_t>(at % 16) : 0x80;
            }
    return m;
}
constexpr SplitMasks kSplit = makeSplitMasks();

// Nibble tables, built once from the per-channel tables.
struct NibbleTables {
    alignas(16) uint8_t threshold[16];   // low nibble above this: the next band's value
    alignas(16) uint8_t base[3][16];     // blue, green, red contribution at low nibble 0
    alignas(16) uint8_t step[3][16];     // added when the low nibble is above threshold
    alignas(16) uint8_t ramp[16];        // grey index of ramp step h + (l > h)
    uint8_t splitLow, splitHigh, splitIndex;  // greys in [splitLow, splitHigh] take splitIndex
};

NibbleTables buildNibbleTables() {
    const ChannelTables& t = channelTables();
    const uint8_t* channel[3] = {t.blue, t.green, t.red};
    NibbleTables n{};
    for (int h = 0; h < 16; ++h) {
        // The first low nibble at which the band changes inside this block of 16 (the
        // bands are at least 16 wide, so there is at most one change per block).
        int change = 16;
        for (int l = 1; l < 16 && change == 16; ++l)
            if (t.red[16 * h + l] != t.red[16 * h]) change = l;
        n.threshold[h] = static_cast<uint8_t>(change - 1);
        for (int c = 0; c < 3; ++c) {
            n.base[c][h] = channel[c][16 * h];
            n.step[c][h] = static_cast<uint8_t>(channel[c][16 * h + 15] - channel[c][16 * h]);
        }
        n.ramp[h] = t.grey[17 * h];
    }
    // Step 12 of the width-17 ramp (188 to 204) is split at 192 by the extra bound.
    n.splitLow = 188;
    n.splitHigh = 192;
    n.splitIndex = t.grey[192];
    return n;
}

const NibbleTables& nibbleTables() {
    static const NibbleTables tables = buildNibbleTables();
    return tables;
}

#define TESSELLA_SSE41 __attribute__((target("sse4.1")))
#define TESSELLA_AVX2 __attribute__((target("avx2")))
#define TESSELLA_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// vpermi2b control bytes that gather channel c of 64 pixels: first from the first 128 of
// their 192 bytes (index 0..127 over two registers), then, for the pixels whose byte lies
// in the last 64, from the third register (mask bit set, index 0..63).
struct WideSplit {
    alignas(64) uint8_t firstTwo[3][64];
    alignas(64) uint8_t third[3][64];
    uint64_t fromThird[3];
};
constexpr WideSplit makeWideSplit() {
    WideSplit w{};
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < 64; ++j) {
            int at = 3 * j + c;
            if (at < 128) {
                w.firstTwo[c][j] = static_cast<uint8_t>(at);
            } else {
                w.third[c][j] = static_cast<uint8_t>(at - 128);
                w.fromThird[c] |= uint64_t{1} << j;
            }
        }
    return w;
}
constexpr WideSplit kWideSplit = makeWideSplit();

TESSELLA_SSE41 inline __m128i load16(const uint8_t* p) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(p));
}

// Both 128-bit lanes hold the same 16 bytes: vpshufb looks up within a lane.
TESSELLA_AVX2 inline __m256i load16Twice(const uint8_t* p) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(p)));
}

// Bytes p[0..15] in the low lane, p[48..63] in the high lane: 16 pixels a lane.
TESSELLA_AVX2 inline __m256i loadLanePair(const uint8_t* p) {
    __m128i lowLane = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i highLane = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lowLane), highLane, 1);
}

}  // namespace

TESSELLA_SSE41 int32_t quantizeStepsSse41(const uint8_t* source, uint8_t* destination,
                                          int32_t pixelCount) {
    const NibbleTables& n = nibbleTables();
    auto load = load16;
    const __m128i split[3][3] = {
        {load(kSplit.bytes[0][0]), load(kSplit.bytes[0][1]), load(kSplit.bytes[0][2])},
        {load(kSplit.bytes[1][0]), load(kSplit.bytes[1][1]), load(kSplit.bytes[1][2])},
        {load(kSplit.bytes[2][0]), load(kSplit.bytes[2][1]), load(kSplit.bytes[2][2])}};
    const __m128i threshold = load(n.threshold);
    const __m128i base[3] = {load(n.base[0]), load(n.base[1]), load(n.base[2])};
    const __m128i step[3] = {load(n.step[0]), load(n.step[1]), load(n.step[2])};
    const __m128i ramp = load(n.ramp);
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i low7 = _mm_set1_epi8(0x7F);
    const __m128i zero = _mm_setzero_si128();
    const __m128i darkestSum = _mm_set1_epi8(static_cast<char>(kDarkestSum));
    const __m128i darkestFix = _mm_set1_epi8(static_cast<char>(kDarkestIndex - kDarkestSum));
    const __m128i specialBase = _mm_set1_epi8(static_cast<char>(226));
    const __m128i two = _mm_set1_epi8(2);
    const __m128i splitLow = _mm_set1_epi8(static_cast<char>(n.splitLow));
    const __m128i splitWidth = _mm_set1_epi8(static_cast<char>(n.splitHigh - n.splitLow));
    const __m128i splitIndex = _mm_set1_epi8(static_cast<char>(n.splitIndex));

    int32_t done = 0;
    for (; pixelCount - done >= 16; done += 16, source += 48, destination += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16));
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 32));
        __m128i channel[3];
        __m128i high[3];
        __m128i low[3];
        __m128i cube = zero;
        for (int k = 0; k < 3; ++k) {
            channel[k] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, split[k][0]),
                                                   _mm_shuffle_epi8(b, split[k][1])),
                                      _mm_shuffle_epi8(c, split[k][2]));
            high[k] = _mm_and_si128(_mm_srli_epi16(channel[k], 4), nibble);
            low[k] = _mm_and_si128(channel[k], nibble);
            __m128i above = _mm_cmpgt_epi8(low[k], _mm_shuffle_epi8(threshold, high[k]));
            __m128i part = _mm_add_epi8(_mm_shuffle_epi8(base[k], high[k]),
                                        _mm_and_si128(above, _mm_shuffle_epi8(step[k], high[k])));
            cube = _mm_add_epi8(cube, part);
        }
        const __m128i& blue = channel[0];
        const __m128i& green = channel[1];
        const __m128i& red = channel[2];
        cube = _mm_add_epi8(cube, _mm_and_si128(_mm_cmpeq_epi8(cube, darkestSum), darkestFix));

        __m128i redIsGreen = _mm_cmpeq_epi8(red, green);
        __m128i only0or128 = _mm_cmpeq_epi8(
            _mm_and_si128(_mm_or_si128(_mm_or_si128(red, green), blue), low7), zero);
        __m128i isSpecial = _mm_andnot_si128(redIsGreen, only0or128);
        __m128i special = _mm_sub_epi8(
            _mm_add_epi8(specialBase, _mm_and_si128(_mm_cmpgt_epi8(zero, green), two)),
            _mm_cmpgt_epi8(zero, blue));

        __m128i isGrey = _mm_and_si128(redIsGreen, _mm_cmpeq_epi8(green, blue));
        __m128i rampStep = _mm_sub_epi8(high[1], _mm_cmpgt_epi8(low[1], high[1]));
        __m128i grey = _mm_shuffle_epi8(ramp, rampStep);
        __m128i offset = _mm_sub_epi8(green, splitLow);
        __m128i inSplit = _mm_cmpeq_epi8(_mm_min_epu8(offset, splitWidth), offset);
        grey = _mm_blendv_epi8(grey, splitIndex, inSplit);

        __m128i index = _mm_blendv_epi8(cube, special, isSpecial);
        index = _mm_blendv_epi8(index, grey, isGrey);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination), index);
    }
    return done;
}

TESSELLA_AVX2 int32_t quantizeStepsAvx2(const uint8_t* source, uint8_t* destination,
                                        int32_t pixelCount) {
    const NibbleTables& n = nibbleTables();
    auto load = load16Twice;
    const __m256i split[3][3] = {
        {load(kSplit.bytes[0][0]), load(kSplit.bytes[0][1]), load(kSplit.bytes[0][2])},
        {load(kSplit.bytes[1][0]), load(kSplit.bytes[1][1]), load(kSplit.bytes[1][2])},
        {load(kSplit.bytes[2][0]), load(kSplit.bytes[2][1]), load(kSplit.bytes[2][2])}};
    const __m256i threshold = load(n.threshold);
    const __m256i base[3] = {load(n.base[0]), load(n.base[1]), load(n.base[2])};
    const __m256i step[3] = {load(n.step[0]), load(n.step[1]), load(n.step[2])};
    const __m256i ramp = load(n.ramp);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i low7 = _mm256_set1_epi8(0x7F);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i darkestSum = _mm256_set1_epi8(static_cast<char>(kDarkestSum));
    const __m256i darkestFix = _mm256_set1_epi8(static_cast<char>(kDarkestIndex - kDarkestSum));
    const __m256i specialBase = _mm256_set1_epi8(static_cast<char>(226));
    const __m256i two = _mm256_set1_epi8(2);
    const __m256i splitLow = _mm256_set1_epi8(static_cast<char>(n.splitLow));
    const __m256i splitWidth = _mm256_set1_epi8(static_cast<char>(n.splitHigh - n.splitLow));
    const __m256i splitIndex = _mm256_set1_epi8(static_cast<char>(n.splitIndex));

    int32_t done = 0;
    for (; pixelCount - done >= 32; done += 32, source += 96, destination += 32) {
        __m256i a = loadLanePair(source);
        __m256i b = loadLanePair(source + 16);
        __m256i c = loadLanePair(source + 32);
        __m256i channel[3];
        __m256i high[3];
        __m256i low[3];
        __m256i cube = zero;
        for (int k = 0; k < 3; ++k) {
            channel[k] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(a, split[k][0]),
                                                         _mm256_shuffle_epi8(b, split[k][1])),
                                         _mm256_shuffle_epi8(c, split[k][2]));
            high[k] = _mm256_and_si256(_mm256_srli_epi16(channel[k], 4), nibble);
            low[k] = _mm256_and_si256(channel[k], nibble);
            __m256i above = _mm256_cmpgt_epi8(low[k], _mm256_shuffle_epi8(threshold, high[k]));
            __m256i part = _mm256_add_epi8(
                _mm256_shuffle_epi8(base[k], high[k]),
                _mm256_and_si256(above, _mm256_shuffle_epi8(step[k], high[k])));
            cube = _mm256_add_epi8(cube, part);
        }
        const __m256i& blue = channel[0];
        const __m256i& green = channel[1];
        const __m256i& red = channel[2];
        cube = _mm256_add_epi8(cube,
                               _mm256_and_si256(_mm256_cmpeq_epi8(cube, darkestSum), darkestFix));

        __m256i redIsGreen = _mm256_cmpeq_epi8(red, green);
        __m256i only0or128 = _mm256_cmpeq_epi8(
            _mm256_and_si256(_mm256_or_si256(_mm256_or_si256(red, green), blue), low7), zero);
        __m256i isSpecial = _mm256_andnot_si256(redIsGreen, only0or128);
        __m256i special = _mm256_sub_epi8(
            _mm256_add_epi8(specialBase, _mm256_and_si256(_mm256_cmpgt_epi8(zero, green), two)),
            _mm256_cmpgt_epi8(zero, blue));

        __m256i isGrey = _mm256_and_si256(redIsGreen, _mm256_cmpeq_epi8(green, blue));
        __m256i rampStep = _mm256_sub_epi8(high[1], _mm256_cmpgt_epi8(low[1], high[1]));
        __m256i grey = _mm256_shuffle_epi8(ramp, rampStep);
        __m256i offset = _mm256_sub_epi8(green, splitLow);
        __m256i inSplit = _mm256_cmpeq_epi8(_mm256_min_epu8(offset, splitWidth), offset);
        grey = _mm256_blendv_epi8(grey, splitIndex, inSplit);

        __m256i index = _mm256_blendv_epi8(cube, special, isSpecial);
        index = _mm256_blendv_epi8(index, grey, isGrey);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination), index);
    }
    // A remaining stretch of 16 or more pixels goes through the 16-pixel step.
    if (pixelCount - done >= 16) done += quantizeStepsSse41(source, destination, pixelCount - done);
    return done;
}

namespace {

// A 256-entry byte table in four registers, looked up by every byte of a register.
struct Table256 {
    __m512i quarter[4];
};

TESSELLA_AVX512 inline Table256 loadTable(const uint8_t* table) {
    Table256 t;
    for (int q = 0; q < 4; ++q) t.quarter[q] = _mm512_loadu_si512(table + 64 * q);
    return t;
}

TESSELLA_AVX512 inline __m512i lookup(const Table256& t, __m512i index) {
    __m512i low = _mm512_permutex2var_epi8(t.quarter[0], index, t.quarter[1]);
    __m512i high = _mm512_permutex2var_epi8(t.quarter[2], index, t.quarter[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
}

// Mask of the first n bytes of a 64-byte register (none for n <= 0, all for n >= 64).
inline __mmask64 firstBytes(int32_t n) {
    if (n <= 0) return 0;
    return n >= 64 ? ~__mmask64{0} : (__mmask64{1} << n) - 1;
}

}  // namespace

// 64 pixels a step. With byte permutes over two registers a whole 256-entry table is
// three instructions away, so the channel tables are used directly, no nibbles.
TESSELLA_AVX512 void quantizePiecesAvx512(const uint8_t* firstSource, int32_t pieceCount,
                                          int32_t piecePixels, uint8_t* firstDestination,
                                          size_t destinationStride) {
    const ChannelTables& t = channelTables();
    const Table256 blueTable = loadTable(t.blue), greenTable = loadTable(t.green),
                   redTable = loadTable(t.red), greyTable = loadTable(t.grey);
    __m512i firstTwo[3], third[3];
    for (int c = 0; c < 3; ++c) {
        firstTwo[c] = _mm512_load_si512(kWideSplit.firstTwo[c]);
        third[c] = _mm512_load_si512(kWideSplit.third[c]);
    }
    const __m512i low7 = _mm512_set1_epi8(0x7F);
    const __m512i darkestSum = _mm512_set1_epi8(static_cast<char>(kDarkestSum));
    const __m512i darkestIndex = _mm512_set1_epi8(static_cast<char>(kDarkestIndex));
    const __m512i specialBase = _mm512_set1_epi8(static_cast<char>(226));
    const __m512i one = _mm512_set1_epi8(1);
    const __m512i two = _mm512_set1_epi8(2);

    // The last step of a piece may be short: its loads and store are masked to the
    // piece's own bytes, so a piece is converted in one pass whatever its length.
    for (int32_t piece = 0; piece < pieceCount; ++piece) {
    const uint8_t* source = firstSource + 3 * static_cast<size_t>(piecePixels) * piece;
    uint8_t* destination = firstDestination + destinationStride * piece;
    const int32_t pixelCount = piecePixels;
    for (int32_t done = 0; done < pixelCount; done += 64, source += 192, destination += 64) {
        const int32_t count = pixelCount - done < 64 ? pixelCount - done : 64;
        const int32_t bytes = 3 * count;
        __m512i a, b, c;
        if (count == 64) {
            a = _mm512_loadu_si512(source);
            b = _mm512_loadu_si512(source + 64);
            c = _mm512_loadu_si512(source + 128);
        } else {
            a = _mm512_maskz_loadu_epi8(firstBytes(bytes), source);
            b = _mm512_maskz_loadu_epi8(firstBytes(bytes - 64), source + 64);
            c = _mm512_maskz_loadu_epi8(firstBytes(bytes - 128), source + 128);
        }
        __m512i channel[3];
        for (int k = 0; k < 3; ++k)
            channel[k] = _mm512_mask_permutexvar_epi8(_mm512_permutex2var_epi8(a, firstTwo[k], b),
                                                      kWideSplit.fromThird[k], third[k], c);
        const __m512i blue = channel[0], green = channel[1], red = channel[2];

        __m512i cube = _mm512_add_epi8(_mm512_add_epi8(lookup(blueTable, blue), lookup(greenTable, green)),
                                       lookup(redTable, red));
        cube = _mm512_mask_mov_epi8(cube, _mm512_cmpeq_epi8_mask(cube, darkestSum), darkestIndex);

        __mmask64 only0or128 = _mm512_testn_epi8_mask(_mm512_or_si512(_mm512_or_si512(red, green), blue), low7);
        __mmask64 isSpecial = only0or128 & _mm512_cmpneq_epi8_mask(red, green);
        __m512i special = _mm512_mask_add_epi8(specialBase, _mm512_movepi8_mask(green), specialBase, two);
        special = _mm512_mask_add_epi8(special, _mm512_movepi8_mask(blue), special, one);

        __mmask64 isGrey = _mm512_cmpeq_epi8_mask(red, green) & _mm512_cmpeq_epi8_mask(green, blue);

        __m512i index = _mm512_mask_mov_epi8(cube, isSpecial, special);
        index = _mm512_mask_mov_epi8(index, isGrey, lookup(greyTable, green));
        if (count == 64) _mm512_storeu_si512(destination, index);
        else _mm512_mask_storeu_epi8(destination, firstBytes(count), index);
    }
    }
}

}  // namespace ColorQuantizer::detail

#endif

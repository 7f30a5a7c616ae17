#include "ColorQuantizer.h"

#include "ColorQuantizerKernels.h"

#include <atomic>

// Each pixel is settled by the first of three tests that applies:
//   1. an exact grey (red = green = blue) takes its step of the grey ramp;
//   2. one of four exact colours takes its SpecialColorTable entry;
//   3. anything else takes the CubeTable cell of its three channel bands.

namespace ColorQuantizer {

// Position 36 x red band + 6 x green band + blue band. One row per red and green band.
const uint8_t CubeTable[kCubeTableSize] = {
    230, 209, 203, 107, 101, 95,  214, 208, 202, 106, 100, 94,  213, 207, 201, 105, 99, 93,
    212, 206, 200, 104, 98,  92,  211, 205, 199, 103, 97,  91,  210, 204, 198, 102, 96, 90,
    197, 191, 185, 89,  83,  77,  196, 190, 184, 88,  82,  76,  195, 189, 183, 87,  81, 75,
    194, 188, 182, 86,  80,  74,  193, 187, 181, 85,  79,  73,  192, 186, 180, 84,  78, 72,
    179, 173, 167, 71,  65,  59,  178, 172, 166, 70,  64,  58,  177, 171, 165, 69,  63, 57,
    176, 170, 164, 68,  62,  56,  175, 169, 163, 67,  61,  55,  174, 168, 162, 66,  60, 54,
    161, 155, 149, 53,  47,  41,  160, 154, 148, 52,  46,  40,  159, 153, 147, 51,  45, 39,
    158, 152, 146, 50,  44,  38,  157, 151, 145, 49,  43,  37,  156, 150, 144, 48,  42, 36,
    143, 137, 131, 35,  29,  23,  142, 136, 130, 34,  28,  22,  141, 135, 129, 33,  27, 21,
    140, 134, 128, 32,  26,  20,  139, 133, 127, 31,  25,  19,  138, 132, 126, 30,  24, 18,
    125, 119, 113, 17,  11,  5,   124, 118, 112, 16,  10,  4,   123, 117, 111, 15,  9,  3,
    122, 116, 110, 14,  8,   2,   121, 115, 109, 13,  7,   1,   120, 114, 108, 12,  6,  0,
};

// The ramp's steps that do not fall on a grey cell of the cube, in ramp order.
const uint8_t GreyTable[kGreyTableSize] = {215, 216, 217, 218, 219, 220, 221, 222, 225, 223, 224};

// Red, green, blue of each entry: (0,128,0), (0,128,128), (128,0,0), (128,0,128).
const uint8_t SpecialColorTable[kSpecialColorCount] = {228, 229, 226, 227};

namespace {

struct SpecialColor {
    uint8_t red, green, blue;
};
constexpr SpecialColor kSpecialColors[kSpecialColorCount] = {
    {0, 128, 0}, {0, 128, 128}, {128, 0, 0}, {128, 0, 128}};

// Lowest value of bands 1 to 5; the same for every channel.
constexpr uint8_t kBandLowerBounds[] = {24, 77, 144, 192, 240};

constexpr int bandOf(uint8_t value) {
    int band = 0;
    for (uint8_t bound : kBandLowerBounds)
        if (value >= bound) ++band;
    return band;
}

constexpr int cubePosition(int redBand, int greenBand, int blueBand) {
    return 36 * redBand + 6 * greenBand + blueBand;
}

// One step of the grey ramp: the values above the previous step's bound up to this bound
// take either the cube's grey cell (k, k, k) or GreyTable entry k.
struct GreyStep {
    uint8_t upperBound;
    bool cubeCell;
    uint8_t entry;
};
constexpr GreyStep kGreyRamp[] = {
    {0, true, 0},     {17, false, 0},  {34, false, 1},  {51, true, 1},   {68, false, 2},
    {85, false, 3},   {102, true, 2},  {119, false, 4}, {136, false, 5}, {153, true, 3},
    {170, false, 6},  {187, false, 7}, {192, false, 8}, {204, true, 4},  {221, false, 9},
    {238, false, 10}, {255, true, 5},
};

uint8_t greyIndex(uint8_t value) {
    for (const GreyStep& step : kGreyRamp) {
        if (value <= step.upperBound)
            return step.cubeCell ? CubeTable[cubePosition(step.entry, step.entry, step.entry)]
                                 : GreyTable[step.entry];
    }
    return CubeTable[cubePosition(5, 5, 5)];  // not reached: the last bound is 255
}

detail::ChannelTables buildChannelTables() {
    detail::ChannelTables tables{};
    // With the other two channels in their band 5, whose contribution is 0, a cell holds
    // just the contribution of the remaining channel's band.
    for (int value = 0; value < 256; ++value) {
        int band = bandOf(static_cast<uint8_t>(value));
        tables.red[value] = CubeTable[cubePosition(band, 5, 5)];
        tables.green[value] = CubeTable[cubePosition(5, band, 5)];
        tables.blue[value] = CubeTable[cubePosition(5, 5, band)];
        tables.grey[value] = greyIndex(static_cast<uint8_t>(value));
    }
    return tables;
}

}  // namespace

uint8_t quantizePixel(uint8_t blue, uint8_t green, uint8_t red) {
    if (red == green && green == blue) return greyIndex(red);
    for (int i = 0; i < kSpecialColorCount; ++i) {
        const SpecialColor& special = kSpecialColors[i];
        if (red == special.red && green == special.green && blue == special.blue)
            return SpecialColorTable[i];
    }
    return CubeTable[cubePosition(bandOf(red), bandOf(green), bandOf(blue))];
}

namespace detail {

const ChannelTables& channelTables() {
    static const ChannelTables tables = buildChannelTables();
    return tables;
}

void quantizeRowPortable(const uint8_t* source, uint8_t* destination, int32_t pixelCount) {
    const ChannelTables& t = channelTables();
    for (int32_t i = 0; i < pixelCount; ++i, source += 3)
        destination[i] = quantizeByTables(t, source[0], source[1], source[2]);
}

const char* rowKernelName(RowKernel kernel) {
    switch (kernel) {
        case RowKernel::Portable: return "portable";
        case RowKernel::Sse41: return "sse4.1";
        case RowKernel::Avx2: return "avx2";
        case RowKernel::Avx512: return "avx512vbmi";
    }
    return "?";
}

#if defined(__x86_64__) || defined(__i386__)
#define TESSELLA_X86_KERNELS 1
#endif

bool rowKernelAvailable(RowKernel kernel) {
#ifdef TESSELLA_X86_KERNELS
    __builtin_cpu_init();  // may run before the runtime's own initialisation
#endif
    switch (kernel) {
        case RowKernel::Portable: return true;
#ifdef TESSELLA_X86_KERNELS
        case RowKernel::Sse41: return __builtin_cpu_supports("sse4.1");
        case RowKernel::Avx2:
        case RowKernel::Avx512:
#ifdef _WIN32
            // GCC for Windows cannot align the stack to 32 or 64 bytes for spilled vector
            // values and would fault; the 16-byte converter is used there.
            return false;
#else
            if (kernel == RowKernel::Avx2) return __builtin_cpu_supports("avx2");
            return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi") &&
                   __builtin_cpu_supports("avx2");
#endif
#else
        default: return false;
#endif
    }
    return false;
}

RowKernel widestRowKernel() {
    if (rowKernelAvailable(RowKernel::Avx512)) return RowKernel::Avx512;
    if (rowKernelAvailable(RowKernel::Avx2)) return RowKernel::Avx2;
    if (rowKernelAvailable(RowKernel::Sse41)) return RowKernel::Sse41;
    return RowKernel::Portable;
}

namespace {

// The converter in use: the widest one, chosen on first use, unless a test or benchmark
// forced another. Atomic so that a forced choice reads the same on the writer's threads.
std::atomic<RowKernel>& chosenKernel() {
    static std::atomic<RowKernel> kernel{widestRowKernel()};
    return kernel;
}

// One row with the given converter: its whole vector steps, then the rest portably.
void quantizeRowWith(RowKernel kernel, const uint8_t* source, uint8_t* destination,
                     int32_t pixelCount) {
    int32_t done = 0;
#ifdef TESSELLA_X86_KERNELS
    if (kernel == RowKernel::Avx2) done = quantizeStepsAvx2(source, destination, pixelCount);
    else if (kernel == RowKernel::Sse41) done = quantizeStepsSse41(source, destination, pixelCount);
#else
    (void)kernel;
#endif
    quantizeRowPortable(source + 3 * static_cast<int64_t>(done), destination + done,
                        pixelCount - done);
}

}  // namespace

RowKernel activeRowKernel() { return chosenKernel().load(std::memory_order_relaxed); }

RowKernel forceRowKernel(RowKernel kernel) {
    return chosenKernel().exchange(kernel, std::memory_order_relaxed);
}

}  // namespace detail

void quantizePieces(const uint8_t* source, int32_t pieceCount, int32_t piecePixels,
                    uint8_t* destination, size_t destinationStride) {
    if (pieceCount <= 0 || piecePixels <= 0) return;
    const detail::RowKernel kernel = detail::activeRowKernel();
#ifdef TESSELLA_X86_KERNELS
    if (kernel == detail::RowKernel::Avx512) {
        detail::quantizePiecesAvx512(source, pieceCount, piecePixels, destination, destinationStride);
        return;
    }
#endif
    for (int32_t i = 0; i < pieceCount; ++i)
        detail::quantizeRowWith(kernel, source + 3 * static_cast<size_t>(piecePixels) * i,
                                destination + destinationStride * i, piecePixels);
}

}  // namespace ColorQuantizer

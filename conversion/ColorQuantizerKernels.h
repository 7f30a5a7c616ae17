#pragma once
// The row converters behind ColorQuantizer::quantizePieces: a portable one built on
// per-channel lookup tables, and vector ones for x86 chosen at run time by what the
// processor offers. Every one gives the same index as quantizePixel for every colour.
//
// The vector converters rest on one property of CubeTable: apart from the band triple
// (0, 0, 0), every entry is the sum of one value for the red band, one for the green band
// and one for the blue band. So a pixel's cube index is a sum of three per-channel
// contributions, with 215 (the sum for (0, 0, 0)) moved to 230.

#include <cstddef>
#include <cstdint>

namespace ColorQuantizer::detail {

enum class RowKernel {
    Portable,  // per-channel tables, any processor
    Sse41,     // 16 pixels a step
    Avx2,      // 32 pixels a step
    Avx512,    // 64 pixels a step (AVX-512 BW and VBMI)
};

inline constexpr RowKernel kAllRowKernels[] = {RowKernel::Portable, RowKernel::Sse41,
                                               RowKernel::Avx2, RowKernel::Avx512};

const char* rowKernelName(RowKernel kernel);

// Whether this build has the converter and this processor can run it.
bool rowKernelAvailable(RowKernel kernel);

// The widest available converter: the one quantizePieces uses unless told otherwise.
RowKernel widestRowKernel();

// The converter quantizePieces uses now.
RowKernel activeRowKernel();

// Makes quantizePieces use the given converter, which must be available (the portable one
// always is), and returns the one it used before. For the tests and benchmarks only, so
// that every converter, the portable one included, runs through the whole conversion on
// any processor; call it while no conversion runs. The product never calls it.
RowKernel forceRowKernel(RowKernel kernel);

// The portable converter; the vector ones finish their rows with it.
void quantizeRowPortable(const uint8_t* source, uint8_t* destination, int32_t pixelCount);

// Each converts whole steps of pixels and returns how many pixels it did (a multiple of
// its step, at most pixelCount). Defined only where the build targets x86.
int32_t quantizeStepsSse41(const uint8_t* source, uint8_t* destination, int32_t pixelCount);
int32_t quantizeStepsAvx2(const uint8_t* source, uint8_t* destination, int32_t pixelCount);
// Converts whole pieces, the last step of each masked to the piece; same contract as
// quantizePieces.
void quantizePiecesAvx512(const uint8_t* source, int32_t pieceCount, int32_t piecePixels,
                          uint8_t* destination, size_t destinationStride);

// Per-channel contribution to the cube index for each byte value (red, green, blue), and
// the index of each exact grey. Shared by the portable and the vector converters.
struct ChannelTables {
    uint8_t red[256];
    uint8_t green[256];
    uint8_t blue[256];
    uint8_t grey[256];
};
const ChannelTables& channelTables();

// The sum of the three contributions for band triple (0, 0, 0): the one cube cell whose
// CubeTable entry is not that sum.
inline constexpr uint8_t kDarkestSum = 215;
inline constexpr uint8_t kDarkestIndex = 230;

// One pixel by the tables: the index quantizePixel gives.
inline uint8_t quantizeByTables(const ChannelTables& t, unsigned blue, unsigned green, unsigned red) {
    unsigned index = t.red[red] + t.green[green] + t.blue[blue];
    if (index == kDarkestSum) index = kDarkestIndex;
    // The special colours are exactly those whose channels are all 0 or 128 with red
    // and green different: 226, plus 2 for green 128, plus 1 for blue 128.
    if (((red | green | blue) & 0x7F) == 0 && red != green) index = 226u + ((green >> 6) & 2u) + (blue >> 7);
    if (red == green && green == blue) index = t.grey[red];
    return static_cast<uint8_t>(index);
}

}  // namespace ColorQuantizer::detail

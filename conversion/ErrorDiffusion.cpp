#include "ErrorDiffusion.h"

#include <algorithm>
#include <cstring>

#include "ColorQuantizer.h"
#include "ColorQuantizerKernels.h"
#include "Palette.h"

namespace {

// A channel's value with its error added lies in -255 .. 510: the four shares a pixel
// receives add up to at most one whole difference of at most 255.
constexpr int kLowestValue = -255;
constexpr int kValueRange = 510 - kLowestValue + 1;

// For each channel and each value with error added: the value clamped to 0 .. 255, its
// difference from the channel of the colour its cube cell stands for, and 7 times that
// difference, the share for the next pixel of the row. The cube cells are every colour but
// the greys and the four special colours, whose differences are worked out from the
// palette itself when they come.
struct ChannelSteps {
    uint8_t clamped[kValueRange];
    int16_t difference[3][kValueRange];  // blue, green, red
    int16_t ahead[3][kValueRange];
};

ChannelSteps buildChannelSteps() {
    ChannelSteps steps{};
    for (int i = 0; i < kValueRange; ++i) {
        const int value = i + kLowestValue;
        const uint8_t v = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
        steps.clamped[i] = v;
        // The other two channels at a value that makes the pixel neither grey nor special.
        const uint8_t other = v >= 200 ? 0 : 255;
        const palette::Colour& blue = palette::kColours[ColorQuantizer::quantizePixel(v, other, other)];
        const palette::Colour& green = palette::kColours[ColorQuantizer::quantizePixel(other, v, other)];
        const palette::Colour& red = palette::kColours[ColorQuantizer::quantizePixel(other, other, v)];
        const int differences[3] = {v - blue.blue, v - green.green, v - red.red};
        for (int c = 0; c < 3; ++c) {
            steps.difference[c][i] = static_cast<int16_t>(differences[c]);
            steps.ahead[c][i] = static_cast<int16_t>(7 * differences[c]);
        }
    }
    return steps;
}

const ChannelSteps& channelSteps() {
    static const ChannelSteps steps = buildChannelSteps();
    return steps;
}

// The error rows hold each pixel's share from the row above plus 8, so that adding the
// share from the left and shifting by 4 rounds to the nearest whole value.
constexpr int16_t kRounding = 8;

// Reduces one row. `here` holds what the row above passed to this one; every entry of
// `below`, the margins included, is written with what this row passes to the next. Step +1
// goes west to east, -1 east to west; the shares go ahead (7), behind below (3), below (5)
// and ahead below (1). The entries below are summed as the row goes, each written once.
template <int Step>
void diffuseRow(const uint8_t* pixels, uint8_t* indices, int32_t width, const int16_t* here, int16_t* below) {
    const ChannelSteps& steps = channelSteps();
    const ColorQuantizer::detail::ChannelTables& tables = ColorQuantizer::detail::channelTables();
    int aheadBlue = 0, aheadGreen = 0, aheadRed = 0;  // 7/16 of the last difference
    // What the pixels so far passed to the entry below the last pixel and to the one below this pixel.
    int behindBlue = 0, behindGreen = 0, behindRed = 0;
    int underBlue = 0, underGreen = 0, underRed = 0;
    int32_t x = Step > 0 ? 0 : width - 1;
    for (int32_t n = 0; n < width; ++n, x += Step) {
        const uint8_t* p = pixels + 3 * static_cast<size_t>(x);
        const int16_t* e = here + 3 * (static_cast<size_t>(x) + 1);
        const int vb = p[0] + ((e[0] + aheadBlue) >> 4) - kLowestValue;
        const int vg = p[1] + ((e[1] + aheadGreen) >> 4) - kLowestValue;
        const int vr = p[2] + ((e[2] + aheadRed) >> 4) - kLowestValue;
        aheadBlue = steps.ahead[0][vb];
        aheadGreen = steps.ahead[1][vg];
        aheadRed = steps.ahead[2][vr];
        int db = steps.difference[0][vb], dg = steps.difference[1][vg], dr = steps.difference[2][vr];
        const unsigned b = steps.clamped[vb], g = steps.clamped[vg], r = steps.clamped[vr];
        const uint8_t index = ColorQuantizer::detail::quantizeByTables(tables, b, g, r);
        indices[x] = index;
        // Greys and the special colours have their own palette entries.
        if ((r == g && g == b) || (((r | g | b) & 0x7F) == 0 && r != g)) [[unlikely]] {
            const palette::Colour& c = palette::kColours[index];
            db = static_cast<int>(b) - c.blue;
            dg = static_cast<int>(g) - c.green;
            dr = static_cast<int>(r) - c.red;
            aheadBlue = 7 * db;
            aheadGreen = 7 * dg;
            aheadRed = 7 * dr;
        }
        int16_t* d = below + 3 * (static_cast<size_t>(x) + 1 - Step);
        d[0] = static_cast<int16_t>(behindBlue + 3 * db + kRounding);
        d[1] = static_cast<int16_t>(behindGreen + 3 * dg + kRounding);
        d[2] = static_cast<int16_t>(behindRed + 3 * dr + kRounding);
        behindBlue = underBlue + 5 * db;
        behindGreen = underGreen + 5 * dg;
        behindRed = underRed + 5 * dr;
        underBlue = db;
        underGreen = dg;
        underRed = dr;
    }
    // The entries below the last pixel and past it.
    int16_t* d = below + 3 * (static_cast<size_t>(x - Step) + 1);
    d[0] = static_cast<int16_t>(behindBlue + kRounding);
    d[1] = static_cast<int16_t>(behindGreen + kRounding);
    d[2] = static_cast<int16_t>(behindRed + kRounding);
    d += 3 * Step;
    d[0] = static_cast<int16_t>(underBlue + kRounding);
    d[1] = static_cast<int16_t>(underGreen + kRounding);
    d[2] = static_cast<int16_t>(underRed + kRounding);
}

}  // namespace

bool ErrorDiffusion::allocate(int32_t tileColumns) {
    width_ = 0;
    const size_t width = static_cast<size_t>(tileColumns) * kTileSide;
    if (tileColumns <= 0 || !pixels_.allocate(width * kTileSide * 3) || !indices_.allocate(width * kTileSide) ||
        !errors_.allocate(2 * 3 * (width + 2) * sizeof(int16_t))) {
        pixels_.release();
        indices_.release();
        errors_.release();
        return false;
    }
    width_ = static_cast<int32_t>(width);
    channelSteps();  // made now, not on the writer's thread
    return true;
}

void ErrorDiffusion::Rows::takeRow(int32_t pixelRow, const uint8_t* pixels) {
    std::memcpy(owner_.pixels_.data() + static_cast<size_t>(pixelRow) * owner_.width_ * 3, pixels,
                static_cast<size_t>(owner_.width_) * 3);
}

bool ErrorDiffusion::takeStrip(PixelSource& source, int32_t stripRow) {
    const int32_t columns = width_ / kTileSide;
    stripWhole_ = source.readStrip(stripRow, 0, columns, sink_) == columns;
    diffuse(stripRow);
    return stripWhole_;
}

void ErrorDiffusion::diffuse(int32_t stripRow) {
    if (stripRow == 0) {
        std::fill_n(errorRow(0), errorRowLength(), kRounding);
        current_ = 0;
    }
    for (int32_t r = 0; r < kTileSide; ++r) {
        const int64_t pictureRow = static_cast<int64_t>(stripRow) * kTileSide + r;
        int16_t* here = errorRow(current_);
        int16_t* below = errorRow(1 - current_);
        uint8_t* out = indices_.data() + static_cast<size_t>(r) * width_;
        if (pictureRow % 2 == 0) diffuseRow<1>(pixelRow(r), out, width_, here, below);
        else diffuseRow<-1>(pixelRow(r), out, width_, here, below);
        current_ = 1 - current_;
    }
}

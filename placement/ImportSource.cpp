#include "ImportSource.h"

#include <algorithm>

bool ImportSource::stripOf(int32_t row, int32_t firstColumn, int32_t columnCount, int32_t shownColumns,
                           int32_t shownRows, Strip& strip) {
    const FittedGrid& fitted = plan_.fitted;
    strip.x0 = firstColumn * kTileSide;
    strip.y0 = row * kTileSide;
    strip.width = columnCount * kTileSide;
    if (columnCount <= 0 || strip.x0 < 0 || strip.y0 < 0 || strip.x0 + strip.width > fitted.width ||
        strip.y0 + kTileSide > fitted.height) {
        readError_ = "a strip outside the picture was asked for";
        return false;
    }
    strip.shownWidth = std::clamp(shownColumns - strip.x0, 0, strip.width);
    strip.shownHeight = std::clamp(shownRows - strip.y0, 0, kTileSide);
    return true;
}

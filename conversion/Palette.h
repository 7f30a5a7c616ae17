#pragma once
// The colour each palette index of a tile stands for. One fixed table: every entry is a
// colour the quantizer turns back into its own index, so a picture drawn in these
// colours converts to exactly the indices it shows.

#include <cstdint>

namespace palette {

struct Colour {
    uint8_t red, green, blue;
};

inline constexpr int kColourCount = 231;  // indices 0 to 230

// Colour of index 0 to 230.
extern const Colour kColours[kColourCount];

}  // namespace palette

#pragma once
// A map's tiles put back together into one 8-bit palette PNG, each index drawn as the
// colour it stands for (Palette.h). At scale N the picture shrinks by N, keeping the
// top-left pixel of each N x N block. One row of tiles is in memory at a time.
// A tile that is missing or cut short, and an index above 230, are drawn transparent.
// Beside the PNG, its world file and .aux.xml lay it on the map's corners (PlacementFiles.h).

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>

#include "ConversionJob.h"
#include "MapVerifier.h"

enum class PreviewOutcome {
    Written,        // the PNG was written
    SourceUnusable, // the index (or picture) cannot be read as a whole: nothing written
    ImageFailed,    // the PNG could not be made or written: nothing left behind
    Interrupted,    // asked to stop: nothing left behind
};

struct PreviewReport {
    PreviewOutcome outcome = PreviewOutcome::SourceUnusable;
    int32_t width = 0;          // of the PNG
    int32_t height = 0;
    FindingList gaps;           // tiles drawn transparent, with why
    int64_t pixelsAbove230 = 0; // drawn pixels whose index is above 230
    std::string failure;        // when not written
};

inline constexpr int32_t kMaxPreviewScale = kTileSide;  // a tile to one pixel

// scale is 1 to kMaxPreviewScale. The preview stops between two rows once *stop is non-zero.
PreviewReport previewMap(const std::filesystem::path& indexFile, const std::filesystem::path& png,
                         int32_t scale, const volatile std::sig_atomic_t* stop = nullptr);

// Pixels of a side of `full` pixels at scale: one per started block.
inline int32_t scaledSide(int32_t full, int32_t scale) { return (full + scale - 1) / scale; }

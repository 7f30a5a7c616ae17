#pragma once
// A picture as the tile files would store it, without writing a map: every pixel through
// the conversion's quantizer, drawn in the colour of the index it becomes. Reads the
// picture strip by strip from a PixelSource, as the tile writer does. With `compare`,
// the original colours on the left and the stored ones on the right, in one 24-bit PNG.
// With `dither`, the indices are those the tile writer stores with the job's dither: each
// strip diffused at full resolution (ErrorDiffusion.h), then scaled.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "FileServices.h"
#include "MapPreview.h"
#include "PixelSource.h"
#include "PlacementFiles.h"

struct PictureShape {
    int32_t tileColumns = 0;
    int32_t tileRows = 0;
};

// inputs are the picture's files, which the preview must not replace. With placement (of
// the picture at scale 1), the preview's world file and .aux.xml are written beside it.
PreviewReport previewPicture(PixelSource& source, const std::vector<FileIdentity>& inputs, const PictureShape& shape,
                             const std::filesystem::path& png, int32_t scale, bool compare,
                             const volatile std::sig_atomic_t* stop = nullptr, bool dither = false,
                             const std::optional<PicturePlacement>& placement = std::nullopt);

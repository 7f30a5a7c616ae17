#include <cstdlib>

#include "GdalRaster.h"

namespace {

uint32_t maxValueOf(GDALRasterBand& band) {
    const char* nbits = band.GetMetadataItem("NBITS", "IMAGE_STRUCTURE");
    int bits = nbits ? std::atoi(nbits) : 0;
    int full = band.GetRasterDataType() == GDT_UInt16 ? 16 : 8;
    if (bits < 1 || bits > full) bits = full;
    return (1u << bits) - 1;
}

}  // namespace

ImportStatus readBandLayout(GDALDataset& raster, RasterBands& out, std::string& message) {
    int count = raster.GetRasterCount();
    if (count < 1) {
        message = "it holds no raster bands";
        return ImportStatus::UnsupportedPixels;
    }
    GDALRasterBand& first = *raster.GetRasterBand(1);
    out.type = first.GetRasterDataType();
    if (out.type != GDT_Byte && out.type != GDT_UInt16) {
        message = std::string("its samples are ") + GDALGetDataTypeName(out.type) +
                  "; Tessella reads 1- to 8-bit and 16-bit unsigned samples (a picture, not elevations "
                  "or measurements)";
        return ImportStatus::UnsupportedPixels;
    }
    int alpha = 0;
    for (int b = 2; b <= count; ++b) {
        if (raster.GetRasterBand(b)->GetColorInterpretation() == GCI_AlphaBand) {
            alpha = b;
            break;
        }
    }
    int needed = count >= 3 ? 3 : 1;
    for (int b = 2; b <= needed; ++b) {
        if (raster.GetRasterBand(b)->GetRasterDataType() != out.type) {
            message = "its bands have different sample types";
            return ImportStatus::UnsupportedPixels;
        }
    }
    if (alpha && raster.GetRasterBand(alpha)->GetRasterDataType() != out.type) alpha = 0;

    out.layout = SampleLayout{};
    out.layout.maxValue = maxValueOf(first);
    GDALColorTable* table = first.GetColorTable();
    if (table && first.GetColorInterpretation() == GCI_PaletteIndex) {
        out.layout.kind = SampleLayout::Kind::Palette;
        out.bands = {1};
        int entries = table->GetColorEntryCount();
        out.layout.paletteBgr.resize(3 * static_cast<size_t>(entries));
        for (int i = 0; i < entries; ++i) {
            GDALColorEntry entry;
            table->GetColorEntryAsRGB(i, &entry);
            auto clampByte = [](short v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
            paletteEntryOverWhite(clampByte(entry.c1), clampByte(entry.c2), clampByte(entry.c3),
                                  clampByte(entry.c4), &out.layout.paletteBgr[3 * static_cast<size_t>(i)]);
        }
    } else if (count >= 3) {
        out.layout.kind = alpha > 3 ? SampleLayout::Kind::Rgba : SampleLayout::Kind::Rgb;
        out.bands = {1, 2, 3};
        if (alpha > 3) out.bands.push_back(alpha);
    } else {
        out.layout.kind = alpha == 2 ? SampleLayout::Kind::GreyAlpha : SampleLayout::Kind::Grey;
        out.bands = {1};
        if (alpha == 2) out.bands.push_back(2);
    }
    return ImportStatus::Ready;
}

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "GdalRaster.h"

namespace {

// An uncompressed GeoTIFF of exactly three bands stored pixel by pixel: GDAL then reads
// whole rows of it from the file straight into the caller's buffer when asked to.
bool readsDirectly(GDALDataset& raster) {
    GDALDriver* driver = raster.GetDriver();
    if (!driver || !EQUAL(driver->GetDescription(), "GTiff") || raster.GetRasterCount() != 3) return false;
    const char* compression = raster.GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE");
    const char* interleave = raster.GetMetadataItem("INTERLEAVE", "IMAGE_STRUCTURE");
    return compression == nullptr && interleave != nullptr && EQUAL(interleave, "PIXEL");
}

uint32_t maxValueOf(GDALRasterBand& band) {
    const char* nbits = band.GetMetadataItem("NBITS", "IMAGE_STRUCTURE");
    int bits = nbits ? std::atoi(nbits) : 0;
    int full = band.GetRasterDataType() == GDT_UInt16 ? 16 : 8;
    if (bits < 1 || bits > full) bits = full;
    return (1u << bits) - 1;
}

std::string numberText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// The smallest and largest value of the bands, from GDAL's approximate min/max (a sample
// of the pixels or an overview). Nothing is stored beside the source: the values are
// computed, not kept as statistics. False when GDAL cannot tell.
bool rangeOf(GDALDataset& raster, const std::vector<int>& bands, double& low, double& high) {
    bool found = false;
    for (int b : bands) {
        double minMax[2] = {0, 0};
        CPLErrorReset();
        if (raster.GetRasterBand(b)->ComputeRasterMinMax(TRUE, minMax) != CE_None) continue;
        if (!std::isfinite(minMax[0]) || !std::isfinite(minMax[1])) continue;
        low = found ? std::min(low, minMax[0]) : minMax[0];
        high = found ? std::max(high, minMax[1]) : minMax[1];
        found = true;
    }
    return found;
}

// The integer stretch that covers low..high, as it is typed: "0,4095".
std::string stretchArgument(double low, double high) {
    double from = std::floor(low), to = std::ceil(high);
    if (to <= from) to = from + 1;
    return numberText(from) + "," + numberText(to);
}

bool isComplex(GDALDataType type) { return GDALDataTypeIsComplex(type) != 0; }

}  // namespace

ImportStatus readBandLayout(GDALDataset& raster, const std::optional<SampleStretch>& stretch, RasterBands& out,
                            std::vector<std::string>& warnings, std::string& message) {
    int count = raster.GetRasterCount();
    if (count < 1) {
        message = "it holds no raster bands";
        return ImportStatus::UnsupportedPixels;
    }
    GDALRasterBand& first = *raster.GetRasterBand(1);
    out.type = first.GetRasterDataType();
    if (stretch && !(stretch->max > stretch->min && std::isfinite(stretch->min) && std::isfinite(stretch->max))) {
        message = "the stretch " + numberText(stretch->min) + "," + numberText(stretch->max) +
                  " is empty: its second value must be larger than its first";
        return ImportStatus::UnsupportedPixels;
    }
    if (isComplex(out.type)) {
        message = std::string("its samples are ") + GDALGetDataTypeName(out.type) +
                  ", complex numbers; Tessella reads pictures";
        return ImportStatus::UnsupportedPixels;
    }
    if (!stretch && out.type != GDT_Byte && out.type != GDT_UInt16) {
        message = std::string("its samples are ") + GDALGetDataTypeName(out.type) +
                  ", which need a stretch onto 0 to 255 colour values";
        double low = 0, high = 0;
        std::vector<int> all;
        for (int b = 1; b <= std::min(count, 3); ++b) all.push_back(b);
        if (rangeOf(raster, all, low, high)) {
            message += ": its values run from about " + numberText(low) + " to " + numberText(high) +
                       "; give --stretch " + stretchArgument(low, high);
        } else {
            message += "; give the range to map with --stretch MIN,MAX";
        }
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
    out.layout.maxValue = (out.type == GDT_Byte || out.type == GDT_UInt16) ? maxValueOf(first) : 255;
    GDALColorTable* table = first.GetColorTable();
    if (table && first.GetColorInterpretation() == GCI_PaletteIndex) {
        if (stretch) {
            message = "it is a palette picture, whose samples are indices into its colour table: a stretch does "
                      "not apply to it; leave --stretch out";
            return ImportStatus::UnsupportedPixels;
        }
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
        // Plain 8-bit colour. An uncompressed GeoTIFF of three bands stored pixel by pixel
        // is read straight from the file into the buffer (GDAL's direct I/O), which only
        // takes the bands in their own order: red and blue are swapped afterwards, at a
        // fraction of the cost of GDAL's sample-by-sample copy. Any other source is asked
        // for in the tiles' order, so that GDAL's copy leaves the samples as they are taken.
        if (!alpha && !stretch && out.type == GDT_Byte && out.layout.maxValue == 255) {
            out.directRead = readsDirectly(raster);
            if (!out.directRead) {
                out.layout.kind = SampleLayout::Kind::Bgr;
                out.bands = {3, 2, 1};
            }
        }
    } else {
        out.layout.kind = alpha == 2 ? SampleLayout::Kind::GreyAlpha : SampleLayout::Kind::Grey;
        out.bands = {1};
        if (alpha == 2) out.bands.push_back(2);
    }

    // NoData values and mask files: those pixels show white, as they do after a warp.
    out.mask = nullptr;
    if (!alpha) {
        const int flags = first.GetMaskFlags();
        if (!(flags & GMF_ALL_VALID) && !(flags & GMF_ALPHA)) out.mask = first.GetMaskBand();
    }

    if (stretch) {
        out.layout.stretch = true;
        out.layout.stretchMin = stretch->min;
        out.layout.stretchMax = stretch->max;
        out.type = GDT_Float32;
    } else if (out.layout.kind != SampleLayout::Kind::Palette && out.layout.maxValue > 255) {
        // Deep samples that use a small part of their range (12 bits in 16-bit words, with
        // no NBITS tag) come out nearly black.
        std::vector<int> colours(out.bands.begin(), out.bands.begin() + (out.layout.kind == SampleLayout::Kind::Rgb ||
                                                                                 out.layout.kind == SampleLayout::Kind::Rgba
                                                                             ? 3
                                                                             : 1));
        double low = 0, high = 0;
        if (rangeOf(raster, colours, low, high) && high < (out.layout.maxValue + 1.0) / 16) {
            warnings.push_back("its samples use only " + numberText(low) + " to " + numberText(high) + " of 0 to " +
                               std::to_string(out.layout.maxValue) +
                               ", so the map comes out nearly black; to map that range onto the colours, give "
                               "--stretch " + stretchArgument(0, high));
        }
    }
    return ImportStatus::Ready;
}

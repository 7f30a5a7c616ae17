#include "WholeDecode.h"

#include <cpl_vsi.h>
#include <gdal_priv.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {

struct VsiCloser {
    void operator()(VSILFILE* file) const { VSIFCloseL(file); }
};
using VsiFile = std::unique_ptr<VSILFILE, VsiCloser>;

int nextByte(VSILFILE* file) {
    unsigned char byte;
    return VSIFReadL(&byte, 1, 1, file) == 1 ? byte : -1;
}

// Walks the JPEG markers up to the first start of frame: SOF2, SOF6, SOF10 and SOF14
// are progressive.
DecodeOrder jpegOrder(VSILFILE* file) {
    for (int segments = 0; segments < 10000; ++segments) {
        if (nextByte(file) != 0xFF) return DecodeOrder::RowByRow;  // not where a marker should be
        int marker = nextByte(file);
        while (marker == 0xFF) marker = nextByte(file);  // fill bytes
        if (marker < 0 || marker == 0xD9 || marker == 0xDA) return DecodeOrder::RowByRow;
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;  // no length
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            bool progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            return progressive ? DecodeOrder::Whole : DecodeOrder::RowByRow;
        }
        int high = nextByte(file), low = nextByte(file);
        if (high < 0 || low < 0) return DecodeOrder::RowByRow;
        int length = (high << 8) | low;
        if (length < 2 || VSIFSeekL(file, VSIFTellL(file) + static_cast<vsi_l_offset>(length - 2), SEEK_SET) != 0)
            return DecodeOrder::RowByRow;
    }
    return DecodeOrder::RowByRow;
}

}  // namespace

DecodeOrder decodeOrderOf(const std::string& path, std::string& formatName) {
    VsiFile file(VSIFOpenL(path.c_str(), "rb"));
    if (!file) return DecodeOrder::RowByRow;
    uint8_t head[29] = {};
    size_t got = VSIFReadL(head, 1, sizeof head, file.get());
    if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) {
        formatName = "progressive JPEG";
        VSIFSeekL(file.get(), 2, SEEK_SET);
        return jpegOrder(file.get());
    }
    static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (got == sizeof head && std::equal(pngSignature, pngSignature + 8, head) && head[12] == 'I' &&
        head[13] == 'H' && head[14] == 'D' && head[15] == 'R') {
        formatName = "interlaced PNG";
        return head[28] == 1 ? DecodeOrder::Whole : DecodeOrder::RowByRow;  // Adam7
    }
    return DecodeOrder::RowByRow;
}

int64_t decodedBytesOf(GDALDataset& raster) {
    int64_t pixels = static_cast<int64_t>(raster.GetRasterXSize()) * raster.GetRasterYSize();
    int64_t bytes = 0;
    for (int b = 1; b <= raster.GetRasterCount(); ++b)
        bytes += pixels * GDALGetDataTypeSizeBytes(raster.GetRasterBand(b)->GetRasterDataType());
    return bytes;
}

bool withinWholeDecodeLimit(const std::vector<std::string>& files, int64_t limitBytes, WholeDecodeFound& found) {
    for (const std::string& file : files) {
        std::string kind;
        if (decodeOrderOf(file, kind) != DecodeOrder::Whole) continue;
        // Opening reads only the headers; the pixels are decoded on the first read.
        const char* const drivers[] = {"JPEG", "PNG", nullptr};
        GDALDatasetUniquePtr raster(GDALDataset::Open(file.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers));
        if (!raster) continue;
        int64_t bytes = decodedBytesOf(*raster);
        if (bytes > limitBytes) {
            found = {file, kind, bytes};
            return false;
        }
    }
    return true;
}

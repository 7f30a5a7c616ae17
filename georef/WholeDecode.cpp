#include "WholeDecode.h"

#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Walks the JPEG markers up to the first start of frame: SOF2, SOF6, SOF10 and SOF14
// are progressive.
DecodeOrder jpegOrder(std::FILE* file) {
    for (int segments = 0; segments < 10000; ++segments) {
        if (std::fgetc(file) != 0xFF) return DecodeOrder::RowByRow;  // not where a marker should be
        int marker = std::fgetc(file);
        while (marker == 0xFF) marker = std::fgetc(file);  // fill bytes
        if (marker == EOF || marker == 0xD9 || marker == 0xDA) return DecodeOrder::RowByRow;
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;  // no length
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            bool progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            return progressive ? DecodeOrder::Whole : DecodeOrder::RowByRow;
        }
        int high = std::fgetc(file), low = std::fgetc(file);
        if (high == EOF || low == EOF) return DecodeOrder::RowByRow;
        long length = (high << 8) | low;
        if (length < 2 || std::fseek(file, length - 2, SEEK_CUR) != 0) return DecodeOrder::RowByRow;
    }
    return DecodeOrder::RowByRow;
}

}  // namespace

DecodeOrder decodeOrderOf(const std::string& path, std::string& formatName) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return DecodeOrder::RowByRow;
    uint8_t head[29] = {};
    size_t got = std::fread(head, 1, sizeof head, file.get());
    if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) {
        formatName = "progressive JPEG";
        std::fseek(file.get(), 2, SEEK_SET);
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

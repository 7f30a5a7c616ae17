#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "ImageWriter.h"

namespace {

// libpng reports errors by jumping back to the last setjmp; every call into it is made
// from a function that sets one and holds nothing that needs destroying.
class LibpngWriter : public ImageWriter {
public:
    explicit LibpngWriter(OutputFile& file) : file_(file) {}
    ~LibpngWriter() override { png_destroy_write_struct(&png_, &info_); }

    bool open(const ImageLayout& layout) {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, onError, onWarning);
        if (png_ != nullptr) info_ = png_create_info_struct(png_);
        if (png_ == nullptr || info_ == nullptr) {
            failure_ = "out of memory";
            return false;
        }
        png_color colours[256];
        png_byte alpha[256];
        int count = static_cast<int>(layout.colours.size());
        for (int i = 0; i < count && i < 256; ++i) {
            colours[i] = {layout.colours[i].red, layout.colours[i].green, layout.colours[i].blue};
            alpha[i] = i == layout.transparentIndex ? 0 : 255;
        }
        return writeHeader(layout, colours, alpha, count);
    }

    bool writeRow(const uint8_t* row) override {
        if (!failure_.empty()) return false;
        if (setjmp(png_jmpbuf(png_))) return false;
        png_write_row(png_, row);
        return true;
    }

    bool finish() override {
        if (!failure_.empty()) return false;
        if (setjmp(png_jmpbuf(png_))) return false;
        png_write_end(png_, info_);
        return failure_.empty();
    }

    std::string failure() const override { return failure_; }

private:
    bool writeHeader(const ImageLayout& layout, png_color* colours, png_byte* alpha, int count) {
        if (setjmp(png_jmpbuf(png_))) return false;
        png_set_write_fn(png_, this, onWrite, onFlush);
        png_set_IHDR(png_, info_, static_cast<png_uint_32>(layout.width),
                     static_cast<png_uint_32>(layout.height), 8,
                     layout.indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (layout.indexed) {
            png_set_PLTE(png_, info_, colours, count);
            if (layout.transparentIndex >= 0 && layout.transparentIndex < count)
                png_set_tRNS(png_, info_, alpha, layout.transparentIndex + 1, nullptr);
            // Palette rows gain nothing from filtering; the fastest level keeps big maps quick.
            png_set_filter(png_, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        }
        png_set_compression_level(png_, 1);
        png_write_info(png_, info_);
        return true;
    }

    static void onWrite(png_structp png, png_bytep data, png_size_t size) {
        auto* self = static_cast<LibpngWriter*>(png_get_io_ptr(png));
        if (self->file_.write(data, size)) return;
        char reason[256];
        describeSystemError(self->file_.error(), reason, sizeof reason);
        self->writeFailure_ = reason;
        png_error(png, reason);
    }
    static void onFlush(png_structp) {}

    static void onError(png_structp png, png_const_charp message) {
        auto* self = static_cast<LibpngWriter*>(png_get_error_ptr(png));
        self->failure_ = self->writeFailure_.empty() ? message : self->writeFailure_;
        png_longjmp(png, 1);
    }
    static void onWarning(png_structp, png_const_charp) {}

    OutputFile& file_;
    std::string writeFailure_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    std::string failure_;
};

}  // namespace

std::unique_ptr<ImageWriter> createPngWriter(OutputFile& file, const ImageLayout& layout, std::string& reason) {
    auto writer = std::make_unique<LibpngWriter>(file);
    if (!writer->open(layout)) {
        reason = writer->failure();
        return nullptr;
    }
    return writer;
}

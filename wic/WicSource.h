#pragma once
// A map picture read through the Windows Imaging Component, as an ImportSource: every
// format it decodes (PNG, JPEG, TIFF, BMP, GIF), its corners typed, from its GeoTIFF tags
// or from a world file beside it (placement/PlainGeoreferencing.h), fitted to the
// 160-pixel grid and delivered strip by strip as the same 24-bit pixels as the Linux
// build's. The picture is read through the file services' handle, never opened by name.

#include <memory>
#include <string>

#include "ImportSource.h"

class WicSource : public ImportSource {
public:
    ~WicSource() override;

    // On Ready, source holds the opened picture; otherwise message says what is wrong,
    // naming the file.
    static ImportStatus open(const ImportRequest& request, std::unique_ptr<WicSource>& source, std::string& message);

    int32_t readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) override;
    bool unchanged() override;
    void inputFiles(std::vector<FileIdentity>& files) const override;

private:
    struct Wic;
    WicSource();
    // Reads pixels (x0, y0) to (x0 + width, y0 + rows) of what is read (the frame, or its
    // scaled picture) as blue, green, red into row-major bgr.
    bool readPixels(int32_t x0, int32_t y0, int32_t width, int32_t rows);

    std::unique_ptr<Wic> wic_;
};

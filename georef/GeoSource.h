#pragma once
// A georeferenced map picture read through GDAL, as a PixelSource: any raster GDAL reads,
// its corners from the file's own georeferencing or typed by the user, warped to north-up
// WGS84 latitude/longitude when it is in another system, fitted to the 160-pixel grid,
// and delivered strip by strip as 24-bit pixels. Never holds the whole raster.

#include <cstdint>
#include <memory>
#include <string>

#include "ImportSource.h"

class GeoSource : public ImportSource {
public:
    ~GeoSource() override;

    // On Ready, source holds the opened picture; otherwise message says what is wrong in
    // one or more sentences, naming the file.
    static ImportStatus open(const ImportRequest& request, std::unique_ptr<GeoSource>& source,
                             std::string& message);

    int32_t readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) override;
    bool unchanged() override;
    // The files on disk among those read (not what GDAL's virtual file systems hold).
    void inputFiles(std::vector<FileIdentity>& files) const override;

private:
    struct Gdal;
    GeoSource();
    // How the map's pixels, fitted from grid, fall on window: the pixels of the picture
    // (after any warp) from the window's corner, that grid resamples or equals.
    void placeOnWindow(const LatLonGrid& window, const LatLonGrid& grid);
    // Reads the samples of fitted-picture pixels (x0, y0) to (x0 + width, y0 + rows).
    bool readSamples(int32_t x0, int32_t y0, int32_t width, int32_t rows);

    std::unique_ptr<Gdal> gdal_;
};

// Makes GDAL ready once: every driver registered, its messages kept for ours, and its
// block cache kept small.
void startGdal();

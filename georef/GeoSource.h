#pragma once
// A georeferenced map picture read through GDAL, as a PixelSource: any raster GDAL reads,
// its corners from the file's own georeferencing or typed by the user, warped to north-up
// WGS84 latitude/longitude when it is in another system, fitted to the 160-pixel grid,
// and delivered strip by strip as 24-bit pixels. Never holds the whole raster.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "MapExtents.h"
#include "MapGrid.h"
#include "PixelSource.h"

struct ImportRequest {
    std::string sourcePath;
    std::string srs;                       // --srs: the system of a world file; "" when not given
    std::optional<GeoPoint> topLeft;       // typed corners: the picture's outer edges,
    std::optional<GeoPoint> bottomRight;   // used instead of the file's georeferencing
    FitMode fit = FitMode::Pad;
    Resampling resampling = Resampling::Nearest;
    // A source GDAL decodes whole is refused when its pixels take more than this.
    int64_t wholeDecodeLimitBytes = 32LL << 20;
};

enum class ImportStatus {
    Ready,
    SourceUnreadable,     // GDAL cannot open or read it
    DecodedWhole,         // progressive JPEG or interlaced PNG too large to decode whole
    UnsupportedPixels,    // a sample type or band layout that is not a picture
    NoGeoreferencing,     // neither the file nor the user gives its corners
    NoCoordinateSystem,   // a world file without .prj, and no --srs
    BadCoordinateSystem,  // --srs or the file's system cannot be turned into WGS84
    WarpFailed,
    FitRefused,           // crop leaves less than 480 pixels, or the map is too large
    CornersRefused,       // south of the equator, west of Greenwich, or out of order
    ExtentRefused,        // an extent rounds to 0 m or passes 9,999,999 m
};

// What was worked out from the source.
struct ImportPlan {
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    std::string georeferencing;  // where the corners came from, for the user
    bool warped = false;
    FittedGrid fitted;
    MapCorners corners;
    MapExtents extents;
};

class GeoSource : public PixelSource {
public:
    ~GeoSource() override;

    // On Ready, source holds the opened picture; otherwise message says what is wrong in
    // one or more sentences, naming the file.
    static ImportStatus open(const ImportRequest& request, std::unique_ptr<GeoSource>& source,
                             std::string& message);

    const ImportPlan& plan() const { return plan_; }
    // Why the last readStrip delivered fewer tiles than asked for.
    const std::string& readError() const { return readError_; }

    int32_t readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) override;
    bool unchanged() override;
    // The files on disk among those read (not what GDAL's virtual file systems hold).
    void inputFiles(std::vector<FileIdentity>& files) const override;

private:
    struct Gdal;
    GeoSource();
    // Reads the samples of fitted-picture pixels (x0, y0) to (x0 + width, y0 + rows).
    bool readSamples(int32_t x0, int32_t y0, int32_t width, int32_t rows);

    std::unique_ptr<Gdal> gdal_;
    ImportPlan plan_;
    std::string readError_;
};

// Makes GDAL ready once: every driver registered, its messages kept for ours, and its
// block cache kept small.
void startGdal();

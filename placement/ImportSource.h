#pragma once
// A map picture opened for import, whatever reads it: GDAL in the Linux build
// (georef/GeoSource), the Windows Imaging Component in the Windows build. The command line
// knows only this: one import, one report and one run of the conversion for both.

#include <memory>
#include <string>

#include "ImportPlan.h"
#include "PixelSource.h"

class ImportSource : public PixelSource {
public:
    // What was worked out when the picture was opened.
    const ImportPlan& plan() const { return plan_; }
    // Why the last readStrip delivered fewer tiles than asked for; "" when it did not say.
    const std::string& readError() const { return readError_; }

protected:
    // The strip a readStrip asks for: its first pixel and width in the fitted picture, and
    // the part of it that shows source pixels (from the west and north edges; the rest is
    // white padding).
    struct Strip {
        int32_t x0 = 0, y0 = 0, width = 0;
        int32_t shownWidth = 0, shownHeight = 0;
    };
    // Strip of tile row `row`, columns firstColumn to firstColumn + columnCount, of a picture
    // whose source pixels fill shownColumns x shownRows from its top-left corner. False,
    // with readError_ said, when it lies outside the fitted picture.
    bool stripOf(int32_t row, int32_t firstColumn, int32_t columnCount, int32_t shownColumns, int32_t shownRows,
                 Strip& strip);

    ImportPlan plan_;
    std::string readError_;
};

// Opens request's picture with this build's reader and works out the plan. On Ready,
// source holds it; otherwise message says what is wrong, naming the file.
ImportStatus openImportSource(const ImportRequest& request, std::unique_ptr<ImportSource>& source,
                              std::string& message);

// The option of request this build's reader cannot do (the Windows build's: "--window",
// "--stretch"), as it is typed; "" when it does all of it.
std::string optionBeyondReader(const ImportRequest& request);

// The map of a picture whose pixels lie on grid: fitted to the tiles as request asks, its
// corners, and its extents (measured, or typed where typed). Ready, or the refusal's
// status with message (which edge, by how much, and what makes it fit).
ImportStatus planMap(const LatLonGrid& grid, const ImportRequest& request, ImportPlan& plan, std::string& message);

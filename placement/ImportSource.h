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

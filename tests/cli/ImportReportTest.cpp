// The settings an import prints: corner arguments convert reads back to the same
// millisecond, and the dialog's whole seconds with how far they move.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "ImportReport.h"

namespace {

TEST(CornerArgument, ReadsBackToTheSameMillisecond) {
    struct Case {
        uint32_t latitude, longitude;
        const char* text;
    } cases[] = {
        {128410000, 503130000, "35:40:10,139:45:30"},
        {128400000, 503100001, "35.666666667,139.750000278"},
        {3600000, 7200000, "1:00:00,2:00:00"},
    };
    for (const Case& c : cases) {
        std::string text = cornerArgument(c.latitude, c.longitude);
        EXPECT_EQ(c.text, text);
        if (text.find(':') != std::string::npos) continue;
        size_t comma = text.find(',');
        EXPECT_EQ(c.latitude, std::llround(std::atof(text.substr(0, comma).c_str()) * 3600000));
        EXPECT_EQ(c.longitude, std::llround(std::atof(text.substr(comma + 1).c_str()) * 3600000));
    }
    EXPECT_EQ("35:40:10.250", dmsText(128410250));
}

TEST(ImportReport, ConvertLineAndDialogValuesWithTheirRounding) {
    ImportPlan plan;
    plan.sourceWidth = plan.fitted.width = plan.fitted.keptWidth = 480;
    plan.sourceHeight = plan.fitted.height = plan.fitted.keptHeight = 480;
    plan.georeferencing = "its own georeferencing";
    plan.corners = {128400000, 503100000, 128340400, 503160000};
    plan.extents = extentsOf(plan.corners);
    std::string report = importReport(plan, FitMode::Pad, {"a.tif", "a b.bmp", "Tokyo", "tokyo"});
    EXPECT_NE(std::string::npos,
              report.find("tessella convert 'a b.bmp' --name Tokyo --folder tokyo --top-left 35:40:00,139:45:00 "
                          "--bottom-right 35.650111111,139.766666667 --east-west " +
                          std::to_string(plan.extents.eastWestMetres) + " --north-south " +
                          std::to_string(plan.extents.northSouthMetres) + "\n"))
        << report;
    // 0.4 s of latitude is about 12.3 m.
    EXPECT_NE(std::string::npos, report.find(" 35 39  0   139 46  0   (rounded to whole seconds: moves 12.3 m)"))
        << report;
}

TEST(ImportReport, TypedExtentsWindowAndControlPointsAreSaidAsTheyAre) {
    ImportPlan plan;
    plan.sourceWidth = plan.fitted.width = plan.fitted.keptWidth = 480;
    plan.sourceHeight = plan.fitted.height = plan.fitted.keptHeight = 480;
    plan.corners = {128400000, 503100000, 128340400, 503160000};
    plan.extents = plan.measuredExtents = extentsOf(plan.corners);
    plan.extents.eastWestMetres = 1234;
    plan.eastWestTyped = true;
    plan.window = GeoWindow{{35.5, 139.5}, {35.25, 140.0}};
    plan.controlPoints = {{"corner", 0, 0, 0.25}, {"", 479.5, 12, 1.5}};
    std::string report = importReport(plan, FitMode::Pad, {"a.tif", "a.bmp", "Tokyo", "tokyo"});
    EXPECT_NE(std::string::npos, report.find("East-west:    1234 m, as typed (the corners measure " +
                                             std::to_string(plan.measuredExtents.eastWestMetres) + " m)"))
        << report;
    EXPECT_NE(std::string::npos, report.find("North-south:  " + std::to_string(plan.extents.northSouthMetres) +
                                             " m, along the meridian"))
        << report;
    EXPECT_NE(std::string::npos, report.find("Window:       35:30:00,139:30:00 to 35:15:00,140:00:00")) << report;
    EXPECT_NE(std::string::npos,
              report.find("Control points: 2, fitted by a first-order polynomial; residuals in pixels:\n"
                          "  corner       at pixel 0.0, line 0.0: 0.25\n"
                          "  (no id)      at pixel 479.5, line 12.0: 1.50 (over one pixel)\n"))
        << report;
}

}  // namespace

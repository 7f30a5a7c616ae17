// Fitting to the tile grid, corners in milliseconds of arc, and extents against
// GeographicLib's command-line tools.

#include <gtest/gtest.h>

#include "GeorefSupport.h"
#include "MapExtents.h"
#include "MapGrid.h"

namespace {

struct FitCase {
    const char* name;
    int32_t width, height;
    FitMode mode;
    FitStatus status;
    int32_t fittedWidth, fittedHeight, keptWidth, keptHeight;
    bool scaled;
    int32_t columnsSpanned, rowsSpanned;  // source-sized pixels from west to east edge
};

TEST(FitToGrid, SizesKeptPixelsAndEdges) {
    const FitCase cases[] = {
        {"on grid, pad", 640, 480, FitMode::Pad, FitStatus::Fitted, 640, 480, 640, 480, false, 640, 480},
        {"off grid, pad", 500, 490, FitMode::Pad, FitStatus::Fitted, 640, 640, 500, 490, false, 640, 640},
        {"small, pad to 480", 100, 200, FitMode::Pad, FitStatus::Fitted, 480, 480, 100, 200, false, 480, 480},
        {"off grid, crop", 799, 1000, FitMode::Crop, FitStatus::Fitted, 640, 960, 640, 960, false, 640, 960},
        {"crop under 480", 639, 479, FitMode::Crop, FitStatus::TooSmallToCrop, 480, 320, 480, 320, false, 0, 0},
        {"scale down", 500, 690, FitMode::Scale, FitStatus::Fitted, 480, 640, 500, 690, true, 500, 690},
        {"scale up", 560, 400, FitMode::Scale, FitStatus::Fitted, 640, 480, 560, 400, true, 560, 400},
        {"scale on grid", 480, 800, FitMode::Scale, FitStatus::Fitted, 480, 800, 480, 800, false, 480, 800},
        {"1000 columns, as convert takes them", 160000, 480, FitMode::Pad, FitStatus::Fitted, 160000, 480, 160000, 480,
         false, 160000, 480},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.name);
        LatLonGrid grid{36.0, 139.0, 0.001, 0.002, c.width, c.height};
        FittedGrid fitted;
        ASSERT_EQ(c.status, fitToGrid(grid, c.mode, fitted));
        EXPECT_EQ(c.fittedWidth, fitted.width);
        EXPECT_EQ(c.fittedHeight, fitted.height);
        if (c.status != FitStatus::Fitted) continue;
        EXPECT_EQ(c.keptWidth, fitted.keptWidth);
        EXPECT_EQ(c.keptHeight, fitted.keptHeight);
        EXPECT_EQ(c.scaled, fitted.scaled);
        EXPECT_DOUBLE_EQ(36.0, fitted.north);
        EXPECT_DOUBLE_EQ(139.0, fitted.west);
        EXPECT_NEAR(139.0 + c.columnsSpanned * 0.002, fitted.east, 1e-9);
        EXPECT_NEAR(36.0 - c.rowsSpanned * 0.001, fitted.south, 1e-9);
    }
}

struct CornerCase {
    const char* name;
    double north, west, south, east;
    CornerStatus status;
    MapCorners corners;
};

TEST(CornersOf, RoundToTheNearestMillisecondNorthAndEastOnly) {
    const CornerCase cases[] = {
        {"whole seconds", 35 + 40 / 60.0, 139.75, 35.65, 139.7666666666666667, CornerStatus::Valid,
         {128400000, 503100000, 128340000, 503160000}},
        {"nearest millisecond", 10.0 + 0.6 / 3600000, 20.0 + 0.49 / 3600000, 9.0, 21.0,
         CornerStatus::Valid, {36000001, 72000000, 32400000, 75600000}},
        {"south of the equator", 1.0, 10.0, -0.001, 11.0, CornerStatus::OutsideNorthEast, {}},
        {"west of Greenwich", 1.0, -0.5, 0.5, 11.0, CornerStatus::OutsideNorthEast, {}},
        {"past 180 east", 1.0, 179.5, 0.5, 180.5, CornerStatus::OutsideNorthEast, {}},
        {"collapsed to one millisecond", 1.0, 10.0, 1.0 - 0.1 / 3600000, 11.0, CornerStatus::NotOrdered, {}},
    };
    for (const CornerCase& c : cases) {
        SCOPED_TRACE(c.name);
        FittedGrid fitted;
        fitted.north = c.north;
        fitted.west = c.west;
        fitted.south = c.south;
        fitted.east = c.east;
        MapCorners corners;
        ASSERT_EQ(c.status, cornersOf(fitted, corners));
        if (c.status != CornerStatus::Valid) continue;
        EXPECT_EQ(c.corners.topLeftLatitude, corners.topLeftLatitude);
        EXPECT_EQ(c.corners.topLeftLongitude, corners.topLeftLongitude);
        EXPECT_EQ(c.corners.bottomRightLatitude, corners.bottomRightLatitude);
        EXPECT_EQ(c.corners.bottomRightLongitude, corners.bottomRightLongitude);
    }
}

// Checks both extents of the corners to the metre against RhumbSolve and GeodSolve.
void expectExtentsMatchSolvers(const MapCorners& corners, const MapExtents& extents) {
    double north = degreesOf(corners.topLeftLatitude), south = degreesOf(corners.bottomRightLatitude);
    double west = degreesOf(corners.topLeftLongitude), east = degreesOf(corners.bottomRightLongitude);
    EXPECT_NEAR(rhumbMetres((north + south) / 2, west, east), static_cast<double>(extents.eastWestMetres), 0.5001);
    EXPECT_NEAR(meridianMetres(north, south), static_cast<double>(extents.northSouthMetres), 0.5001);
}

TEST(ExtentsOf, MatchGeographicLibToolsToTheMetre) {
    const MapCorners cases[] = {
        {128400000, 503100000, 128340000, 503160000},  // a minute square in Tokyo
        {172125000, 435375000, 111375000, 526500000},  // East Asia, 17 by 25 degrees
        {3600000, 0, 1, 3600000},                      // at the equator
        {320000000, 100, 300000000, 647999999},        // far north, nearly half the globe
    };
    for (const MapCorners& corners : cases) expectExtentsMatchSolvers(corners, extentsOf(corners));
}

TEST(RoundedToSecond, HalfASecondGoesUp) {
    EXPECT_EQ(128410000u, roundedToSecond(128410499));
    EXPECT_EQ(128411000u, roundedToSecond(128410500));
    EXPECT_EQ(0u, roundedToSecond(499));
}

}  // namespace

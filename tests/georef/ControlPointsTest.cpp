// A picture without georeferencing placed by control points, typed or read from a QGIS
// georeferencer's .points file: the grid and every pixel checked against gdal_translate
// -gcp then gdalwarp with the same points and transform, and every refusal.

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "GeorefSupport.h"
#include "TempFolder.h"

namespace {

// A place on the picture and where it lies, as --gcp takes it.
ControlPoint point(double pixel, double line, double latitude, double longitude) {
    return {pixel, line, {latitude, longitude}};
}

// A sheet turned a little against the meridians and bent a little, so that each
// polynomial order fits it otherwise: where pixel (p, l) of a scan lies.
ControlPoint onSheet(double p, double l) {
    return point(p, l, 35.7 - l * 1e-4 + p * 1e-5 + p * p * 2e-9, 139.7 + p * 1e-4 + l * 1e-5 + p * l * 3e-9);
}

std::vector<ControlPoint> sheetPoints(int count) {
    std::vector<ControlPoint> points;
    for (int i = 0; i < count; ++i) points.push_back(onSheet(30 + (i * 211) % 540, 20 + (i * 137) % 460));
    return points;
}

const char* warpOption(GcpTransform transform) {
    switch (transform) {
        case GcpTransform::Poly1: return "-order 1";
        case GcpTransform::Poly2: return "-order 2";
        case GcpTransform::Poly3: return "-order 3";
        case GcpTransform::ThinPlateSpline: return "-tps";
    }
    return "";
}

// What GDAL's own tools make of the picture and points: gdal_translate -gcp, then
// gdalwarp with the transform, nearest neighbour.
Warped gdalwarpByPoints(const std::string& picture, const std::vector<ControlPoint>& points, GcpTransform transform,
                        const TempFolder& folder) {
    std::string gcps;
    char text[160];
    for (const ControlPoint& p : points) {
        std::snprintf(text, sizeof text, " -gcp %.17g %.17g %.17g %.17g", p.pixel, p.line, p.at.longitude,
                      p.at.latitude);
        gcps += text;
    }
    const std::string placed = folder.file("placed.vrt");
    EXPECT_EQ(0, run("gdal_translate -q -of VRT -a_srs EPSG:4326" + gcps + " '" + picture + "' '" + placed + "'"));
    return gdalwarp(placed, std::string("-r near ") + warpOption(transform), folder.file("warped.vrt"));
}

// A padded map's pixel steps, from its edges.
double latitudeStep(const FittedGrid& fitted) { return (fitted.north - fitted.south) / fitted.height; }
double longitudeStep(const FittedGrid& fitted) { return (fitted.east - fitted.west) / fitted.width; }

// The source's grid and pixels are gdalwarp's: the same edges and steps, and each pixel
// the colour gdalwarp gives it, white where gdalwarp says nothing lies.
void expectAsGdalwarp(GeoSource& source, const Warped& want) {
    const ImportPlan& plan = source.plan();
    EXPECT_TRUE(plan.warped);
    EXPECT_EQ(want.grid.width, plan.fitted.keptWidth);
    EXPECT_EQ(want.grid.height, plan.fitted.keptHeight);
    EXPECT_NEAR(want.grid.north, plan.fitted.north, 1e-9);
    EXPECT_NEAR(want.grid.west, plan.fitted.west, 1e-9);
    EXPECT_NEAR(want.grid.latitudeStep, latitudeStep(plan.fitted), 1e-12);
    EXPECT_NEAR(want.grid.longitudeStep, longitudeStep(plan.fitted), 1e-12);
    size_t shown = 0;
    for (double alpha : want.bands[3]) shown += alpha == 255;
    EXPECT_GT(shown, want.bands[3].size() / 2);
    EXPECT_EQ(0, pixelsApart(readPicture(source), plan.fitted.width, want, 0));
}

ImportStatus openWith(const std::string& path, const std::vector<ControlPoint>& points,
                      std::optional<GcpTransform> transform, std::unique_ptr<GeoSource>& source,
                      std::string& message) {
    ImportRequest request;
    request.sourcePath = path;
    request.controlPoints = points;
    request.transform = transform;
    return GeoSource::open(request, source, message);
}

RasterRecipe scan(const char* driver, int width, int height, int bands) {
    RasterRecipe recipe;
    recipe.driver = driver;
    recipe.width = width;
    recipe.height = height;
    recipe.bands = bands;
    return recipe;
}

TEST(ControlPoints, TypedPointsWarpAsGdalwarpWithEachTransform) {
    struct {
        const char* name;
        RasterRecipe picture;
        const char* file;
        std::vector<ControlPoint> points;
        std::optional<GcpTransform> transform;
        GcpTransform used;
    } const cases[] = {
        {"four corners of a colour TIFF, poly1 by default", scan("GTiff", 600, 500, 3), "s.tif",
         {onSheet(0, 0), onSheet(600, 0), onSheet(0, 500), onSheet(600, 500)}, std::nullopt, GcpTransform::Poly1},
        {"seven points of a PNG, poly1", scan("PNG", 600, 500, 3), "s.png", sheetPoints(7), GcpTransform::Poly1,
         GcpTransform::Poly1},
        {"seven points, poly2", scan("GTiff", 600, 500, 3), "s.tif", sheetPoints(7), GcpTransform::Poly2,
         GcpTransform::Poly2},
        {"twelve points, poly3", scan("GTiff", 600, 500, 3), "s.tif", sheetPoints(12), GcpTransform::Poly3,
         GcpTransform::Poly3},
        {"six points, thin plate spline", scan("GTiff", 600, 500, 3), "s.tif", sheetPoints(6),
         GcpTransform::ThinPlateSpline, GcpTransform::ThinPlateSpline},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file(c.file);
        makeRaster(path, c.picture);
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::Ready, openWith(path, c.points, c.transform, source, message)) << message;
        const ImportPlan& plan = source->plan();
        EXPECT_EQ(c.used, plan.transform);
        ASSERT_EQ(c.points.size(), plan.controlPoints.size());
        EXPECT_NE(std::string::npos, plan.georeferencing.find(transformDescription(c.used))) << plan.georeferencing;
        EXPECT_NE(std::string::npos, plan.georeferencing.find("typed with --gcp")) << plan.georeferencing;
        // A spline passes through every point; the first-order fit of a bent sheet does not.
        double worst = 0;
        for (const ControlPointFit& fit : plan.controlPoints) worst = std::max(worst, fit.residualPixels);
        if (c.used == GcpTransform::ThinPlateSpline) {
            EXPECT_LT(worst, 1e-3);
        } else if (c.used == GcpTransform::Poly1 && c.points.size() > 4) {
            EXPECT_GT(worst, 0.1);
        }
        expectAsGdalwarp(*source, gdalwarpByPoints(path, c.points, c.used, folder));
    }
}

// GCPs the picture holds itself (gdal_translate -gcp) take --transform as typed ones do.
TEST(ControlPoints, ThePicturesOwnGcpsTakeTheTransformAsked) {
    const std::vector<ControlPoint> points = sheetPoints(8);
    TempFolder folder;
    const std::string path = folder.file("own.tif");
    RasterRecipe picture = scan("GTiff", 600, 500, 3);
    picture.srs = "EPSG:4326";
    for (const ControlPoint& p : points) picture.gcps.push_back({p.pixel, p.line, p.at.longitude, p.at.latitude});
    makeRaster(path, picture);
    for (GcpTransform transform : {GcpTransform::Poly2, GcpTransform::ThinPlateSpline}) {
        SCOPED_TRACE(transformDescription(transform));
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::Ready, openWith(path, {}, transform, source, message)) << message;
        EXPECT_EQ(transform, source->plan().transform);
        EXPECT_NE(std::string::npos, source->plan().georeferencing.find("its 8 control points (GCPs)"));
        expectAsGdalwarp(*source, gdalwarpByPoints(path, points, transform, folder));
    }
}

// A real picture: a 480 x 480 cut of xplanet-images' whole earth (NASA's Visible Earth),
// made by gdal_translate with no georeferencing, placed by its four corners, whose places
// are known exactly: each pixel is 360/2048 degrees, the cut from 61.875 E, 85.78125 N.
TEST(ControlPoints, RealScanPlacedByItsCornersLiesOnItsKnownGrid) {
    const std::string earth = "/usr/share/xplanet/images/earth.jpg";
    if (!std::filesystem::exists(earth)) GTEST_SKIP() << "xplanet-images is not installed";
    TempFolder folder;
    const std::string cut = folder.file("asia.png");
    ASSERT_EQ(0, run("gdal_translate -q -of PNG -srcwin 1376 24 480 480 '" + earth + "' '" + cut + "'"));
    const double step = 360.0 / 2048, north = 85.78125, west = 61.875;
    const double south = north - 480 * step, east = west + 480 * step;
    const std::vector<ControlPoint> corners = {point(0, 0, north, west), point(480, 0, north, east),
                                               point(0, 480, south, west), point(480, 480, south, east)};
    std::unique_ptr<GeoSource> source;
    std::string message;
    ASSERT_EQ(ImportStatus::Ready, openWith(cut, corners, std::nullopt, source, message)) << message;
    const ImportPlan& plan = source->plan();
    EXPECT_EQ(480, plan.fitted.keptWidth);
    EXPECT_EQ(480, plan.fitted.keptHeight);
    EXPECT_NEAR(north, plan.fitted.north, 1e-9);
    EXPECT_NEAR(west, plan.fitted.west, 1e-9);
    EXPECT_NEAR(south, plan.fitted.south, 1e-9);
    EXPECT_NEAR(east, plan.fitted.east, 1e-9);
    for (const ControlPointFit& fit : plan.controlPoints) EXPECT_LT(fit.residualPixels, 1e-6) << fit.id;
    expectAsGdalwarp(*source, gdalwarpByPoints(cut, corners, GcpTransform::Poly1, folder));
}

TEST(ControlPoints, PointsTheTransformCannotUseAreRefusedAndSaySo) {
    const std::vector<ControlPoint> square = {onSheet(0, 0), onSheet(600, 0), onSheet(0, 500), onSheet(600, 500)};
    struct {
        const char* name;
        std::vector<ControlPoint> points;
        std::optional<GcpTransform> transform;
        ImportStatus status;
        std::vector<const char*> said;
    } const cases[] = {
        {"two points", {onSheet(0, 0), onSheet(600, 500)}, std::nullopt, ImportStatus::ControlPointsRefused,
         {"--transform poly1", "needs at least 3 control points; 2 are given"}},
        {"five for poly2", sheetPoints(5), GcpTransform::Poly2, ImportStatus::ControlPointsRefused,
         {"--transform poly2", "at least 6", "5 are given"}},
        {"nine for poly3", sheetPoints(9), GcpTransform::Poly3, ImportStatus::ControlPointsRefused,
         {"--transform poly3", "at least 10", "9 are given"}},
        {"one for a spline", {onSheet(0, 0)}, GcpTransform::ThinPlateSpline, ImportStatus::ControlPointsRefused,
         {"--transform tps", "at least 3", "1 is given"}},
        {"on one line on the picture", {onSheet(0, 0), onSheet(300, 250), onSheet(600, 500)}, std::nullopt,
         ImportStatus::ControlPointsRefused, {"on one line on the picture"}},
        {"on one line on the map",
         {point(0, 0, 35.7, 139.7), point(600, 0, 35.6, 139.8), point(0, 500, 35.5, 139.9)}, std::nullopt,
         ImportStatus::ControlPointsRefused, {"on one line on the map"}},
        {"one past the east edge", {onSheet(0, 0), onSheet(600, 0), onSheet(600.5, 500)}, std::nullopt,
         ImportStatus::ControlPointsRefused, {"control point 3", "pixel 600.5", "outside the picture of 600 x 500"}},
        {"one above the top", {onSheet(0, -1), onSheet(600, 0), onSheet(0, 500)}, std::nullopt,
         ImportStatus::ControlPointsRefused, {"control point 1", "line -1", "outside"}},
    };
    TempFolder folder;
    const std::string path = folder.file("s.tif");
    makeRaster(path, scan("GTiff", 600, 500, 3));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<GeoSource> source;
        std::string message;
        EXPECT_EQ(c.status, openWith(path, c.points, c.transform, source, message)) << message;
        EXPECT_FALSE(source);
        for (const char* part : c.said) EXPECT_NE(std::string::npos, message.find(part)) << message;
        EXPECT_EQ(0u, message.rfind(path + ": ", 0)) << message;
    }
    // The points on the edges themselves are inside.
    std::unique_ptr<GeoSource> source;
    std::string message;
    EXPECT_EQ(ImportStatus::Ready, openWith(path, square, std::nullopt, source, message)) << message;
}

TEST(ControlPoints, PicturesWithGeoreferencingOfTheirOwnTakeTypedPointsOnlyInItsPlace) {
    TempFolder folder;
    const std::string path = folder.file("g.tif");
    RasterRecipe placed = scan("GTiff", 600, 500, 3);
    placed.geoTransform = {139.7, 1e-4, 0, 35.7, 0, -1e-4};
    placed.srs = "EPSG:4326";
    makeRaster(path, placed);
    const std::vector<ControlPoint> points = sheetPoints(5);
    std::unique_ptr<GeoSource> source;
    std::string message;
    EXPECT_EQ(ImportStatus::GeoreferencingConflict, openWith(path, points, std::nullopt, source, message));
    for (const char* part : {"georeferencing of its own", "typed control points", "--replace-georeferencing"})
        EXPECT_NE(std::string::npos, message.find(part)) << message;
    // A transform for a picture its grid places is a mistake too.
    EXPECT_EQ(ImportStatus::TransformUnused, openWith(path, {}, GcpTransform::Poly2, source, message));
    EXPECT_NE(std::string::npos, message.find("leave --transform out")) << message;

    ImportRequest request;
    request.sourcePath = path;
    request.controlPoints = points;
    request.replaceGeoreferencing = true;
    ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    EXPECT_NE(std::string::npos, source->plan().georeferencing.find("in place of")) << source->plan().georeferencing;
    expectAsGdalwarp(*source, gdalwarpByPoints(path, points, GcpTransform::Poly1, folder));
}

// A .points file as QGIS's georeferencer saves it: a #CRS line, the header, the line
// counted negative, the enable column.
std::string qgisPoints(const std::vector<ControlPoint>& points, const std::vector<bool>& enabled, bool crsLine,
                       bool older = false) {
    std::string text = crsLine ? "#CRS: GEOGCRS[\"WGS 84\",DATUM[\"World Geodetic System 1984\",ELLIPSOID[\"WGS 84\","
                                 "6378137,298.257223563]],CS[ellipsoidal,2],AXIS[\"latitude\",north],"
                                 "AXIS[\"longitude\",east],ANGLEUNIT[\"degree\",0.0174532925199433],ID[\"EPSG\",4326]]\n"
                               : "";
    text += older ? "mapX,mapY,pixelX,pixelY,enable\n" : "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    char line[200];
    for (size_t i = 0; i < points.size(); ++i) {
        const ControlPoint& p = points[i];
        std::snprintf(line, sizeof line, older ? "%.12f,%.12f,%.6f,%.6f,%d\n" : "%.12f,%.12f,%.6f,%.6f,%d,0,0,0\n",
                      p.at.longitude, p.at.latitude, p.pixel, -p.line, enabled[i] ? 1 : 0);
        text += line;
    }
    return text;
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

TEST(ControlPoints, QgisPointsFileBesideThePicturePlacesItAsGdalwarpDoes) {
    std::vector<ControlPoint> points = sheetPoints(6);
    // A seventh point, far off and disabled: only the enable column keeps it out.
    std::vector<ControlPoint> saved = points;
    saved.insert(saved.begin() + 2, point(100, 100, 36.5, 141.0));
    std::vector<bool> enabled(saved.size(), true);
    enabled[2] = false;
    struct {
        const char* name;
        std::string text;
        std::vector<const char*> said;
    } const cases[] = {
        {"QGIS 3 with its #CRS line", qgisPoints(saved, enabled, true), {"6 control points of", "1 disabled"}},
        {"QGIS 2, no #CRS line, pixelX and pixelY", qgisPoints(saved, enabled, false, true),
         {"(QGIS georeferencer) in WGS84", "1 disabled"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file("scan.png");
        makeRaster(path, scan("PNG", 600, 500, 3));
        writeText(path + ".points", c.text);
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::Ready, openWith(path, {}, std::nullopt, source, message)) << message;
        const ImportPlan& plan = source->plan();
        EXPECT_NE(std::string::npos, plan.georeferencing.find(path + ".points")) << plan.georeferencing;
        for (const char* part : c.said) EXPECT_NE(std::string::npos, plan.georeferencing.find(part)) << plan.georeferencing;
        ASSERT_EQ(6u, plan.controlPoints.size());
        EXPECT_EQ("4", plan.controlPoints[2].id);  // counted over every point saved
        expectAsGdalwarp(*source, gdalwarpByPoints(path, points, GcpTransform::Poly1, folder));
        // Typed points are taken before the file, which the warnings then name.
        const std::vector<ControlPoint> typed = sheetPoints(4);
        ASSERT_EQ(ImportStatus::Ready, openWith(path, typed, std::nullopt, source, message)) << message;
        ASSERT_EQ(1u, source->plan().warnings.size());
        EXPECT_NE(std::string::npos, source->plan().warnings[0].find("are not used")) << source->plan().warnings[0];
        expectAsGdalwarp(*source, gdalwarpByPoints(path, typed, GcpTransform::Poly1, folder));
    }
}

TEST(ControlPoints, PointsFileBesideAGeoreferencedPictureIsUsedOnlyInItsPlace) {
    TempFolder folder;
    const std::string path = folder.file("g.tif");
    RasterRecipe placed = scan("GTiff", 600, 500, 3);
    const std::vector<double> grid = {139.7, 1e-4, 0, 35.7, 0, -1e-4};
    placed.geoTransform = grid;
    placed.srs = "EPSG:4326";
    makeRaster(path, placed);
    // QGIS gives the source side of a georeferenced picture in its own coordinates.
    const std::vector<ControlPoint> points = sheetPoints(5);
    std::string text = "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    char line[200];
    for (const ControlPoint& p : points) {
        std::snprintf(line, sizeof line, "%.12f,%.12f,%.12f,%.12f,1,0,0,0\n", p.at.longitude + 0.01,
                      p.at.latitude, grid[0] + p.pixel * grid[1], grid[3] + p.line * grid[5]);
        text += line;
    }
    writeText(path + ".points", text);
    std::unique_ptr<GeoSource> source;
    std::string message;
    ASSERT_EQ(ImportStatus::Ready, openWith(path, {}, std::nullopt, source, message)) << message;
    EXPECT_FALSE(source->plan().warped);
    ASSERT_EQ(1u, source->plan().warnings.size());
    EXPECT_NE(std::string::npos, source->plan().warnings[0].find("--replace-georeferencing"));
    EXPECT_NEAR(139.7, source->plan().fitted.west, 1e-9);

    ImportRequest request;
    request.sourcePath = path;
    request.replaceGeoreferencing = true;
    ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    EXPECT_NE(std::string::npos, source->plan().georeferencing.find("in place of")) << source->plan().georeferencing;
    std::vector<ControlPoint> moved = points;
    for (ControlPoint& p : moved) p.at.longitude += 0.01;
    expectAsGdalwarp(*source, gdalwarpByPoints(path, moved, GcpTransform::Poly1, folder));
}

TEST(ControlPoints, UnreadablePointsFilesAreRefusedWithTheLine) {
    struct {
        const char* name;
        const char* text;
        const char* said;
    } const cases[] = {
        {"a word for a number", "mapX,mapY,sourceX,sourceY,enable\n139.7,35.7,0,-0,1\n139.8,north,600,-0,1\n",
         "line 3 is not a control point"},
        {"too few columns", "mapX,mapY,sourceX,sourceY,enable\n139.7,35.7,0\n", "line 2 is not a control point"},
        {"a header without sourceY", "mapX,mapY,sourceX,enable\n", "line 1 names no sourceY column"},
        {"two enabled points only", "mapX,mapY,sourceX,sourceY,enable\n139.7,35.7,0,-0,1\n139.8,35.6,600,-500,1\n"
                                    "139.7,35.6,0,-500,0\n",
         "2 are given"},
        {"a #CRS GDAL does not know", "#CRS: nowhere\nmapX,mapY,sourceX,sourceY,enable\n139.7,35.7,0,-0,1\n"
                                      "139.8,35.7,600,-0,1\n139.7,35.6,0,-500,1\n",
         "#CRS line"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file("scan.tif");
        makeRaster(path, scan("GTiff", 600, 500, 3));
        writeText(path + ".points", c.text);
        std::unique_ptr<GeoSource> source;
        std::string message;
        EXPECT_NE(ImportStatus::Ready, openWith(path, {}, std::nullopt, source, message));
        EXPECT_NE(std::string::npos, message.find(c.said)) << message;
    }
}

}  // namespace

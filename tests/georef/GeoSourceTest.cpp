// Opening map pictures through GDAL: where the corners come from, the fitted grid, the
// corners and extents, and every refusal.

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "GeorefSupport.h"
#include "TempFolder.h"

namespace {

constexpr double kStep = 0.0001;  // degrees per pixel of the lat/lon sources
const std::vector<double> kTokyo = {139.7, kStep, 0, 35.7, 0, -kStep};
const char* const kWgs84Prj = "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
                              "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]";

struct SourceCase {
    const char* name;
    const char* file;
    RasterRecipe recipe;
    ImportRequest request;        // sourcePath filled in by the test
    const char* prj;              // text of a .prj beside the source, or null
    int32_t width, height;        // fitted
    double north, west, south, east;  // expected edges; NaN: from the UTM corners instead
};

ImportRequest withFit(FitMode fit) {
    ImportRequest request;
    request.fit = fit;
    return request;
}

ImportRequest withSrs(const char* srs) {
    ImportRequest request;
    request.srs = srs;
    return request;
}

ImportRequest withCorners(GeoPoint topLeft, GeoPoint bottomRight) {
    ImportRequest request;
    request.topLeft = topLeft;
    request.bottomRight = bottomRight;
    return request;
}

RasterRecipe recipe(const char* driver, int width, int height, int bands, std::vector<double> gt, const char* srs,
                std::vector<std::string> options = {}) {
    RasterRecipe s;
    s.driver = driver;
    s.width = width;
    s.height = height;
    s.bands = bands;
    s.geoTransform = std::move(gt);
    s.srs = srs;
    s.options = std::move(options);
    return s;
}

// The four corners of a UTM zone 54 rectangle in WGS84 degrees, transformed independently
// of the import's warp: north, west, south, east bounds.
void utmBounds(double minE, double maxN, double maxE, double minN, double bounds[4]) {
    OGRSpatialReference utm, wgs84;
    utm.importFromEPSG(32654);
    wgs84.importFromEPSG(4326);
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> t(OGRCreateCoordinateTransformation(&utm, &wgs84));
    double x[4] = {minE, maxE, minE, maxE}, y[4] = {maxN, maxN, minN, minN};
    ASSERT_TRUE(t->Transform(4, x, y));
    bounds[0] = std::max(y[0], y[1]);
    bounds[1] = std::min(x[0], x[2]);
    bounds[2] = std::min(y[2], y[3]);
    bounds[3] = std::max(x[1], x[3]);
}

TEST(GeoSource, CornersAndExtentsFromEverySourceOfGeoreferencing) {
    RasterRecipe palette = recipe("PNG", 480, 480, 1, kTokyo, "", {"WORLDFILE=YES"});
    palette.palette = {{255, 0, 0, 255}, {0, 0, 255, 0}};
    RasterRecipe deep = recipe("GTiff", 480, 640, 1, kTokyo, "EPSG:4326");
    deep.uint16 = true;
    const double nan = std::nan("");
    const SourceCase cases[] = {
        {"GeoTIFF EPSG:4326 on the grid", "a.tif", recipe("GTiff", 480, 640, 3, kTokyo, "EPSG:4326"), {}, nullptr,
         480, 640, 35.7, 139.7, 35.7 - 640 * kStep, 139.7 + 480 * kStep},
        {"GeoTIFF off the grid, padded", "b.tif", recipe("GTiff", 500, 490, 3, kTokyo, "EPSG:4326"), {}, nullptr,
         640, 640, 35.7, 139.7, 35.7 - 640 * kStep, 139.7 + 640 * kStep},
        {"GeoTIFF off the grid, cropped", "c.tif", recipe("GTiff", 500, 490, 3, kTokyo, "EPSG:4326"),
         withFit(FitMode::Crop), nullptr, 480, 480, 35.7, 139.7, 35.7 - 480 * kStep, 139.7 + 480 * kStep},
        {"GeoTIFF off the grid, scaled", "d.tif", recipe("GTiff", 500, 490, 3, kTokyo, "EPSG:4326"),
         withFit(FitMode::Scale), nullptr, 480, 480, 35.7, 139.7, 35.7 - 490 * kStep, 139.7 + 500 * kStep},
        {"GeoTIFF in JGD2011, taken as it is", "e.tif", recipe("GTiff", 480, 480, 3, kTokyo, "EPSG:6668"), {},
         nullptr, 480, 480, 35.7, 139.7, 35.7 - 480 * kStep, 139.7 + 480 * kStep},
        {"PNG with a world file and --srs", "f.png", recipe("PNG", 480, 480, 3, kTokyo, "", {"WORLDFILE=YES"}),
         withSrs("EPSG:4326"), nullptr, 480, 480, 35.7, 139.7, 35.7 - 480 * kStep, 139.7 + 480 * kStep},
        {"palette PNG with a world file and a .prj", "g.png", palette, {}, "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\","
         "SPHEROID[\"WGS 84\",6378137,298.257223563]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]",
         480, 480, 35.7, 139.7, 35.7 - 480 * kStep, 139.7 + 480 * kStep},
        {"JPEG with typed corners", "h.jpg", recipe("JPEG", 960, 480, 3, {}, ""),
         withCorners({35.5, 139.5}, {35.25, 140.0}), nullptr, 960, 480, 35.5, 139.5, 35.25, 140.0},
        {"16-bit TIFF", "i.tif", deep, {}, nullptr, 480, 640, 35.7, 139.7, 35.7 - 640 * kStep,
         139.7 + 480 * kStep},
        {"GeoTIFF in UTM zone 54, warped", "j.tif",
         recipe("GTiff", 600, 500, 3, {380000, 10, 0, 3950000, 0, -10}, "EPSG:32654"), {}, nullptr, 0, 0, nan, nan,
         nan, nan},
    };
    TempFolder folder;
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.file(c.file);
        makeRaster(path, c.recipe);
        if (c.prj) std::ofstream(folder.file(std::string(c.file).substr(0, 1) + ".prj")) << c.prj;
        ImportRequest request = c.request;
        request.sourcePath = path;
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
        const ImportPlan& plan = source->plan();
        double north = c.north, west = c.west, south = c.south, east = c.east;
        if (std::isnan(north)) {
            // Warped: the corners enclose the UTM rectangle, the north-west one within a
            // pixel of it, and the grid is a multiple of 160.
            double bounds[4];
            utmBounds(380000, 3950000, 386000, 3945000, bounds);
            EXPECT_TRUE(plan.warped);
            EXPECT_EQ(0, plan.fitted.width % 160);
            EXPECT_EQ(0, plan.fitted.height % 160);
            double stepLat = (plan.fitted.north - plan.fitted.south) / plan.fitted.height;
            double stepLon = (plan.fitted.east - plan.fitted.west) / plan.fitted.width;
            EXPECT_NEAR(bounds[0], plan.fitted.north, stepLat);
            EXPECT_NEAR(bounds[1], plan.fitted.west, stepLon);
            EXPECT_LE(plan.fitted.south, bounds[2] + 1e-9);
            EXPECT_GE(plan.fitted.east, bounds[3] - 1e-9);
            north = plan.fitted.north, west = plan.fitted.west, south = plan.fitted.south, east = plan.fitted.east;
        } else {
            EXPECT_FALSE(plan.warped);
            EXPECT_EQ(c.width, plan.fitted.width);
            EXPECT_EQ(c.height, plan.fitted.height);
        }
        EXPECT_EQ(std::llround(north * 3600000), plan.corners.topLeftLatitude);
        EXPECT_EQ(std::llround(west * 3600000), plan.corners.topLeftLongitude);
        EXPECT_EQ(std::llround(south * 3600000), plan.corners.bottomRightLatitude);
        EXPECT_EQ(std::llround(east * 3600000), plan.corners.bottomRightLongitude);
        double n = degreesOf(plan.corners.topLeftLatitude), s = degreesOf(plan.corners.bottomRightLatitude);
        double w = degreesOf(plan.corners.topLeftLongitude), e = degreesOf(plan.corners.bottomRightLongitude);
        EXPECT_NEAR(rhumbMetres((n + s) / 2, w, e), static_cast<double>(plan.extents.eastWestMetres), 0.5001);
        EXPECT_NEAR(meridianMetres(n, s), static_cast<double>(plan.extents.northSouthMetres), 0.5001);
        std::vector<uint8_t> picture = readPicture(*source);
        EXPECT_EQ(static_cast<size_t>(plan.fitted.width) * plan.fitted.height * 3, picture.size());
    }
}

struct RefusalCase {
    const char* name;
    const char* file;
    RasterRecipe recipe;
    ImportRequest request;
    ImportStatus status;
    const char* messagePart;
};

TEST(GeoSource, RefusesWhatItCannotPlaceOrRead) {
    RasterRecipe progressive = recipe("JPEG", 480, 480, 3, {}, "", {"PROGRESSIVE=ON"});
    ImportRequest smallLimit = withCorners({35.5, 139.5}, {35.25, 140.0});
    smallLimit.wholeDecodeLimitBytes = 100000;
    const RefusalCase cases[] = {
        {"no georeferencing", "a.png", recipe("PNG", 480, 480, 3, {}, ""), {}, ImportStatus::NoGeoreferencing,
         "--top-left and --bottom-right"},
        {"world file without a system", "b.png", recipe("PNG", 480, 480, 3, kTokyo, "", {"WORLDFILE=YES"}), {},
         ImportStatus::NoCoordinateSystem, "--srs EPSG:4326"},
        {"unknown --srs", "c.png", recipe("PNG", 480, 480, 3, kTokyo, "", {"WORLDFILE=YES"}), withSrs("EPSG:nope"),
         ImportStatus::BadCoordinateSystem, "--srs EPSG:nope"},
        {"south of the equator", "d.tif", recipe("GTiff", 480, 480, 3, {139.7, kStep, 0, 0.01, 0, -kStep}, "EPSG:4326"),
         {}, ImportStatus::CornersRefused, "north of the equator"},
        {"one typed corner", "e.png", recipe("PNG", 480, 480, 3, {}, ""), [] {
             ImportRequest r;
             r.topLeft = GeoPoint{35, 139};
             return r;
         }(), ImportStatus::NoGeoreferencing, "both corners"},
        {"typed corners out of order", "f.png", recipe("PNG", 480, 480, 3, {}, ""),
         withCorners({35.0, 140.0}, {35.5, 139.0}), ImportStatus::CornersRefused, "north and west"},
        {"cropped below 480", "g.tif", recipe("GTiff", 600, 470, 3, kTokyo, "EPSG:4326"), withFit(FitMode::Crop),
         ImportStatus::FitRefused, "--fit pad"},
        {"large progressive JPEG", "h.jpg", progressive, smallLimit, ImportStatus::DecodedWhole,
         "gdal_translate -of GTiff"},
    };
    TempFolder folder;
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.file(c.file);
        makeRaster(path, c.recipe);
        ImportRequest request = c.request;
        request.sourcePath = path;
        std::unique_ptr<GeoSource> source;
        std::string message;
        EXPECT_EQ(c.status, GeoSource::open(request, source, message)) << message;
        EXPECT_NE(std::string::npos, message.find(c.messagePart)) << message;
        EXPECT_NE(std::string::npos, message.find(path)) << message;
        EXPECT_FALSE(source);
    }
}

TEST(GeoSource, RefusesSamplesThatAreNotAPictureAndFilesThatAreNotRasters) {
    TempFolder folder;
    startGdal();
    std::string floats = folder.file("heights.tif");
    GDALDatasetUniquePtr dem(GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        floats.c_str(), 480, 480, 1, GDT_Float32, nullptr));
    dem->SetGeoTransform(const_cast<double*>(kTokyo.data()));
    dem.reset();
    std::string text = folder.file("notes.txt");
    std::ofstream(text) << "not a picture\n";
    for (auto [path, status] : {std::pair{floats, ImportStatus::UnsupportedPixels},
                                std::pair{text, ImportStatus::SourceUnreadable}}) {
        ImportRequest request;
        request.sourcePath = path;
        std::unique_ptr<GeoSource> source;
        std::string message;
        EXPECT_EQ(status, GeoSource::open(request, source, message)) << message;
    }
}

// Puts the file at path into a zip at zipPath as inner, through GDAL's own zip writer.
void zipOne(const std::string& path, const std::string& zipPath, const std::string& inner) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    VSILFILE* out = VSIFOpenL(("/vsizip/" + zipPath + "/" + inner).c_str(), "wb");
    ASSERT_NE(nullptr, out);
    ASSERT_EQ(bytes.size(), VSIFWriteL(bytes.data(), 1, bytes.size(), out));
    VSIFCloseL(out);
}

RasterRecipe tokyoTiff(int width, int height) {
    return recipe("GTiff", width, height, 3, kTokyo, "EPSG:4326");
}

// A raster made at path, then renamed over target: a new file in its place.
void replaceWithRaster(const std::string& target, const RasterRecipe& made) {
    std::string fresh = target + ".new";
    makeRaster(fresh, made);
    std::filesystem::rename(fresh, target);
}

// A VRT of one band whose source is the first band of source.
std::string simpleVrt(const std::string& source, int width, int height) {
    return "<VRTDataset rasterXSize=\"" + std::to_string(width) + "\" rasterYSize=\"" + std::to_string(height) +
           "\"><SRS>EPSG:4326</SRS><GeoTransform>139.7, 0.0001, 0, 35.7, 0, -0.0001</GeoTransform>"
           "<VRTRasterBand dataType=\"Byte\" band=\"1\"><SimpleSource><SourceFilename relativeToVRT=\"0\">" +
           source + "</SourceFilename><SourceBand>1</SourceBand></SimpleSource></VRTRasterBand></VRTDataset>";
}

// A VRT of one band read raw from file, at any offset: what is refused.
std::string rawVrt(const std::string& file) {
    return "<VRTDataset rasterXSize=\"480\" rasterYSize=\"480\"><SRS>EPSG:4326</SRS>"
           "<GeoTransform>139.7, 0.0001, 0, 35.7, 0, -0.0001</GeoTransform>"
           "<VRTRasterBand dataType=\"Byte\" band=\"1\" subClass=\"VRTRawRasterBand\">"
           "<SourceFilename relativeToVRT=\"0\">" + file + "</SourceFilename><ImageOffset>0</ImageOffset>"
           "<PixelOffset>1</PixelOffset><LineOffset>480</LineOffset></VRTRasterBand></VRTDataset>";
}

struct NamedSourceCase {
    const char* name;
    // Makes the files in the folder and returns the name the import is given.
    std::function<std::string(const TempFolder&)> make;
    // Changes what the name reads, as another program would while the map is written.
    std::function<void(const TempFolder&)> change;
};

TEST(GeoSource, NamesGdalGivesAMeaningConvertAndTheirFilesAreWatched) {
    const NamedSourceCase cases[] = {
        {"plain path",
         [](const TempFolder& f) {
             makeRaster(f.file("a.tif"), tokyoTiff(480, 480));
             return f.file("a.tif");
         },
         [](const TempFolder& f) { replaceWithRaster(f.file("a.tif"), tokyoTiff(480, 480)); }},
        {"GeoTIFF in a zip",
         [](const TempFolder& f) {
             makeRaster(f.file("a.tif"), tokyoTiff(480, 480));
             zipOne(f.file("a.tif"), f.file("a.zip"), "maps/a.tif");
             return "/vsizip/" + f.file("a.zip") + "/maps/a.tif";
         },
         [](const TempFolder& f) {
             makeRaster(f.file("b.tif"), tokyoTiff(480, 640));
             zipOne(f.file("b.tif"), f.file("b.zip"), "maps/a.tif");
             std::filesystem::rename(f.file("b.zip"), f.file("a.zip"));
         }},
        {"first directory of a GeoTIFF",
         [](const TempFolder& f) {
             makeRaster(f.file("a.tif"), tokyoTiff(480, 480));
             return "GTIFF_DIR:1:" + f.file("a.tif");
         },
         [](const TempFolder& f) { replaceWithRaster(f.file("a.tif"), tokyoTiff(480, 480)); }},
        {"VRT over a GeoTIFF: the GeoTIFF changes",
         [](const TempFolder& f) {
             makeRaster(f.file("a.tif"), tokyoTiff(480, 480));
             std::ofstream(f.file("a.vrt")) << simpleVrt(f.file("a.tif"), 480, 480);
             return f.file("a.vrt");
         },
         [](const TempFolder& f) { replaceWithRaster(f.file("a.tif"), tokyoTiff(480, 480)); }},
        {"VRT given as its XML: the GeoTIFF changes",
         [](const TempFolder& f) {
             makeRaster(f.file("a.tif"), tokyoTiff(480, 480));
             return simpleVrt(f.file("a.tif"), 480, 480);
         },
         [](const TempFolder& f) { replaceWithRaster(f.file("a.tif"), tokyoTiff(480, 480)); }},
    };
    for (const NamedSourceCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        ImportRequest request;
        request.sourcePath = c.make(folder);
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
        EXPECT_EQ(480 * 480 * 3u, readPicture(*source).size());
        EXPECT_TRUE(source->unchanged());
        c.change(folder);
        EXPECT_FALSE(source->unchanged());
    }
}

struct ReadRefusalCase {
    const char* name;
    std::function<std::string(const TempFolder&)> make;  // returns the source's name
    ImportRequest request;                               // sourcePath filled in by the test
    ImportStatus status;
    const char* messagePart;
    const char* namedFile;  // a file in the folder the message names besides the source, or null
};

TEST(GeoSource, RefusesSourcesThatAreNoPictureFileOrReadMoreThanOne) {
    ImportRequest smallLimit = withCorners({35.5, 139.5}, {35.25, 140.0});
    smallLimit.wholeDecodeLimitBytes = 100000;
    auto worldFile = [](const char* lines) {
        return [lines](const TempFolder& f) {
            makeRaster(f.file("w.png"), recipe("PNG", 480, 480, 3, kTokyo, "", {"WORLDFILE=YES"}));
            std::ofstream(f.file("w.wld")) << lines;
            return f.file("w.png");
        };
    };
    const ReadRefusalCase cases[] = {
        {"named pipe",
         [](const TempFolder& f) {
             EXPECT_EQ(0, mkfifo(f.file("pipe.tif").c_str(), 0600));
             return f.file("pipe.tif");
         },
         {}, ImportStatus::SourceUnreadable, "named pipe", nullptr},
        {"folder",
         [](const TempFolder& f) {
             std::filesystem::create_directory(f.file("maps.tif"));
             return f.file("maps.tif");
         },
         {}, ImportStatus::SourceUnreadable, "folder", nullptr},
        {"nothing there", [](const TempFolder& f) { return f.file("none.tif"); }, {},
         ImportStatus::SourceUnreadable, "cannot be opened", nullptr},
        {"VRT with a raw band",
         [](const TempFolder& f) {
             std::ofstream(f.file("secret")) << std::string(480 * 480, 'x');
             std::ofstream(f.file("raw.vrt")) << rawVrt(f.file("secret"));
             return f.file("raw.vrt");
         },
         {}, ImportStatus::SourceUnreadable, "VRTRawRasterBand", nullptr},
        {"VRT with a raw band given as its XML",
         [](const TempFolder& f) {
             std::ofstream(f.file("secret")) << std::string(480 * 480, 'x');
             return rawVrt(f.file("secret"));
         },
         {}, ImportStatus::SourceUnreadable, "VRTRawRasterBand", nullptr},
        {"VRT over a VRT with a raw band",
         [](const TempFolder& f) {
             std::ofstream(f.file("secret")) << std::string(480 * 480, 'x');
             std::ofstream(f.file("inner.vrt")) << rawVrt(f.file("secret"));
             std::ofstream(f.file("outer.vrt")) << simpleVrt(f.file("inner.vrt"), 480, 480);
             return f.file("outer.vrt");
         },
         {}, ImportStatus::SourceUnreadable, "VRTRawRasterBand", "inner.vrt"},
        {"VRT over a named pipe",
         [](const TempFolder& f) {
             EXPECT_EQ(0, mkfifo(f.file("pipe.tif").c_str(), 0600));
             std::ofstream(f.file("pipe.vrt")) << simpleVrt(f.file("pipe.tif"), 480, 480);
             return f.file("pipe.vrt");
         },
         {}, ImportStatus::SourceUnreadable, "named pipe", "pipe.tif"},
        {"VRT over a large progressive JPEG",
         [](const TempFolder& f) {
             makeRaster(f.file("p.jpg"), recipe("JPEG", 480, 480, 3, {}, "", {"PROGRESSIVE=ON"}));
             std::ofstream(f.file("p.vrt")) << simpleVrt(f.file("p.jpg"), 480, 480);
             return f.file("p.vrt");
         },
         smallLimit, ImportStatus::DecodedWhole, "gdal_translate -of GTiff", "p.jpg"},
        {"large progressive JPEG in a zip",
         [](const TempFolder& f) {
             makeRaster(f.file("p.jpg"), recipe("JPEG", 480, 480, 3, {}, "", {"PROGRESSIVE=ON"}));
             zipOne(f.file("p.jpg"), f.file("p.zip"), "p.jpg");
             return "/vsizip/" + f.file("p.zip") + "/p.jpg";
         },
         smallLimit, ImportStatus::DecodedWhole, "progressive JPEG", nullptr},
        {"world file of NaN", worldFile("nan\n0\n0\n-0.0001\n139.7\n35.7\n"), withSrs("EPSG:4326"),
         ImportStatus::NoGeoreferencing, "cannot be used", "w.wld"},
        {"world file of infinities", worldFile("0.0001\n0\n0\n-inf\n139.7\n35.7\n"), withSrs("EPSG:4326"),
         ImportStatus::NoGeoreferencing, "cannot be used", "w.wld"},
        {"world file onto a line", worldFile("0.0001\n0.0001\n0.0001\n0.0001\n139.7\n35.7\n"),
         withSrs("EPSG:4326"), ImportStatus::NoGeoreferencing, "onto a line", "w.wld"},
    };
    for (const ReadRefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        ImportRequest request = c.request;
        request.sourcePath = c.make(folder);
        std::unique_ptr<GeoSource> source;
        std::string message;
        EXPECT_EQ(c.status, GeoSource::open(request, source, message)) << message;
        EXPECT_NE(std::string::npos, message.find(c.messagePart)) << message;
        EXPECT_EQ(0u, message.rfind(request.sourcePath + ": ", 0)) << message;
        if (c.namedFile) {
            EXPECT_NE(std::string::npos, message.find(folder.file(c.namedFile))) << message;
        }
        EXPECT_EQ(std::string::npos, message.find('\n')) << message;
        EXPECT_FALSE(source);
    }
}

struct OverrideCase {
    const char* name;
    std::function<std::string(const TempFolder&)> make;  // returns the source's path
    ImportRequest request;                               // sourcePath filled in by the test
    ImportStatus status;
    const char* said;  // in the message, or in the georeferencing described when Ready
};

ImportRequest replacing(ImportRequest request) {
    request.replaceGeoreferencing = true;
    return request;
}

TEST(GeoSource, TypedCornersAndSystemsNeverSilentlyReplaceThePicturesOwn) {
    auto geoTiff = [](const TempFolder& f) {
        makeRaster(f.file("a.tif"), tokyoTiff(480, 480));
        return f.file("a.tif");
    };
    auto worldFile = [](const char* prj) {
        return [prj](const TempFolder& f) {
            makeRaster(f.file("w.png"), recipe("PNG", 480, 480, 3, kTokyo, "", {"WORLDFILE=YES"}));
            if (prj) std::ofstream(f.file("w.prj")) << prj;
            return f.file("w.png");
        };
    };
    // GDAL's default grid in an .aux.xml, as it keeps one for a picture without any.
    auto defaultGrid = [](const TempFolder& f) {
        makeRaster(f.file("d.png"), recipe("PNG", 480, 480, 3, {}, ""));
        std::ofstream(f.file("d.png.aux.xml"))
            << "<PAMDataset><GeoTransform>0, 1, 0, 0, 0, 1</GeoTransform></PAMDataset>\n";
        return f.file("d.png");
    };
    const GeoPoint tl{35.5, 139.5}, br{35.25, 140.0};
    const OverrideCase cases[] = {
        {"typed corners on a GeoTIFF", geoTiff, withCorners(tl, br), ImportStatus::GeoreferencingConflict,
         "--replace-georeferencing"},
        {"typed corners on a GeoTIFF, replacing", geoTiff, replacing(withCorners(tl, br)), ImportStatus::Ready,
         "in place of"},
        {"--srs on a GeoTIFF", geoTiff, withSrs("EPSG:4326"), ImportStatus::GeoreferencingConflict, "--window"},
        {"--srs on a world file with a .prj", worldFile(kWgs84Prj), withSrs("EPSG:6668"),
         ImportStatus::GeoreferencingConflict, "--replace-georeferencing"},
        {"--srs on a world file with a .prj, replacing", worldFile(kWgs84Prj), replacing(withSrs("EPSG:6668")),
         ImportStatus::Ready, "EPSG:6668"},
        {"--srs on a world file alone", worldFile(nullptr), withSrs("EPSG:4326"), ImportStatus::Ready, "--srs"},
        {"typed corners on a world file", worldFile(nullptr), withCorners(tl, br),
         ImportStatus::GeoreferencingConflict, "--window LAT,LON,LAT,LON"},
        {"GDAL's default grid is none", defaultGrid, {}, ImportStatus::NoGeoreferencing, "no georeferencing"},
        {"GDAL's default grid takes typed corners", defaultGrid, withCorners(tl, br), ImportStatus::Ready, "typed"},
    };
    for (const OverrideCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        ImportRequest request = c.request;
        request.sourcePath = c.make(folder);
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(c.status, GeoSource::open(request, source, message)) << message;
        const std::string& said = source ? source->plan().georeferencing : message;
        EXPECT_NE(std::string::npos, said.find(c.said)) << said;
        if (source && request.topLeft) {
            EXPECT_EQ(std::llround(tl.latitude * 3600000), source->plan().corners.topLeftLatitude);
            EXPECT_EQ(std::llround(tl.longitude * 3600000), source->plan().corners.topLeftLongitude);
        }
    }
}

TEST(GeoSource, TypedExtentsAreTakenAndWarnedAboutWhenFarFromTheMeasuredOnes) {
    TempFolder folder;
    makeRaster(folder.file("a.tif"), tokyoTiff(480, 480));
    ImportRequest request;
    request.sourcePath = folder.file("a.tif");
    std::unique_ptr<GeoSource> source;
    std::string message;
    ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    const MapExtents measured = source->plan().extents;
    EXPECT_FALSE(source->plan().eastWestTyped);
    struct {
        int64_t eastWest, northSouth;
        size_t warnings;
    } const cases[] = {
        {measured.eastWestMetres, measured.northSouthMetres, 0},
        {measured.eastWestMetres * 1009 / 1000, measured.northSouthMetres * 991 / 1000, 0},
        {measured.eastWestMetres * 102 / 100, measured.northSouthMetres, 1},
        {measured.eastWestMetres * 2, measured.northSouthMetres / 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.eastWest) + " " + std::to_string(c.northSouth));
        request.eastWestMetres = c.eastWest;
        request.northSouthMetres = c.northSouth;
        ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
        const ImportPlan& plan = source->plan();
        EXPECT_TRUE(plan.eastWestTyped && plan.northSouthTyped);
        EXPECT_EQ(c.eastWest, plan.extents.eastWestMetres);
        EXPECT_EQ(c.northSouth, plan.extents.northSouthMetres);
        EXPECT_EQ(measured.eastWestMetres, plan.measuredExtents.eastWestMetres);
        EXPECT_EQ(c.warnings, plan.warnings.size());
    }
}

struct PrjCase {
    const char* name;
    std::string text;
    ImportStatus status;
    const char* said;
};

TEST(GeoSource, PrjIsReadAsGdalReadsOneAndAMissingSourceIsNamedSo) {
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    char* esri = nullptr;
    const char* esriOptions[] = {"FORMAT=WKT1_ESRI", nullptr};
    ASSERT_EQ(OGRERR_NONE, wgs84.exportToWkt(&esri, esriOptions));
    const std::string esriWkt = esri;
    CPLFree(esri);
    const PrjCase cases[] = {
        {"plain WKT", kWgs84Prj, ImportStatus::Ready, "WGS 84"},
        {"after blank lines", std::string("\n\r\n  \n") + kWgs84Prj, ImportStatus::Ready, "WGS 84"},
        {"after a byte-order mark", std::string("\xEF\xBB\xBF") + kWgs84Prj + "\n", ImportStatus::Ready, "WGS 84"},
        {"ESRI WKT as gdalsrsinfo writes it", esriWkt + "\n", ImportStatus::Ready, "WGS"},
        {"PROJ string", "+proj=longlat +datum=WGS84 +no_defs\n", ImportStatus::Ready, "WGS 84"},
        {"EPSG code", "EPSG:4326\n", ImportStatus::Ready, "EPSG:4326"},
        {"nonsense", "GEOGCS[\"broken\",DATUM[\n", ImportStatus::BadCoordinateSystem, "cannot be read"},
    };
    for (const PrjCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        makeRaster(folder.file("w.png"), recipe("PNG", 480, 480, 3, kTokyo, "", {"WORLDFILE=YES"}));
        std::ofstream(folder.file("w.prj"), std::ios::binary) << c.text;
        ImportRequest request;
        request.sourcePath = folder.file("w.png");
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(c.status, GeoSource::open(request, source, message)) << message;
        const std::string& said = source ? source->plan().georeferencing : message;
        EXPECT_NE(std::string::npos, said.find(c.said)) << said;
        EXPECT_EQ(std::string::npos, said.find("unknown")) << said;
        if (!source) {
            EXPECT_NE(std::string::npos, message.find(folder.file("w.prj"))) << message;
        }
    }
    TempFolder folder;
    for (const std::string& missing : {folder.file("none.tif"), "/vsizip/" + folder.file("none.zip") + "/a.tif"}) {
        ImportRequest request;
        request.sourcePath = missing;
        std::unique_ptr<GeoSource> source;
        std::string message;
        EXPECT_EQ(ImportStatus::SourceUnreadable, GeoSource::open(request, source, message));
        EXPECT_NE(std::string::npos, message.find("no such file")) << message;
    }
}

// The grid gdalwarp -order 1 -t_srs EPSG:4326 makes of path: north, west, steps, size.
LatLonGrid gdalwarpGrid(const std::string& path, const TempFolder& folder) {
    std::string out = folder.file("gdalwarp.vrt");
    EXPECT_EQ(0, run("gdalwarp -q -of VRT -order 1 -t_srs EPSG:4326 '" + path + "' '" + out + "'"));
    GDALDatasetUniquePtr warped(GDALDataset::Open(out.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    EXPECT_TRUE(warped);
    if (!warped) return {};
    double gt[6];
    warped->GetGeoTransform(gt);
    return {gt[3], gt[0], -gt[5], gt[1], warped->GetRasterXSize(), warped->GetRasterYSize()};
}

TEST(GeoSource, ControlPointsAreWarpedAsGdalwarpOrderOneWithTheirResiduals) {
    // Four points of a grid turned a little against the meridians; the fifth, when
    // present, three pixels off it.
    auto at = [](double pixel, double line) {
        return RasterRecipe::Gcp{pixel, line, 139.7 + pixel * 1e-4 + line * 1e-5, 35.7 - line * 1e-4 + pixel * 1e-5};
    };
    struct {
        const char* name;
        std::vector<RasterRecipe::Gcp> gcps;
        size_t warnings;
    } const cases[] = {
        {"four points on one grid", {at(0, 0), at(600, 0), at(0, 500), at(600, 500)}, 0},
        {"a fifth point off", {at(0, 0), at(600, 0), at(0, 500), at(600, 500), [&] {
             RasterRecipe::Gcp off = at(300, 250);
             off.pixel += 3;
             return off;
         }()}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        RasterRecipe made = recipe("GTiff", 600, 500, 3, {}, "EPSG:4326");
        made.gcps = c.gcps;
        makeRaster(folder.file("g.tif"), made);
        ImportRequest request;
        request.sourcePath = folder.file("g.tif");
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
        const ImportPlan& plan = source->plan();
        EXPECT_TRUE(plan.warped);
        ASSERT_EQ(c.gcps.size(), plan.controlPoints.size());
        for (const ControlPointFit& fit : plan.controlPoints) {
            if (c.warnings == 0) {
                EXPECT_LT(fit.residualPixels, 1e-6) << fit.id;
            }
        }
        EXPECT_EQ(c.warnings, plan.warnings.size());
        if (c.warnings) {
            EXPECT_GT(plan.controlPoints.back().residualPixels, 1.0);
        }
        const LatLonGrid want = gdalwarpGrid(folder.file("g.tif"), folder);
        EXPECT_EQ(want.width, plan.fitted.keptWidth);
        EXPECT_EQ(want.height, plan.fitted.keptHeight);
        EXPECT_NEAR(want.north, plan.fitted.north, 1e-9);
        EXPECT_NEAR(want.west, plan.fitted.west, 1e-9);
        EXPECT_EQ(static_cast<size_t>(plan.fitted.width) * plan.fitted.height * 3, readPicture(*source).size());
    }
}

// The --window a message gives, as the command line reads it.
std::optional<GeoWindow> windowIn(const std::string& message) {
    size_t at = message.find("--window ");
    if (at == std::string::npos) return std::nullopt;
    double v[4];
    if (std::sscanf(message.c_str() + at + 9, "%lf,%lf,%lf,%lf", &v[0], &v[1], &v[2], &v[3]) != 4) return std::nullopt;
    auto ms = [](double degrees) { return std::llround(degrees * 3600000) / 3600000.0; };
    return GeoWindow{{ms(v[0]), ms(v[1])}, {ms(v[2]), ms(v[3])}};
}

struct LimitCase {
    const char* name;
    RasterRecipe recipe;
    FitMode fit;
    const char* said;     // names the edge
    const char* advice;   // what makes it fit: "--window", "--fit crop", "--fit scale"
};

TEST(GeoSource, LimitsSayWhichEdgeHowFarAndWhatFits) {
    const LimitCase cases[] = {
        {"picture south of the equator", recipe("GTiff", 480, 480, 3, {139.7, kStep, 0, 0.03, 0, -kStep}, "EPSG:4326"),
         FitMode::Pad, "south of the equator", "--window"},
        {"picture west of Greenwich", recipe("GTiff", 480, 480, 3, {-0.01, kStep, 0, 51.5, 0, -kStep}, "EPSG:4326"),
         FitMode::Crop, "west of Greenwich", "--window"},
        {"picture past 180 degrees", recipe("GTiff", 640, 480, 3, {179.96, kStep, 0, 51.5, 0, -kStep}, "EPSG:4326"),
         FitMode::Pad, "past 180 degrees east", "--window"},
        {"padding south of the equator", recipe("GTiff", 480, 650, 3, {139.7, kStep, 0, 0.0655, 0, -kStep}, "EPSG:4326"),
         FitMode::Pad, "padding", "--fit crop or --fit scale"},
        {"too wide", recipe("GTiff", 4000, 480, 3, {10, 0.025, 0, 20, 0, -0.025}, "EPSG:4326"), FitMode::Pad,
         "past 9,999,999 m", "--window"},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        makeRaster(folder.file("l.tif"), c.recipe);
        ImportRequest request;
        request.sourcePath = folder.file("l.tif");
        request.fit = c.fit;
        std::unique_ptr<GeoSource> source;
        std::string message;
        ASSERT_NE(ImportStatus::Ready, GeoSource::open(request, source, message));
        EXPECT_NE(std::string::npos, message.find(c.said)) << message;
        EXPECT_NE(std::string::npos, message.find(c.advice)) << message;
        // What it says to type makes a map.
        request.window = windowIn(message);
        if (message.find("with --fit crop") != std::string::npos || message.find("; --fit crop") != std::string::npos)
            request.fit = FitMode::Crop;
        else if (message.find("--fit scale") != std::string::npos)
            request.fit = FitMode::Scale;
        EXPECT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    }
}

TEST(GeoSource, WindowIsSnappedOutwardAndHoldsGdalTranslatesPixels) {
    TempFolder folder;
    const std::string path = folder.file("a.tif");
    makeRaster(path, recipe("GTiff", 900, 800, 3, kTokyo, "EPSG:4326"));
    // Edges a third of a pixel inside pixels 100.33, 50.33 to 650.67, 600.67.
    const GeoWindow asked{{35.7 - 50.33 * kStep, 139.7 + 100.33 * kStep}, {35.7 - 600.67 * kStep, 139.7 + 650.67 * kStep}};
    ImportRequest request;
    request.sourcePath = path;
    request.window = asked;
    request.fit = FitMode::Pad;
    std::unique_ptr<GeoSource> source;
    std::string message;
    ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    const ImportPlan& plan = source->plan();
    ASSERT_TRUE(plan.window);
    EXPECT_NEAR(35.7 - 50 * kStep, plan.window->topLeft.latitude, 1e-9);
    EXPECT_NEAR(139.7 + 100 * kStep, plan.window->topLeft.longitude, 1e-9);
    EXPECT_NEAR(35.7 - 601 * kStep, plan.window->bottomRight.latitude, 1e-9);
    EXPECT_NEAR(139.7 + 651 * kStep, plan.window->bottomRight.longitude, 1e-9);
    EXPECT_EQ(551, plan.fitted.keptWidth);
    EXPECT_EQ(551, plan.fitted.keptHeight);
    // The same pixels as gdal_translate -srcwin, and -projwin over the snapped corners.
    const std::string srcwin = folder.file("srcwin.tif"), projwin = folder.file("projwin.tif");
    ASSERT_EQ(0, run("gdal_translate -q -srcwin 100 50 551 551 '" + path + "' '" + srcwin + "'"));
    char corners[200];
    std::snprintf(corners, sizeof corners, "%.12f %.12f %.12f %.12f", plan.window->topLeft.longitude,
                  plan.window->topLeft.latitude, plan.window->bottomRight.longitude, plan.window->bottomRight.latitude);
    ASSERT_EQ(0, run("gdal_translate -q -projwin " + std::string(corners) + " '" + path + "' '" + projwin + "'"));
    const std::vector<uint8_t> picture = readPicture(*source);
    for (const std::string& cut : {srcwin, projwin}) {
        SCOPED_TRACE(cut);
        std::vector<double> red = readBand(cut, 1), blue = readBand(cut, 3);
        ASSERT_EQ(551u * 551u, red.size());
        int mismatches = 0;
        for (int y = 0; y < 551 && mismatches < 5; ++y) {
            for (int x = 0; x < 551 && mismatches < 5; ++x) {
                const uint8_t* p = &picture[(static_cast<size_t>(y) * plan.fitted.width + x) * 3];
                if (p[2] != red[y * 551 + x] || p[0] != blue[y * 551 + x]) {
                    ++mismatches;
                    ADD_FAILURE() << x << "," << y;
                }
            }
        }
    }
    // A window past the picture, or turned over, is refused and says where the picture is.
    for (GeoWindow bad : {GeoWindow{{35.71, 139.75}, {35.65, 139.76}}, GeoWindow{asked.bottomRight, asked.topLeft}}) {
        request.window = bad;
        EXPECT_EQ(ImportStatus::CornersRefused, GeoSource::open(request, source, message)) << message;
    }
    EXPECT_NE(std::string::npos, message.find("north and west")) << message;
}

// A real picture: xplanet-images' whole earth (NASA's Visible Earth, not copyrighted),
// 2048 x 1024 pixels from 180 degrees west to 180 east and pole to pole, placed by a world
// file. Only its north-east quarter can be a map, and not all of that: the message says
// so and gives the window, which makes one.
TEST(GeoSource, WholeEarthPictureIsToldTheWindowThatFits) {
    const std::string earth = "/usr/share/xplanet/images/earth.jpg";
    if (!std::filesystem::exists(earth)) GTEST_SKIP() << "xplanet-images is not installed";
    TempFolder folder;
    std::filesystem::copy_file(earth, folder.file("earth.jpg"));
    const double step = 360.0 / 2048;
    std::ofstream world(folder.file("earth.jgw"));
    world.precision(17);
    world << step << "\n0\n0\n" << -step << "\n" << -180 + step / 2 << "\n" << 90 - step / 2 << "\n";
    world.close();
    ImportRequest request;
    request.sourcePath = folder.file("earth.jpg");
    request.srs = "EPSG:4326";
    std::unique_ptr<GeoSource> source;
    std::string message;
    ASSERT_EQ(ImportStatus::CornersRefused, GeoSource::open(request, source, message)) << message;
    for (const char* part : {"south edge lies 90 degrees south of the equator", "west edge lies 180 degrees west",
                             "past 9,999,999 m", "--window 90,0,"})
        EXPECT_NE(std::string::npos, message.find(part)) << message;
    request.window = windowIn(message);
    ASSERT_TRUE(request.window) << message;
    if (message.find("with --fit crop") != std::string::npos) request.fit = FitMode::Crop;
    ASSERT_EQ(ImportStatus::Ready, GeoSource::open(request, source, message)) << message;
    const ImportPlan& plan = source->plan();
    EXPECT_EQ(0u, plan.corners.topLeftLongitude);
    EXPECT_EQ(90u * 3600000, plan.corners.topLeftLatitude);
    EXPECT_LE(plan.extents.eastWestMetres, 9999999);
    EXPECT_LE(plan.extents.northSouthMetres, 9999999);
    // Whole pixels of the picture: its edges on the 1/2048 turn grid.
    for (double edge : {plan.window->topLeft.longitude, plan.window->bottomRight.longitude,
                        plan.window->topLeft.latitude, plan.window->bottomRight.latitude})
        EXPECT_NEAR(std::round(edge / step), edge / step, 1e-6) << edge;
}

}  // namespace

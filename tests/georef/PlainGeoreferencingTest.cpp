// Where a picture lies without GDAL (the Windows build's way) against where GDAL's
// reading puts it: for the same files and options, the same grid, description and
// refusals; and, for what only GDAL can place (other systems, rotated grids, control
// points), a refusal that names it and points to the Linux build.

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>

#include "GdalRaster.h"
#include "GeorefSupport.h"
#include "PlainGeoreferencing.h"
#include "TempFolder.h"

namespace {

// --- the GeoTIFF tags as the picture's decoder reads them ------------------------------

const TIFFFieldInfo kGeoTiffFields[] = {
    {33550, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelPixelScale")},
    {33922, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelTiepoint")},
    {34264, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelTransformation")},
    {34735, -1, -1, TIFF_SHORT, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoKeyDirectory")},
    {34736, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoDoubleParams")},
    {34737, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GeoASCIIParams")},
};

TIFFExtendProc previousExtender = nullptr;

void addGeoTiffFields(TIFF* tiff) {
    TIFFMergeFieldInfo(tiff, kGeoTiffFields, sizeof kGeoTiffFields / sizeof kGeoTiffFields[0]);
    if (previousExtender) previousExtender(tiff);
}

template <typename T>
std::vector<T> arrayTag(TIFF* tiff, ttag_t tag) {
    uint16_t count = 0;
    T* values = nullptr;
    if (!TIFFGetField(tiff, tag, &count, &values) || !values) return {};
    return std::vector<T>(values, values + count);
}

void registerGeoTiffFields() {
    static const bool registered = (previousExtender = TIFFSetTagExtender(addGeoTiffFields), true);
    (void)registered;
}

GeoTiffTags readTiffTags(const std::string& path) {
    registerGeoTiffFields();
    GeoTiffTags tags;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    EXPECT_NE(nullptr, tiff) << path;
    if (!tiff) return tags;
    tags.pixelScale = arrayTag<double>(tiff, 33550);
    tags.tiepoints = arrayTag<double>(tiff, 33922);
    tags.transformation = arrayTag<double>(tiff, 34264);
    tags.geoKeys = arrayTag<uint16_t>(tiff, 34735);
    tags.geoDoubles = arrayTag<double>(tiff, 34736);
    char* ascii = nullptr;
    if (TIFFGetField(tiff, 34737, &ascii) && ascii) tags.geoAscii = ascii;
    TIFFClose(tiff);
    return tags;
}

// Changes a GeoTIFF's tags in place, for what GDAL does not write itself.
using Retag = std::function<void(TIFF*, const GeoTiffTags&)>;

void rewriteTiffTags(const std::string& path, const Retag& change) {
    const GeoTiffTags before = readTiffTags(path);
    TIFF* tiff = TIFFOpen(path.c_str(), "r+");
    ASSERT_NE(nullptr, tiff) << path;
    change(tiff, before);
    EXPECT_EQ(1, TIFFRewriteDirectory(tiff));
    TIFFClose(tiff);
}

// The scale and tiepoint GDAL wrote, as a ModelTransformation in their place.
void asTransformation(TIFF* tiff, const GeoTiffTags& tags) {
    const double m[16] = {tags.pixelScale[0], 0, 0, tags.tiepoints[3], 0, -tags.pixelScale[1], 0, tags.tiepoints[4],
                          0, 0, 0, 0, 0, 0, 0, 1};
    TIFFUnsetField(tiff, 33550);
    TIFFUnsetField(tiff, 33922);
    TIFFSetField(tiff, 34264, 16, m);
}

void negativeYScale(TIFF* tiff, const GeoTiffTags& tags) {
    std::vector<double> scale = tags.pixelScale;
    scale[1] = -scale[1];
    TIFFSetField(tiff, 33550, static_cast<int>(scale.size()), scale.data());
}

// --- pictures and the files beside them ---------------------------------------------------

constexpr double kStep = 1.0 / 1200;  // three seconds of arc
const std::vector<double> kTokyo = {139.7, kStep, 0, 35.7, 0, -kStep};

const char* const kWgs84Wkt = "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
                              "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]";
const char* const kEsriJgd2011 =
    "GEOGCS[\"GCS_JGD_2011\",DATUM[\"D_JGD_2011\",SPHEROID[\"GRS_1980\",6378137.0,298.257222101]],"
    "PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";
const char* const kEsriWgs84Named =
    "GEOGCS[\"my survey\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],"
    "PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";
const char* const kWkt2Jgd2000 =
    "GEOGCRS[\"my JGD\",DATUM[\"Japanese Geodetic Datum 2000\",ELLIPSOID[\"GRS 1980\",6378137,298.257222101,"
    "LENGTHUNIT[\"metre\",1]]],PRIMEM[\"Greenwich\",0,ANGLEUNIT[\"degree\",0.0174532925199433]],CS[ellipsoidal,2],"
    "AXIS[\"latitude\",north,ORDER[1],ANGLEUNIT[\"degree\",0.0174532925199433]],"
    "AXIS[\"longitude\",east,ORDER[2],ANGLEUNIT[\"degree\",0.0174532925199433]]]";
const char* const kWkt2Wgs84Coded =
    "GEOGCRS[\"WGS 84\",DATUM[\"World Geodetic System 1984\",ELLIPSOID[\"WGS 84\",6378137,298.257223563]],"
    "CS[ellipsoidal,2],AXIS[\"lat\",north],AXIS[\"lon\",east],ANGLEUNIT[\"degree\",0.0174532925199433],"
    "ID[\"EPSG\",4326]]";
const char* const kEsriUtm54 =
    "PROJCS[\"WGS_1984_UTM_Zone_54N\",GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\","
    "6378137.0,298.257223563]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]],"
    "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"False_Easting\",500000.0],PARAMETER[\"False_Northing\",0.0],"
    "PARAMETER[\"Central_Meridian\",141.0],PARAMETER[\"Scale_Factor\",0.9996],PARAMETER[\"Latitude_Of_Origin\",0.0],"
    "UNIT[\"Meter\",1.0]]";
const char* const kTokyoDatum = "GEOGCS[\"Tokyo\",DATUM[\"Tokyo\",SPHEROID[\"Bessel 1841\",6377397.155,299.1528128]],"
                                "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]";

// A world file's six lines (A, D, B, E, C, F) for GDAL's grid gt.
std::string worldFileFor(const std::vector<double>& gt) {
    const double terms[6] = {gt[1], gt[4], gt[2], gt[5], gt[0] + gt[1] / 2 + gt[2] / 2, gt[3] + gt[4] / 2 + gt[5] / 2};
    std::string text;
    for (double term : terms) {
        char line[64];
        std::snprintf(line, sizeof line, "%.17g\r\n", term);
        text += line;
    }
    return text;
}

RasterRecipe picture(const char* driver, std::vector<double> gt = {}, const char* srs = "") {
    RasterRecipe r;
    r.driver = driver;
    r.width = 64;
    r.height = 48;
    r.bands = std::string(driver) == "GIF" ? 1 : 3;
    r.geoTransform = std::move(gt);
    r.srs = srs;
    return r;
}

ImportRequest withSrs(const char* srs, bool replace = false) {
    ImportRequest request;
    request.srs = srs;
    request.replaceGeoreferencing = replace;
    return request;
}

ImportRequest withCorners(std::optional<GeoPoint> topLeft, std::optional<GeoPoint> bottomRight, bool replace = false) {
    ImportRequest request;
    request.topLeft = topLeft;
    request.bottomRight = bottomRight;
    request.replaceGeoreferencing = replace;
    return request;
}

// Three control points over the 64 x 48 picture, as --gcp gives them.
ImportRequest withControlPoints() {
    ImportRequest request;
    request.controlPoints = {{0, 0, {35.7, 139.7}}, {64, 0, {35.7, 139.8}}, {0, 48, {35.6, 139.7}}};
    return request;
}

struct PlacementCase {
    const char* name;
    const char* file;
    RasterRecipe recipe;
    std::map<std::string, std::string> beside;  // files written beside the picture
    ImportRequest request;                      // sourcePath filled in by the test
    // Empty: the same outcome as GDAL's reading. Otherwise the build without GDAL refuses
    // with refusal, a message holding this, where GDAL's reading places the picture.
    const char* refusedWith = nullptr;
    ImportStatus refusal = ImportStatus::Ready;
    bool gdalRefusesToo = false;  // a refusal of a file GDAL's reading cannot place either
    Retag retag = nullptr;        // applied to the GeoTIFF once written
};

struct Outcome {
    ImportStatus status;
    std::string message;
    std::string description;
    LatLonGrid grid;
    bool latLonGrid = false;
};

Outcome throughGdal(const std::string& path, const ImportRequest& request) {
    startGdal();
    GDALDatasetUniquePtr raster(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    EXPECT_TRUE(raster) << path;
    SourceGeoreferencing found;
    Outcome outcome;
    if (!raster) return outcome;
    outcome.status = findGeoreferencing(*raster, request, found, outcome.message);
    outcome.description = found.description;
    outcome.grid = found.grid;
    outcome.latLonGrid = found.latLonGrid;
    return outcome;
}

Outcome withoutGdal(const std::string& path, const ImportRequest& request) {
    startGdal();
    GDALDatasetUniquePtr raster(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    const int32_t width = raster ? raster->GetRasterXSize() : 0, height = raster ? raster->GetRasterYSize() : 0;
    raster.reset();
    const bool tiff = path.size() > 4 && path.compare(path.size() - 4, 4, ".tif") == 0;
    PlainGeoreferencing found;
    Outcome outcome;
    outcome.status = findPlainGeoreferencing(request, width, height, tiff ? readTiffTags(path) : GeoTiffTags{}, found,
                                             outcome.message);
    outcome.description = found.description;
    outcome.grid = found.grid;
    outcome.latLonGrid = outcome.status == ImportStatus::Ready;
    return outcome;
}

void expectSameGrid(const LatLonGrid& expected, const LatLonGrid& actual) {
    EXPECT_NEAR(expected.north, actual.north, 1e-12);
    EXPECT_NEAR(expected.west, actual.west, 1e-12);
    EXPECT_NEAR(expected.latitudeStep, actual.latitudeStep, 1e-15);
    EXPECT_NEAR(expected.longitudeStep, actual.longitudeStep, 1e-15);
    EXPECT_EQ(expected.width, actual.width);
    EXPECT_EQ(expected.height, actual.height);
}

void runCases(const std::vector<PlacementCase>& cases) {
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        makeRaster(folder.file(c.file), c.recipe);
        if (c.retag) rewriteTiffTags(folder.file(c.file), c.retag);
        for (const auto& [name, text] : c.beside) std::ofstream(folder.file(name), std::ios::binary) << text;
        ImportRequest request = c.request;
        request.sourcePath = folder.file(c.file);
        const Outcome gdal = throughGdal(request.sourcePath, request);
        const Outcome plain = withoutGdal(request.sourcePath, request);
        if (c.refusedWith) {
            EXPECT_EQ(c.refusal, plain.status) << plain.message;
            EXPECT_NE(std::string::npos, plain.message.find(c.refusedWith)) << plain.message;
            EXPECT_NE(std::string::npos, plain.message.find("tessella import on Linux")) << plain.message;
            EXPECT_EQ(std::string::npos, plain.message.find('\n')) << plain.message;
            if (!c.gdalRefusesToo) {
                EXPECT_EQ(ImportStatus::Ready, gdal.status) << gdal.message;
            }
            continue;
        }
        ASSERT_EQ(gdal.status, plain.status) << "GDAL: " << gdal.message << "\nplain: " << plain.message;
        EXPECT_EQ(gdal.message, plain.message);
        if (gdal.status != ImportStatus::Ready) continue;
        EXPECT_TRUE(gdal.latLonGrid) << "GDAL warps it: " << gdal.description;
        EXPECT_EQ(gdal.description, plain.description);
        expectSameGrid(gdal.grid, plain.grid);
    }
}

}  // namespace

TEST(PlainGeoreferencing, WorldFilesAndTheirSystemsPlaceThePictureAsGdalDoes) {
    const std::string world = worldFileFor(kTokyo);
    const std::vector<PlacementCase> cases = {
        {"PNG, .pgw and a WKT .prj", "a.png", picture("PNG"), {{"a.pgw", world}, {"a.prj", kWgs84Wkt}}, {}},
        {"PNG, .pgw, no .prj", "a.png", picture("PNG"), {{"a.pgw", world}}, {}},
        {"PNG, .pgw, --srs EPSG:4326", "a.png", picture("PNG"), {{"a.pgw", world}}, withSrs("EPSG:4326")},
        {"PNG, .pgw, --srs EPSG:4612", "a.png", picture("PNG"), {{"a.pgw", world}}, withSrs("EPSG:4612")},
        {"PNG, .pgw, --srs EPSG:6668", "a.png", picture("PNG"), {{"a.pgw", world}}, withSrs("EPSG:6668")},
        {"--srs as a URN", "a.png", picture("PNG"), {{"a.pgw", world}}, withSrs("urn:ogc:def:crs:EPSG::6668")},
        {"--srs as an OGC URL", "a.png", picture("PNG"), {{"a.pgw", world}},
         withSrs("http://www.opengis.net/def/crs/EPSG/0/4612")},
        {"--srs OGC:CRS84", "a.png", picture("PNG"), {{"a.pgw", world}}, withSrs("OGC:CRS84")},
        {"--srs WGS84", "a.png", picture("PNG"), {{"a.pgw", world}}, withSrs("WGS84")},
        {"--srs as a PROJ string", "a.png", picture("PNG"), {{"a.pgw", world}},
         withSrs("+proj=longlat +datum=WGS84 +no_defs")},
        {"--srs that GDAL does not know either", "a.png", picture("PNG"), {{"a.pgw", world}}, withSrs("4326"),
         "not a coordinate system", ImportStatus::BadCoordinateSystem, true},
        {".pngw and a bare EPSG number", "a.png", picture("PNG"), {{"a.pngw", world}, {"a.prj", "4612\n"}}, {}},
        {".wld and WKT 2 with a name of its own", "a.png", picture("PNG"),
         {{"a.wld", world}, {"a.prj", kWkt2Jgd2000}}, {}},
        {"WKT 2 with its code", "a.png", picture("PNG"), {{"a.pgw", world}, {"a.prj", kWkt2Wgs84Coded}}, {}},
        {"ESRI's WKT of WGS84 under another name", "a.png", picture("PNG"),
         {{"a.pgw", world}, {"a.prj", kEsriWgs84Named}}, {}},
        {"names in upper case", "map.png", picture("PNG"), {{"MAP.PGW", world}, {"map.PRJ", kWgs84Wkt}}, {}},
        {"a .prj with a byte-order mark and blank lines", "a.png", picture("PNG"),
         {{"a.pgw", world}, {"a.prj", "\xEF\xBB\xBF\r\n" + std::string(kEsriJgd2011) + "\r\n\r\n"}}, {}},
        {"JPEG and .jgw", "a.jpg", picture("JPEG"), {{"a.jgw", world}, {"a.prj", kEsriJgd2011}}, {}},
        {"JPEG and .jpw", "a.jpg", picture("JPEG"), {{"a.jpw", world}, {"a.prj", "EPSG:4326"}}, {}},
        {"BMP and .bpw", "a.bmp", picture("BMP"), {{"a.bpw", world}, {"a.prj", "+proj=longlat +datum=WGS84"}}, {}},
        {"GIF and .gfw", "a.gif", picture("GIF"), {{"a.gfw", world}}, withSrs("EPSG:4326")},
        {"TIFF without tags and .tfw", "a.tif", picture("GTiff"), {{"a.tfw", world}, {"a.prj", kWgs84Wkt}}, {}},
        {"world file terms with commas and blank lines", "a.png", picture("PNG"),
         {{"a.pgw", "\n0,000833333333333333\n0\n\n0\n-0,000833333333333333\n139,70041666666667\n35,699583333333333\n"}},
         withSrs("EPSG:4326")},
        {"a world file of five numbers is none", "a.png", picture("PNG"), {{"a.pgw", "1\n0\n0\n-1\n5\n"}}, {}},
        {"a world file that maps onto a line", "a.png", picture("PNG"), {{"a.pgw", "0\n0\n0.5\n0\n139\n35\n"}},
         withSrs("EPSG:4326")},
        {"a world file with terms that are no numbers", "a.png", picture("PNG"),
         {{"a.pgw", "inf\n0\n0\n-0.001\n139\n35\n"}}, withSrs("EPSG:4326")},
        {"a world file with the Windows C library's infinity", "a.png", picture("PNG"),
         {{"a.pgw", "0.001\n0\n0\n-1.#INF\n139\n35\n"}}, withSrs("EPSG:4326")},
        {"a world file with a sign twice", "a.png", picture("PNG"), {{"a.pgw", "--0.001\n0\n0\n-0.001\n139\n35\n"}},
         withSrs("EPSG:4326")},
        {"--srs in place of a .prj's", "a.png", picture("PNG"), {{"a.pgw", world}, {"a.prj", kWgs84Wkt}},
         withSrs("EPSG:6668")},
        {"--srs in place of a .prj's, replacing", "a.png", picture("PNG"), {{"a.pgw", world}, {"a.prj", kWgs84Wkt}},
         withSrs("EPSG:6668", true)},
        {"an unreadable .prj with --srs", "a.png", picture("PNG"), {{"a.pgw", world}, {"a.prj", "nonsense"}},
         withSrs("EPSG:4326")},
        {"an empty .prj", "a.png", picture("PNG"), {{"a.pgw", world}, {"a.prj", " \r\n"}}, {}},
        {"no georeferencing at all", "a.png", picture("PNG"), {}, {}},
        {"typed control points", "a.png", picture("PNG"), {}, withControlPoints(),
         "control points typed with --gcp and needs a warp", ImportStatus::NoGeoreferencing},
        {"a BMP's world file in upper case", "a.bmp", picture("BMP"), {{"a.BPW", world}}, withSrs("EPSG:6668")},
        {"WKT 1 with latitude first under another name", "a.png", picture("PNG"),
         {{"a.pgw", world},
          {"a.prj", "GEOGCS[\"survey\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
                    "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433],AXIS[\"Lat\",NORTH],"
                    "AXIS[\"Long\",EAST]]"}},
         {}},
        {"ESRI's keyword lines", "a.png", picture("PNG"),
         {{"a.pgw", world}, {"a.prj", "Projection    GEOGRAPHIC\nDatum         WGS84\nSpheroid      WGS84\n"
                                      "Units         DD\nZunits        NO\nParameters\n"}},
         {}},
        {"an .aux.xml with GDAL's default grid", "a.png", picture("PNG"),
         {{"a.png.aux.xml", "<PAMDataset><GeoTransform>0, 1, 0, 0, 0, 1</GeoTransform></PAMDataset>\n"}}, {}},
    };
    runCases(cases);
}

TEST(PlainGeoreferencing, GeoTiffTagsPlaceThePictureAsGdalDoes) {
    RasterRecipe pointGrid = picture("GTiff", kTokyo, "EPSG:4326");
    pointGrid.pixelIsPoint = true;
    const std::vector<PlacementCase> cases = {
        {"EPSG:4326", "a.tif", picture("GTiff", kTokyo, "EPSG:4326"), {}, {}},
        {"EPSG:4612", "a.tif", picture("GTiff", kTokyo, "EPSG:4612"), {}, {}},
        {"EPSG:6668", "a.tif", picture("GTiff", kTokyo, "EPSG:6668"), {}, {}},
        {"PixelIsPoint", "a.tif", pointGrid, {}, {}},
        {"a user-defined system on WGS84", "a.tif", picture("GTiff", kTokyo, kEsriWgs84Named), {}, {}},
        {"a user-defined system on JGD2011", "a.tif", picture("GTiff", kTokyo, kEsriJgd2011), {}, {}},
        {"tags without GeoKeys and a .prj", "a.tif", picture("GTiff", kTokyo), {{"a.prj", kWgs84Wkt}}, {}},
        {"tags without GeoKeys, --srs", "a.tif", picture("GTiff", kTokyo), {}, withSrs("EPSG:6668")},
        {"tags before a world file", "a.tif", picture("GTiff", kTokyo, "EPSG:4326"),
         {{"a.tfw", worldFileFor({130, 0.5, 0, 40, 0, -0.5})}}, {}},
        {"GeoKeys with a .tfw for the grid", "a.tif", picture("GTiff", {}, "EPSG:6668"),
         {{"a.tfw", worldFileFor(kTokyo)}}, {}},
        {"a ModelTransformation", "a.tif", picture("GTiff", kTokyo, "EPSG:4326"), {}, {}, nullptr,
         ImportStatus::Ready, false, asTransformation},
        {"a ModelTransformation and PixelIsPoint", "a.tif", pointGrid, {}, {}, nullptr, ImportStatus::Ready, false,
         asTransformation},
        {"a negative y scale", "a.tif", picture("GTiff", kTokyo, "EPSG:4612"), {}, {}, nullptr, ImportStatus::Ready,
         false, negativeYScale},
        {"--srs on a GeoTIFF", "a.tif", picture("GTiff", kTokyo, "EPSG:4326"), {}, withSrs("EPSG:4326")},
        {"--srs on a GeoTIFF, replacing", "a.tif", picture("GTiff", kTokyo, "EPSG:4326"), {},
         withSrs("EPSG:6668", true)},
    };
    runCases(cases);
}

TEST(PlainGeoreferencing, TypedCornersFollowTheSameRules) {
    const std::string world = worldFileFor(kTokyo);
    const GeoPoint tl{35.7, 139.7}, br{35.6, 139.9};
    const std::vector<PlacementCase> cases = {
        {"a picture with none", "a.png", picture("PNG"), {}, withCorners(tl, br)},
        {"one corner only", "a.png", picture("PNG"), {}, withCorners(tl, std::nullopt)},
        {"corners out of order", "a.png", picture("PNG"), {}, withCorners(br, tl)},
        {"on a world file", "a.png", picture("PNG"), {{"a.pgw", world}}, withCorners(tl, br)},
        {"on a world file, replacing", "a.png", picture("PNG"), {{"a.pgw", world}}, withCorners(tl, br, true)},
        {"on a GeoTIFF", "a.tif", picture("GTiff", kTokyo, "EPSG:4326"), {}, withCorners(tl, br)},
        {"on a GeoTIFF, replacing", "a.tif", picture("GTiff", kTokyo, "EPSG:4326"), {}, withCorners(tl, br, true)},
    };
    runCases(cases);
}

TEST(PlainGeoreferencing, WhatNeedsAWarpIsRefusedNamingItAndTheLinuxBuild) {
    const std::string world = worldFileFor(kTokyo);
    RasterRecipe controlPoints = picture("GTiff", {}, "EPSG:4326");
    controlPoints.gcps = {{0, 0, 139.7, 35.7}, {64, 0, 139.8, 35.71}, {0, 48, 139.69, 35.6}};
    const std::vector<double> utm = {380000, 10, 0, 3950000, 0, -10};
    const std::vector<PlacementCase> cases = {
        {"an ESRI .prj in UTM", "a.png", picture("PNG"), {{"a.pgw", worldFileFor(utm)}, {"a.prj", kEsriUtm54}}, {},
         "WGS_1984_UTM_Zone_54N (from ", ImportStatus::BadCoordinateSystem},
        {"a .prj on the Tokyo datum", "a.png", picture("PNG"), {{"a.pgw", world}, {"a.prj", kTokyoDatum}}, {},
         "Tokyo (from ", ImportStatus::BadCoordinateSystem},
        {"--srs in UTM", "a.png", picture("PNG"), {{"a.pgw", worldFileFor(utm)}}, withSrs("EPSG:32654"),
         "WGS 84 / UTM zone 54N (EPSG:32654), a projected", ImportStatus::BadCoordinateSystem},
        {"--srs as a PROJ string in UTM", "a.png", picture("PNG"), {{"a.pgw", worldFileFor(utm)}},
         withSrs("+proj=utm +zone=54 +datum=WGS84"), "UTM zone 54N", ImportStatus::BadCoordinateSystem},
        {"--srs on the Tokyo datum", "a.png", picture("PNG"), {{"a.pgw", world}}, withSrs("EPSG:4301"),
         "Tokyo (EPSG:4301), a geographic", ImportStatus::BadCoordinateSystem},
        {"a GeoTIFF in UTM", "a.tif", picture("GTiff", utm, "EPSG:32654"), {}, {},
         "it is in WGS 84 / UTM zone 54N (EPSG:32654), a projected", ImportStatus::BadCoordinateSystem},
        {"a GeoTIFF in plane rectangular IX", "a.tif", picture("GTiff", {-8000, 1, 0, -35000, 0, -1}, "EPSG:6677"),
         {}, {}, "JGD2011 / Japan Plane Rectangular CS IX (EPSG:6677)", ImportStatus::BadCoordinateSystem},
        {"a rotated world file", "a.png", picture("PNG"),
         {{"a.pgw", worldFileFor({139.7, kStep, kStep / 10, 35.7, kStep / 10, -kStep})}, {"a.prj", kWgs84Wkt}}, {},
         "has rotation terms", ImportStatus::NoGeoreferencing},
        {"a world file south-up", "a.png", picture("PNG"), {{"a.pgw", worldFileFor({139.7, kStep, 0, 35.6, 0, kStep})}},
         withSrs("EPSG:4326"), "is not north-up", ImportStatus::NoGeoreferencing},
        {"a rotated GeoTIFF", "a.tif", picture("GTiff", {139.7, kStep, kStep / 10, 35.7, kStep / 10, -kStep}, "EPSG:4326"),
         {}, {}, "its own georeferencing in WGS 84 (EPSG:4326) has rotation terms", ImportStatus::NoGeoreferencing},
        {"a GeoTIFF placed by control points", "a.tif", controlPoints, {}, {}, "its 3 control points (GCPs)",
         ImportStatus::NoGeoreferencing},
        {"a .prj in grads", "a.png", picture("PNG"),
         {{"a.pgw", world},
          {"a.prj", "GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],"
                    "PRIMEM[\"Greenwich\",0.0],UNIT[\"Grad\",0.015707963267949]]"}},
         {}, "on another datum or in other units", ImportStatus::BadCoordinateSystem},
        {"ESRI's keyword lines on NAD83", "a.png", picture("PNG"),
         {{"a.pgw", world}, {"a.prj", "Projection    GEOGRAPHIC\nDatum         NAD83\nUnits         DD\n"}}, {},
         "NAD83 (EPSG:4269) (from ", ImportStatus::BadCoordinateSystem},
        {"ESRI's keyword lines in UTM", "a.png", picture("PNG"),
         {{"a.pgw", worldFileFor(utm)}, {"a.prj", "Projection UTM\nZone 54\nDatum WGS84\nUnits METERS\n"}}, {},
         "WGS 84 / UTM zone 54N (EPSG:32654) (from ", ImportStatus::BadCoordinateSystem},
        {"an .aux.xml with a grid", "a.png", picture("PNG"),
         {{"a.png.aux.xml", "<PAMDataset><GeoTransform>139.7, 0.001, 0, 35.7, 0, -0.001</GeoTransform></PAMDataset>"},
          {"a.prj", kWgs84Wkt}},
         {}, "a.png.aux.xml holds georeferencing", ImportStatus::NoGeoreferencing},
    };
    runCases(cases);
}

TEST(PlainGeoreferencing, AnUnreadablePrjIsRefusedWithoutGuessing) {
    const std::vector<PlacementCase> cases = {
        {"words", "a.png", picture("PNG"), {{"a.pgw", worldFileFor(kTokyo)}, {"a.prj", "nonsense"}}, {},
         "a.prj cannot be read without GDAL", ImportStatus::BadCoordinateSystem, true},
        {"WKT cut short", "a.png", picture("PNG"), {{"a.pgw", worldFileFor(kTokyo)}, {"a.prj", "GEOGCS[\"WGS 84\","}},
         {}, "its WKT does not parse", ImportStatus::BadCoordinateSystem, true},
    };
    runCases(cases);
}

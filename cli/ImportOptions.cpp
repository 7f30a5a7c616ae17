// tessella import's entry in the command table: its options and help, apart from the
// work (ImportCommand.cpp), so that reading and telling them need nothing of GDAL.

#include "HelpText.h"
#include "ImportCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "Quoted.h"

namespace {

// One of names, by its index.
OptionTable::Check readChoice(size_t& target, const std::vector<std::string>& names) {
    return [&target, &names](const std::string& value, std::vector<std::string>&) {
        std::string known;
        for (size_t i = 0; i < names.size(); ++i) {
            if (value == names[i]) {
                target = i;
                return std::string();
            }
            known += (i == 0 ? "" : ", ") + names[i];
        }
        return quoted(value) + " is not one of " + known;
    };
}

// What the import reads and where its corners come from differ between the builds: the
// Linux build reads through GDAL and warps, the Windows build decodes with the Windows
// Imaging Component and takes latitude/longitude pictures only.
#ifdef _WIN32
constexpr const char* kDescription =
    "Reads a map picture of any format Windows decodes (PNG, JPEG, TIFF, BMP,\n"
    "GIF), works out its corners and extents, prints them as the settings of\n"
    "'tessella convert' and of the dialog, and writes the map as convert does:\n"
    "FOLDER.vlm and FOLDER\\layer1\\levelRRR\\smplCCCRRR.map, beside SOURCE unless\n"
    "--output-dir is given. Palette, grey, 16-bit and transparent pictures become\n"
    "24-bit colour (transparency over white).\n"
    "\n"
    "Where the corners come from:\n"
    "  the picture's own georeferencing: GeoTIFF tags, or a world file (.tfw,\n"
    "  .pgw, .jgw, .bpw, .wld) with a .prj beside it; or --srs for a world file\n"
    "  without one. Corners typed with --top-left and --bottom-right, as for\n"
    "  convert, are used instead when given.\n"
    "Only north-up latitude/longitude on WGS84, JGD2000 or JGD2011 (EPSG:4326,\n"
    "4612, 6668) is read here, north of the equator and east of Greenwich. A\n"
    "picture in another system (UTM, a national grid), turned against the\n"
    "meridians or placed by control points needs the Linux build of tessella,\n"
    "which warps it; so do --window and --stretch.\n"
    "\n"
    "Extents, on the WGS84 ellipsoid, in whole metres:\n"
    "  east-west    the length of the parallel halfway between the two latitudes,\n"
    "               from the west to the east longitude\n"
    "  north-south  the length of the meridian between the two latitudes\n";

constexpr const char* kSrsHelp = "the coordinate system of a world file: EPSG:4326, EPSG:4612 or EPSG:6668";
constexpr const char* kLinuxOnly = " (Linux build only)";
constexpr const char* kFooter = "";
#else
constexpr const char* kDescription =
    "Reads a map picture of any format GDAL reads (GeoTIFF, PNG, JPEG, TIFF,\n"
    "BMP...), works out its corners and extents, prints them as the settings of\n"
    "'tessella convert' and of the dialog, and writes the map as convert does:\n"
    "FOLDER.vlm and FOLDER/layer1/levelRRR/smplCCCRRR.map, beside SOURCE unless\n"
    "--output-dir is given. Palette, grey, 16-bit and transparent pictures become\n"
    "24-bit colour (transparency over white). The whole picture is never held in\n"
    "memory.\n"
    "\n"
    "Where the corners come from:\n"
    "  the picture's own georeferencing: GeoTIFF tags, an .aux.xml, or a world file\n"
    "  (.tfw, .pgw, .jgw, .wld) with a .prj beside it; or --srs for a world file\n"
    "  without one. A picture in another system (UTM, a national grid) or turned\n"
    "  against the meridians is warped to north-up WGS84 latitude/longitude.\n"
    "  Corners typed with --top-left and --bottom-right, as for convert, are used\n"
    "  instead when given. A scanned map without georeferencing is placed by control\n"
    "  points: --gcp, or the .points file QGIS's georeferencer saves beside it.\n"
    "Latitudes and longitudes are WGS84 (JGD2000 and JGD2011 lie within a metre of\n"
    "it in Japan), north of the equator and east of Greenwich.\n"
    "\n"
    "Extents, on the WGS84 ellipsoid, in whole metres:\n"
    "  east-west    the length of the parallel halfway between the two latitudes,\n"
    "               from the west to the east longitude\n"
    "  north-south  the length of the meridian between the two latitudes\n";

constexpr const char* kSrsHelp =
    "the coordinate system of a world file, e.g. EPSG:4326 or EPSG:32654 (anything GDAL reads as a system)";
constexpr const char* kLinuxOnly = "";
constexpr const char* kFooter =
    "A progressive JPEG or interlaced PNG too large to decode whole is refused,\n"
    "with the command that converts it first.\n";
#endif
constexpr const char* kSummary =
    "a georeferenced picture (GeoTIFF, PNG, JPEG...) to a map, its corners and extents worked out";

// --window LAT,LON,LAT,LON: two corners, each as --top-left takes one.
OptionTable::Check readWindow(CornerArgument& topLeft, CornerArgument& bottomRight) {
    return [&topLeft, &bottomRight](const std::string& value, std::vector<std::string>& warnings) {
        size_t second = value.find(',');
        if (second != std::string::npos) second = value.find(',', second + 1);
        if (second == std::string::npos)
            return quoted(value) + " is not two corners LAT,LON,LAT,LON (the north-west corner first)";
        std::string error;
        std::optional<CornerArgument> first = parseCorner(value.substr(0, second), error, warnings);
        if (!first) return error;
        std::optional<CornerArgument> last = parseCorner(value.substr(second + 1), error, warnings);
        if (!last) return error;
        topLeft = *first;
        bottomRight = *last;
        return std::string();
    };
}

// --stretch MIN,MAX: two decimal numbers, MIN below MAX.
OptionTable::Check readStretch(double& min, double& max) {
    return [&min, &max](const std::string& value, std::vector<std::string>&) {
        const char* text = value.c_str();
        char* end = nullptr;
        double low = std::strtod(text, &end);
        if (end == text || *end != ',') return quoted(value) + " is not MIN,MAX (two numbers)";
        const char* rest = end + 1;
        double high = std::strtod(rest, &end);
        if (end == rest || *end != '\0') return quoted(value) + " is not MIN,MAX (two numbers)";
        if (!(low < high)) return quoted(value) + ": MIN must be below MAX";
        min = low;
        max = high;
        return std::string();
    };
}

// A positive, finite decimal number that takes all of text.
bool readPositive(const std::string& text, double& value) {
    const char* start = text.c_str();
    char* end = nullptr;
    value = std::strtod(start, &end);
    return end != start && *end == '\0' && std::isfinite(value) && value > 0;
}

// --resolution SECONDS or LAT,LON: arc-seconds per pixel, one value for both axes or two.
OptionTable::Check readResolution(double& latitude, double& longitude) {
    return [&latitude, &longitude](const std::string& value, std::vector<std::string>&) {
        const size_t comma = value.find(',');
        double lat = 0, lon = 0;
        const bool read = comma == std::string::npos
                              ? readPositive(value, lat) && readPositive(value, lon)
                              : readPositive(value.substr(0, comma), lat) && readPositive(value.substr(comma + 1), lon);
        if (!read) return quoted(value) + " is not SECONDS or LAT,LON (positive arc-seconds per pixel)";
        latitude = lat;
        longitude = lon;
        return std::string();
    };
}

// --size WIDTHxHEIGHT: two whole numbers of pixels, each at least 1.
OptionTable::Check readSize(int32_t& width, int32_t& height) {
    return [&width, &height](const std::string& value, std::vector<std::string>&) {
        const size_t x = value.find('x');
        auto side = [](const std::string& text, int32_t& target) {
            if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
            const unsigned long long number = std::strtoull(text.c_str(), nullptr, 10);
            if (number < 1 || number > INT32_MAX) return false;
            target = static_cast<int32_t>(number);
            return true;
        };
        if (x == std::string::npos || !side(value.substr(0, x), width) || !side(value.substr(x + 1), height))
            return quoted(value) + " is not WIDTHxHEIGHT (two whole numbers of pixels, 1 to 2147483647)";
        return std::string();
    };
}

// --gcp PIXEL,LINE,LAT,LON: two decimal numbers, then a corner as --top-left takes one;
// each given adds one point.
OptionTable::Check readGcp(std::vector<GcpArgument>& gcps) {
    return [&gcps](const std::string& value, std::vector<std::string>& warnings) {
        const std::string form = " is not PIXEL,LINE,LAT,LON (pixel and line on the picture, then where it lies)";
        if (std::count(value.begin(), value.end(), ',') != 3) return quoted(value) + form;
        GcpArgument gcp;
        const char* text = value.c_str();
        char* end = nullptr;
        gcp.pixel = std::strtod(text, &end);
        if (end == text || *end != ',' || !std::isfinite(gcp.pixel)) return quoted(value) + form;
        const char* rest = end + 1;
        gcp.line = std::strtod(rest, &end);
        if (end == rest || *end != ',' || !std::isfinite(gcp.line)) return quoted(value) + form;
        std::string error;
        std::optional<CornerArgument> at = parseCorner(std::string(end + 1), error, warnings);
        if (!at) return quoted(value) + ": " + error;
        gcp.at = *at;
        gcps.push_back(gcp);
        return std::string();
    };
}

}  // namespace

void pictureOptions(OptionTable& table, PictureArguments& a) {
    table.value("--srs", a.srs).valueName("SRS").check(refuseEmpty("the value is empty"))
        .needsGdalWhenGiven()
        .help(kSrsHelp);
    table.value("--top-left", a.topLeftText).valueName("LAT,LON").requiresOption("--bottom-right")
        .check(readCorner(a.topLeft)).needsGdalWhenGiven()
        .help("the top-left corner of the picture's outer edges, as for convert");
    table.value("--bottom-right", a.bottomRightText).valueName("LAT,LON").requiresOption("--top-left")
        .check(readCorner(a.bottomRight)).needsGdalWhenGiven().help("the bottom-right corner, as for convert");
    table.values("--gcp", a.gcpTexts).valueName("PIXEL,LINE,LAT,LON").check(readGcp(a.gcps))
        .excludes("--top-left", "the control points and the corners would both place the picture")
        .excludes("--srs", "the control points are WGS84 latitudes and longitudes")
        .needsGdalWhenGiven()
        .help("a control point, given three or more times for a picture without georeferencing (a scanned "
              "map): PIXEL,LINE on the picture in pixels from its top-left corner, as GDAL counts them (0.5,0.5 "
              "is the first pixel's centre), then where it lies, as the corners are written; the picture is "
              "warped through them as gdal_translate -gcp then gdalwarp would. Without --gcp, a QGIS "
              "georeferencer's SOURCE.points beside the picture is read (its #CRS line, else WGS84)" +
              std::string(kLinuxOnly));
    table.value("--transform", a.transformText).valueName("FIT").check(readChoice(a.transform, kTransformNames))
        .needsGdalWhenGiven()
        .help("how control points place the picture: poly1 (the default; 3 points or more), poly2 (6 or more), "
              "poly3 (10 or more), polynomials fitted by least squares as gdalwarp -order 1 to 3; tps, a thin "
              "plate spline through every point, as gdalwarp -tps. The report gives each point's residual in "
              "pixels" + std::string(kLinuxOnly));
    table.flag("--replace-georeferencing", a.replaceGeoreferencing)
        .needsGdalWhenGiven()
        .help("take --top-left/--bottom-right, --gcp, a .points file or --srs in place of the picture's own "
              "georeferencing or coordinate system; without it, giving them for a picture that has its own is a "
              "usage error (a .points file is then left unused, with a warning)");
    table.value("--window", a.windowText).valueName("LAT,LON,LAT,LON")
        .check(readWindow(a.windowTopLeft, a.windowBottomRight))
        .needsGdalWhenGiven()
        .help("make the map of this region only: the north-west corner's latitude,longitude, then the "
              "south-east corner's, as the corners are written; snapped outward to whole pixels of the "
              "picture (after any warp)" + std::string(kLinuxOnly));
    table.value("--stretch", a.stretchText).valueName("MIN,MAX").check(readStretch(a.stretchMin, a.stretchMax))
        .needsGdalWhenGiven()
        .help("map sample values MIN..MAX of the colour bands onto 0..255, as gdal_translate -scale MIN MAX 0 "
              "255 does (values outside are clamped); needed for floating-point pictures and for 16-bit "
              "pictures that use part of their range, e.g. --stretch 0,4095 for 12-bit samples" +
              std::string(kLinuxOnly));
    table.value("--fit", a.fitText).valueName("MODE").check(readChoice(a.fit, kFitNames))
        .needsGdalWhenGiven()
        .help("how the picture is fitted to tiles of 160x160 pixels: pad (default) adds white on the east and "
              "south edges up to the next multiple of 160, at least 480, moving the bottom-right corner out by "
              "whole pixels; crop drops the remainder there, moving it in; scale resamples to the nearest "
              "multiple and keeps the corners");
    table.value("--resolution", a.resolutionText).valueName("SECONDS")
        .check(readResolution(a.resolutionLatitude, a.resolutionLongitude))
        .excludes("--size", "each chooses the map's grid")
        .needsGdalWhenGiven()
        .help("resample the picture (after any warp and --window) to this many arc-seconds per pixel, as "
              "gdalwarp -tr does: the top-left corner stays, each side rounded to whole pixels; LAT,LON for "
              "two values, e.g. 1.5,2.25; then --fit fits it to the tiles" + std::string(kLinuxOnly));
    table.value("--size", a.sizeText).valueName("WIDTHxHEIGHT").check(readSize(a.sizeWidth, a.sizeHeight))
        .needsGdalWhenGiven()
        .help("resample the picture (after any warp and --window) to WIDTH x HEIGHT pixels over the same "
              "corners, as gdalwarp -ts does, e.g. 1600x960; then --fit fits it to the tiles" + std::string(kLinuxOnly));
    table.value("--resample", a.resampleText).valueName("METHOD").check(readChoice(a.resampling, kResampleNames))
        .needsGdalWhenGiven()
        .help("nearest (default), bilinear or cubic, for warping, --resolution, --size and --fit scale; nearest keeps a map's flat "
              "colours exact");
}

void importOptions(OptionTable& table, ImportArguments& a) {
    table.description(kDescription);
    table.positional("SOURCE", "the map picture to read", a.source).help("the map picture");
    table.value("--name", a.name).valueName("NAME").requiredUnless("--bmp").help("map name, as for convert");
    table.value("--folder", a.folder).valueName("FOLDER").requiredUnless("--bmp").help("folder name, as for convert");
    pictureOptions(table, a);
    table.value("--east-west", a.eastWest).valueName("METRES").check(readDistanceOrAuto())
        .help("the east-west extent; auto (the default) works it out as above");
    table.value("--north-south", a.northSouth).valueName("METRES").check(readDistanceOrAuto())
        .help("the north-south extent; auto (the default) works it out as above");
    table.value("--bmp", a.bmp).valueName("OUT.bmp").check(refuseEmpty("the value is empty"))
        .help("write only the prepared 24-bit bitmap, which convert and the dialog take, and print the "
              "settings; the dialog's corners are rounded to whole seconds, and how far that moves each is "
              "printed");
    table.value("--output-dir", a.outputDir).valueName("DIR").check(refuseEmpty("the value is empty"))
        .excludes("--bmp", "--bmp names its own file").help("write the map in DIR (made if missing)");
    table.flag("--overwrite", a.overwrite).excludes("--bmp", "--bmp never replaces a file")
        .help("replace an existing map of the folder name, as convert does");
    table.flag("--dither", a.dither).excludes("--bmp", "--bmp keeps the picture's own colours").help(ditherHelp());
    table.flag("--dry-run", a.dryRun).help("every check and the settings, nothing written");
    table.flag("--json", a.json).excludes("--bmp", "--bmp reports in words")
        .help("one JSON object on standard output, as convert prints");
    table.flag("--quiet", a.quiet).help("print nothing but failures");
    table.footer(kFooter);
}

Command importCommand() {
    return {"import", kSummary, true,
            [](OptionTable& table) { return runWith<ImportArguments>(table, importOptions, runImport); }};
}

// tessella convert's entry in the command table: its options and help. The run is
// runConvert (Commands.h).

#include "Commands.h"
#include "GridRule.h"
#include "HelpText.h"
#include "TileFormat.h"

namespace {

std::string number(int64_t value) { return std::to_string(value); }

}  // namespace

void convertOptions(OptionTable& table, ConvertArguments& convert) {
    const std::string side = number(kTileSide), smallest = number(kSmallestPictureSide);
    table.description("Converts BITMAP into the index file FOLDER.vlm and the folder tree\n"
                      "FOLDER/layer1/levelRRR/ with one tile file smplCCCRRR.map per " + side + "x" + side +
                      " pixels\n"
                      "(column CCC, row RRR, counted from 0 at the top-left). The output lands beside\n"
                      "the bitmap unless --output-dir is given. An existing FOLDER.vlm stops the\n"
                      "conversion unless --overwrite is given.\n");
    table.positional("BITMAP", "the bitmap file to read", convert.bitmap)
        .help("a 24-bit uncompressed Windows bitmap (.bmp), at least " + smallest + "x" + smallest +
              " pixels, width and height multiples of " + side);
    table.value("--name", convert.name).valueName("NAME").required()
        .help("map name, at most " + number(kMapNameMaxLength) +
              " bytes once written in Shift-JIS (CP932): " + number(kMapNameMaxLength) + " ASCII letters or " +
              number(kMapNameMaxLength / 2) +
              " Japanese characters; a longer name is cut between two characters, with a warning; control "
              "characters are refused. Tile headers keep its first " + number(tile_format::kMapNameLength) +
              " bytes (a warning says when that cuts a character in two).");
    table.value("--folder", convert.folder).valueName("FOLDER").required()
        .help("1 to " + number(kFolderNameMaxLength) + " characters, each a-z or 0-9");
    table.value("--top-left", convert.topLeftText).valueName("LAT,LON").required()
        .check(readCorner(convert.topLeft))
        .help("latitude and longitude of the picture's top-left corner, each D:M:S (degrees:minutes:seconds; "
              "degrees of latitude up to 2 digits, of longitude up to 3; minutes and seconds up to 2), e.g. "
              "35:40:10,139:45:30, or decimal degrees, e.g. 35.66944,139.7563 (rounded to the nearest "
              "millisecond of arc; latitude at most 90, longitude at most 180). N and E may follow: "
              "35:40:10N,139:45:30E. Maps lie north of the equator and east of Greenwich: S, W and minus signs "
              "are refused. In D:M:S, minutes and seconds past 59 are taken as the dialog takes them, with a "
              "warning.");
    table.value("--bottom-right", convert.bottomRightText).valueName("LAT,LON").required()
        .check(readCorner(convert.bottomRight))
        .help("the bottom-right corner, south and east of the top-left one");
    table.value("--east-west", convert.eastWest).valueName("METRES").required().check(readDistanceOrAuto())
        .help("width of the picture on the ground, whole metres (1 to 9999999); auto works it out from the "
              "corners on the WGS84 ellipsoid, as import does");
    table.value("--north-south", convert.northSouth).valueName("METRES").required().check(readDistanceOrAuto())
        .help("height of the picture on the ground, whole metres, or auto");
    table.value("--output-dir", convert.outputDirText).valueName("DIR")
        .check([&convert](const std::string& value, std::vector<std::string>&) {
            if (value.empty()) return std::string("the folder name is empty");
            convert.outputDir = value;
            return std::string();
        })
        .help("write the output in DIR (made if missing)");
    table.flag("--overwrite", convert.overwrite)
        .help("replace an existing map of the same folder name: its index goes first, the new tiles are "
              "written, tiles and level folders outside the new grid are removed, and the new index comes "
              "last. If that run fails, neither map is whole; the next --overwrite run finishes the job");
    table.flag("--dither", convert.dither).help(ditherHelp());
    table.flag("--dry-run", convert.dryRun).help("run every check, write nothing, and print what would be written");
    table.flag("--json", convert.json)
        .help("print one JSON object instead of the report: the grid, the files, the settings as stored "
              "(milliseconds of arc, tenths of a metre), the name's bytes, the messages shown and the exit code");
    table.flag("--quiet", convert.quiet).help("print nothing but failures");
    table.footer("Options take their value as the next argument or after '=' (--name=NAME).\n"
                 "Messages go to standard error; on a terminal a progress line shows the tiles\n"
                 "being written.\n"
                 "\n"
                 "Example:\n" +
                 convertExample() + "\n" + exitCodesText());
}

Command convertCommand() {
    return {"convert", "write the index file and the tiles, beside the bitmap or in DIR", false,
            [](OptionTable& table) { return runWith<ConvertArguments>(table, convertOptions, runConvert); }};
}

#include "HelpText.h"

#include "InspectCommands.h"
#include "ImportCommand.h"

#ifndef TESSELLA_VERSION
#define TESSELLA_VERSION "unknown"
#endif

namespace {

constexpr std::string_view kExample =
    "  tessella convert tokyo.bmp --name \"Tokyo Bay\" --folder tokyo \\\n"
    "      --top-left 35:40:10,139:45:30 --bottom-right 35:38:40,139:47:20 \\\n"
    "      --east-west 2759 --north-south 2778\n";

constexpr std::string_view kExitCodes =
    "Exit codes:\n"
    "  0  success: the map was written, or the bitmap can be converted\n"
    "  1  internal error\n"
    "  2  usage error: unknown command or option, missing or malformed value\n"
    "  3  bitmap refused: missing, unreadable, or not a bitmap that can be converted\n"
    "  4  settings refused: map name, folder name, corners or distances\n"
    "  5  output failed: the index file exists, or a file or folder could not be\n"
    "     made or written\n"
    "  6  inspect, verify, preview: the map or file is missing, unreadable or\n"
    "     damaged\n";

std::string overview() {
    return std::string(
               "tessella " TESSELLA_VERSION
               ": turns a map picture (a 24-bit Windows bitmap) into tiled map data:\n"
               "an index file FOLDER.vlm and one tile file per 160x160 pixels in\n"
               "FOLDER/layer1/levelRRR/smplCCCRRR.map.\n"
               "\n"
#ifdef _WIN32
               // Windows does not tell tessella.exe from the dialog's Tessella.exe.
               "On Windows this command line is tessella-cli.exe, beside the dialog\n"
               "Tessella.exe: type tessella-cli where this help says tessella.\n"
               "\n"
#endif
               "Usage:\n"
               "  tessella convert BITMAP --name NAME --folder FOLDER\n"
               "                   --top-left LAT,LON --bottom-right LAT,LON\n"
               "                   --east-west METRES --north-south METRES [--output-dir DIR]\n"
               "                   [--overwrite] [--dry-run] [--json] [--quiet]\n"
               "  tessella probe BITMAP [--json] [--quiet]\n"
               "  tessella inspect MAPFILE [--json]\n"
               "  tessella verify INDEX [--json]\n"
               "  tessella preview FILE -o PNG [--scale N] [--compare]\n"
               "  tessella import SOURCE --name NAME --folder FOLDER [options]\n"
               "  tessella help [COMMAND]\n"
               "  tessella --help | --version\n"
               "\n"
               "Commands:\n"
               "  convert  write the index file and the tiles, beside the bitmap or in DIR\n"
               "  probe    check whether a bitmap can be converted and show its tile grid\n"
               "  inspect  show every field of an index or tile file\n"
               "  verify   check a whole map against its index\n"
               "  preview  draw a map, or a bitmap as a map would store it, as a PNG picture\n"
               "  import   a georeferenced picture (GeoTIFF, PNG, JPEG...) to a map, its corners\n"
               "           and extents worked out (Linux build)\n"
               "\n"
               "Run 'tessella COMMAND --help' for the details of a command.\n"
               "\n"
               "Example:\n") +
           std::string(kExample) + "\n" + std::string(kExitCodes);
}

std::string convertHelp() {
    return std::string(
               "Usage: tessella convert BITMAP --name NAME --folder FOLDER\n"
               "                        --top-left LAT,LON --bottom-right LAT,LON\n"
               "                        --east-west METRES --north-south METRES\n"
               "                        [--output-dir DIR] [--overwrite] [--dry-run]\n"
               "                        [--json] [--quiet]\n"
               "\n"
               "Converts BITMAP into the index file FOLDER.vlm and the folder tree\n"
               "FOLDER/layer1/levelRRR/ with one tile file smplCCCRRR.map per 160x160 pixels\n"
               "(column CCC, row RRR, counted from 0 at the top-left). The output lands beside\n"
               "the bitmap unless --output-dir is given. An existing FOLDER.vlm stops the\n"
               "conversion unless --overwrite is given.\n"
               "\n"
               "  BITMAP               a 24-bit uncompressed Windows bitmap (.bmp), at least\n"
               "                       480x480 pixels, width and height multiples of 160\n"
               "  --name NAME          map name, at most 32 bytes once written in Shift-JIS\n"
               "                       (CP932): 32 ASCII letters or 16 Japanese characters;\n"
               "                       a longer name is cut between two characters, with\n"
               "                       a warning; control characters are refused. Tile\n"
               "                       headers keep its first 16 bytes (a warning says\n"
               "                       when that cuts a character in two).\n"
               "  --folder FOLDER      1 to 8 characters, each a-z or 0-9\n"
               "  --top-left LAT,LON   latitude and longitude of the picture's top-left\n"
               "                       corner, each D:M:S (degrees:minutes:seconds; degrees\n"
               "                       of latitude up to 2 digits, of longitude up to 3;\n"
               "                       minutes and seconds up to 2), e.g. 35:40:10,139:45:30,\n"
               "                       or decimal degrees, e.g. 35.66944,139.7563 (rounded\n"
               "                       to the nearest millisecond of arc; latitude at most\n"
               "                       90, longitude at most 180). N and E may follow:\n"
               "                       35:40:10N,139:45:30E. Maps lie north of the equator\n"
               "                       and east of Greenwich: S, W and minus signs are\n"
               "                       refused. In D:M:S, minutes and seconds past 59 are\n"
               "                       taken as the dialog takes them, with a warning.\n"
               "  --bottom-right LAT,LON\n"
               "                       the bottom-right corner, south and east of the\n"
               "                       top-left one\n"
               "  --east-west METRES   width of the picture on the ground, whole metres\n"
               "                       (1 to 9999999)\n"
               "  --north-south METRES height of the picture on the ground, whole metres\n"
               "  --output-dir DIR     write the output in DIR (made if missing)\n"
               "  --overwrite          replace an existing map of the same folder name: its\n"
               "                       index goes first, the new tiles are written, tiles\n"
               "                       and level folders outside the new grid are removed,\n"
               "                       and the new index comes last. If that run fails,\n"
               "                       neither map is whole; the next --overwrite run\n"
               "                       finishes the job\n"
               "  --dry-run            run every check, write nothing, and print what would\n"
               "                       be written\n"
               "  --json               print one JSON object instead of the report: the grid,\n"
               "                       the files, the settings as stored (milliseconds of\n"
               "                       arc, tenths of a metre), the name's bytes, the\n"
               "                       messages shown and the exit code\n"
               "  --quiet              print nothing but failures\n"
               "  -h, --help           show this help\n"
               "\n"
               "Options take their value as the next argument or after '=' (--name=NAME).\n"
               "Messages go to standard error; on a terminal a progress line shows the tiles\n"
               "being written.\n"
               "\n"
               "Example:\n") +
           std::string(kExample) + "\n" + std::string(kExitCodes);
}

std::string probeHelp() {
    return "Usage: tessella probe BITMAP [--json] [--quiet]\n"
           "\n"
           "Checks BITMAP without writing anything, prints the verdict, the tile grid of\n"
           "an accepted bitmap, and what its headers say, accepted or not:\n"
           "\n"
           "  $ tessella probe tokyo.bmp\n"
           "  verdict: accepted\n"
           "  width: 800\n"
           "  height: 640\n"
           "  columns: 5\n"
           "  rows: 4\n"
           "  tiles: 20\n"
           "  pixel data: complete\n"
           "  bits per pixel: 24\n"
           "  compression: none\n"
           "  header size: 40 bytes\n"
           "  rows stored: bottom-up\n"
           "  file size: 1536054 bytes\n"
           "  size needed: 1536054 bytes\n"
           "\n"
           "The probe reads the bitmap's headers, as the dialog does when a bitmap is\n"
           "picked, and checks that the file holds every pixel the headers promise, as\n"
           "convert does: it exits with 3 whenever convert would refuse the bitmap. For a\n"
           "refused bitmap it prints \"verdict: refused\", what it could read, the reason on\n"
           "standard error, and what would make the bitmap one Tessella converts: the\n"
           "nearest accepted sizes, or the ImageMagick command that writes a 24-bit\n"
           "uncompressed bottom-up bitmap.\n"
           "\n"
           "  --json               print one JSON object instead: what was found, the\n"
           "                       verdict, the grid, the hints, the messages shown and\n"
           "                       the exit code\n"
           "  --quiet              print nothing but failures\n"
           "  -h, --help           show this help\n"
           "\n"
           "Exit codes as for 'tessella --help'; a failure to write standard output\n"
           "exits with 1.\n";
}

}  // namespace

std::string helpText(std::string_view topic) {
    if (topic == "convert") return convertHelp();
    if (topic == "probe") return probeHelp();
    if (std::string help = inspectionHelp(topic); !help.empty()) return help;
    if (topic == "import") return importHelpText();
    return overview();
}

std::string versionText() { return "tessella " TESSELLA_VERSION "\n"; }

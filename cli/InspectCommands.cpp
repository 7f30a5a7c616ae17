#include "InspectCommands.h"

#include <algorithm>
#include <filesystem>

#include "CommandOutput.h"
#include "BitmapChoice.h"
#include "BitmapFacts.h"
#include "BitmapSource.h"
#include "Encoding.h"
#include "ColorQuantizer.h"
#include "ExitCodes.h"
#include "GridRule.h"
#include "HelpText.h"
#include "MapFiles.h"
#include "JsonWriter.h"
#include "MapPreview.h"
#include "MapRecords.h"
#include "MapVerifier.h"
#include "PicturePreview.h"
#include "ProbeCommand.h"
#include "ImportCommand.h"
#include "IndexFormat.h"
#include "Platform.h"
#include "Quoted.h"
#include "StopSignals.h"
#include "TerminalFeedback.h"
#include "TileFormat.h"
#include "PlacementFiles.h"

namespace fs = std::filesystem;

fs::path pathFromUtf8(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

namespace {


// What a file to inspect is taken for: by its extension, after a ".part" an interrupted
// run left.
enum class FileKind { Index, Tile, Other };

FileKind fileKindOf(const std::string& path) {
    std::string name = path;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto endsWith = [&](std::string_view suffix) {
        return name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    if (endsWith(".part")) name.resize(name.size() - 5);
    if (endsWith(".vlm")) return FileKind::Index;
    if (endsWith(".map")) return FileKind::Tile;
    return FileKind::Other;
}

OptionTable::Check readScale(int32_t& scale) {
    return [&scale](const std::string& value, std::vector<std::string>&) {
        bool digits = !value.empty() && value.size() <= 3 &&
                      std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        int32_t number = digits ? std::stoi(value) : 0;
        if (number < 1 || number > kMaxPreviewScale)
            return ::quoted(value) + " is not a whole number from 1 to " + std::to_string(kMaxPreviewScale);
        scale = number;
        return std::string();
    };
}

// ---- inspect -------------------------------------------------------------------------

// A name from the files, which store Shift-JIS, as UTF-8.
std::string shown(const std::string& cp932) { return cp932ToUtf8(cp932); }

// In the text reports every text from a file, and every file name, goes through these,
// so that no file can make a line of its own there (JSON escapes its strings itself).
std::string storedText(const std::string& cp932) { return escapedText(cp932, TextEncoding::Cp932); }
std::string nameText(const std::string& utf8) { return escapedText(utf8, TextEncoding::Utf8); }

std::string slotText(const std::string& slot) { return slot.empty() ? "(empty)" : storedText(slot); }

void angleJson(JsonWriter& json, std::string_view key, uint32_t milliseconds) {
    json.key(key).beginObject();
    json.field("milliseconds", milliseconds);
    json.field("dms", degreesMinutesSeconds(milliseconds));
    json.key("degrees").decimal(decimalDegrees(milliseconds));
    json.endObject();
}

void distanceJson(JsonWriter& json, std::string_view key, uint32_t tenths) {
    json.key(key).beginObject();
    json.field("tenthsOfMetre", tenths);
    json.key("metres").decimal(metres(tenths));
    json.endObject();
}

std::string angleText(uint32_t latitude, uint32_t longitude) {
    return degreesMinutesSeconds(latitude) + "," + degreesMinutesSeconds(longitude) + " (" +
           decimalDegrees(latitude) + ", " + decimalDegrees(longitude) + ")";
}

void violationsJson(JsonWriter& json, const std::vector<FormatViolation>& violations) {
    json.key("violations").beginArray();
    for (const FormatViolation& v : violations) json.beginObject().field("field", v.field).field("problem", v.text).endObject();
    json.endArray();
}

std::string violationsText(const std::vector<FormatViolation>& violations) {
    if (violations.empty()) return "format: as the format allows\n";
    std::string text;
    for (const FormatViolation& v : violations) text += "not allowed: " + v.field + ": " + v.text + "\n";
    return text;
}

void printIndex(const std::string& file, size_t size, const IndexFields& f,
                const std::vector<FormatViolation>& violations, bool asJson) {
    if (asJson) {
        JsonWriter json;
        json.beginObject().field("file", file).field("kind", "index").field("size", size);
        json.field("mapName", shown(f.mapName)).field("folderName", f.folderName);
        json.field("tilePrefix", f.tilePrefix).field("textFileName", f.textFileName);
        json.field("tileCount", f.tileCount).field("tileColumns", f.tileColumns).field("tileRows", f.tileRows);
        json.key("constants").beginArray();
        for (uint16_t c : f.constants) json.number(c);
        json.endArray();
        distanceJson(json, "eastWest", f.eastWestDistance);
        distanceJson(json, "northSouth", f.northSouthDistance);
        json.key("tileSide").beginArray().number(f.tileWidth).number(f.tileHeight).endArray();
        json.key("topLeft").beginObject();
        angleJson(json, "latitude", f.topLeftLatitude);
        angleJson(json, "longitude", f.topLeftLongitude);
        json.endObject().key("bottomRight").beginObject();
        angleJson(json, "latitude", f.bottomRightLatitude);
        angleJson(json, "longitude", f.bottomRightLongitude);
        json.endObject();
        violationsJson(json, violations);
        json.endObject();
        writeStandardOutput(json.text());
        return;
    }
    std::string c = std::to_string(f.constants[0]) + " " + std::to_string(f.constants[1]) + " " +
                     std::to_string(f.constants[2]) + " " + std::to_string(f.constants[3]);
    writeStandardOutput(
        "file: " + nameText(file) + " (index, " + std::to_string(size) + " bytes)\n" +
        "map name: " + storedText(f.mapName) + "\n" +
        "folder name: " + storedText(f.folderName) + "\n" +
        "tile prefix: " + storedText(f.tilePrefix) + "\n" +
        "text file name: " + storedText(f.textFileName) + "\n" +
        "tiles: " + std::to_string(f.tileCount) + " (" + std::to_string(f.tileColumns) + " columns, " +
        std::to_string(f.tileRows) + " rows)\n" +
        "constants: " + c + "\n" +
        "east-west: " + metres(f.eastWestDistance) + " m\n" +
        "north-south: " + metres(f.northSouthDistance) + " m\n" +
        "tile side: " + std::to_string(f.tileWidth) + " x " + std::to_string(f.tileHeight) + "\n" +
        "top-left: " + angleText(f.topLeftLatitude, f.topLeftLongitude) + "\n" +
        "bottom-right: " + angleText(f.bottomRightLatitude, f.bottomRightLongitude) + "\n" +
        violationsText(violations));
}

void printTile(const std::string& file, size_t size, const TileFields& f,
               const std::vector<FormatViolation>& violations, bool asJson) {
    static const char* kSlotNames[8] = {"own column", "own row", "column to the east", "column to the west",
                                        "row to the south", "row to the north", "unused", "unused"};
    if (asJson) {
        JsonWriter json;
        json.beginObject().field("file", file).field("kind", "tile").field("size", size);
        json.field("magic", f.magic).field("mapName", shown(f.mapName));
        json.field("column", f.column).field("row", f.row);
        json.field("neighbourSlots", std::vector<std::string>(f.slots.begin(), f.slots.end()));
        json.key("constants").beginArray();
        for (uint8_t c : f.constants) json.number(c);
        json.endArray();
        distanceJson(json, "eastWest", f.eastWestDistance);
        distanceJson(json, "northSouth", f.northSouthDistance);
        json.key("tileSide").beginArray().number(f.tileWidth).number(f.tileHeight).endArray();
        json.key("mapTopLeft").beginObject();
        angleJson(json, "latitude", f.mapTopLatitude);
        angleJson(json, "longitude", f.mapLeftLongitude);
        json.endObject().key("tileTopLeft").beginObject();
        angleJson(json, "latitude", f.tileTopLatitude);
        angleJson(json, "longitude", f.tileLeftLongitude);
        json.endObject();
        json.field("pixelCount", f.pixelCount).field("pixelsStored", f.pixelsStored);
        json.key("histogram").beginArray();
        for (int i = 0; i < 256; ++i)
            if (f.histogram[i] > 0) json.beginObject().field("index", i).field("pixels", f.histogram[i]).endObject();
        json.endArray();
        violationsJson(json, violations);
        json.endObject();
        writeStandardOutput(json.text());
        return;
    }
    std::string text = "file: " + nameText(file) + " (tile, " + std::to_string(size) + " bytes)\n" +
                       "magic: " + storedText(f.magic) + "\n" + "map name: " + storedText(f.mapName) + "\n" +
                       "column: " + std::to_string(f.column) + "\nrow: " + std::to_string(f.row) + "\n";
    for (int s = 0; s < 8; ++s)
        text += "slot " + std::to_string(s) + " (" + kSlotNames[s] + "): " + slotText(f.slots[s]) + "\n";
    text += "east-west: " + metres(f.eastWestDistance) + " m\n" +
            "north-south: " + metres(f.northSouthDistance) + " m\n" +
            "tile side: " + std::to_string(f.tileWidth) + " x " + std::to_string(f.tileHeight) + "\n" +
            "map top-left: " + angleText(f.mapTopLatitude, f.mapLeftLongitude) + "\n" +
            "tile top-left: " + angleText(f.tileTopLatitude, f.tileLeftLongitude) + "\n" +
            "pixel count: " + std::to_string(f.pixelCount) + " (" + std::to_string(f.pixelsStored) + " stored)\n" +
            "histogram (index: pixels):\n";
    for (int i = 0; i < 256; ++i)
        if (f.histogram[i] > 0) text += "  " + std::to_string(i) + ": " + std::to_string(f.histogram[i]) + "\n";
    writeStandardOutput(text + violationsText(violations));
}

// ---- verify --------------------------------------------------------------------------

std::string counted(int64_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void findingsJson(JsonWriter& json, std::string_view key, const FindingList& list) {
    json.key(key).beginObject().field("count", list.count).key("listed").beginArray();
    for (const Finding& f : list.listed)
        json.beginObject().field("kind", findingKindName(f.kind)).field("file", f.file).field("problem", f.text).endObject();
    json.endArray().endObject();
}

std::string findingsText(const char* label, const FindingList& list) {
    std::string text;
    for (const Finding& f : list.listed) text += std::string(label) + ": " + nameText(f.file) + ": " + f.text + "\n";
    if (list.count > static_cast<int64_t>(list.listed.size()))
        text += std::string(label) + ": ... and " + std::to_string(list.count - static_cast<int64_t>(list.listed.size())) +
                " more (" + std::to_string(list.count) + " in all)\n";
    return text;
}

}  // namespace

int runInspect(const InspectionArguments& args) {
    FileKind kind = fileKindOf(args.file);
    if (kind == FileKind::Other) {
        printError(::quoted(nameText(args.file)) + " is neither an index file (.vlm) nor a tile file (.map)");
        return kExitUsage;
    }
    size_t capacity = kind == FileKind::Index ? kIndexRecordSize + 1 : kTileFileSize + 1;
    std::vector<uint8_t> bytes(capacity);
    ReadResult read = readFileStart(pathFromUtf8(args.file), bytes.data(), bytes.size());
    if (read.status != ReadStatus::Read) {
        printError("cannot read " + ::quoted(nameText(args.file)) + ": " +
                   (read.status == ReadStatus::Missing ? "no such file" : read.reason));
        return kExitMapUnsound;
    }
    // A file longer than its kind is told by its true size.
    size_t size = read.size;
    if (size == capacity) {
        std::error_code error;
        uintmax_t full = fs::file_size(pathFromUtf8(args.file), error);
        if (!error) size = static_cast<size_t>(full);
    }
    std::vector<FormatViolation> violations;
    if (kind == FileKind::Index) {
        IndexFields fields;
        if (!decodeIndex(bytes.data(), size, fields, violations)) {
            printError(::quoted(nameText(args.file)) + " holds " + std::to_string(size) + " bytes; an index file is " +
                       std::to_string(kIndexRecordSize));
            return kExitMapUnsound;
        }
        printIndex(args.file, size, fields, violations, args.json);
    } else {
        TileFields fields;
        if (!decodeTile(bytes.data(), std::min(size, bytes.size()), fields, violations)) {
            printError(::quoted(nameText(args.file)) + " holds " + std::to_string(size) + " bytes, less than a tile's header");
            return kExitMapUnsound;
        }
        if (size > static_cast<size_t>(kTileFileSize) && !violations.empty() && violations[0].field == "size")
            violations[0].text = std::to_string(size) + " bytes; a tile file is " + std::to_string(kTileFileSize);
        printTile(args.file, size, fields, violations, args.json);
    }
    return violations.empty() ? kExitSuccess : kExitMapUnsound;
}

int runVerify(const InspectionArguments& args) {
    if (fileKindOf(args.file) != FileKind::Index) {
        printError(::quoted(nameText(args.file)) + " is not an index file (.vlm)");
        return kExitUsage;
    }
    VerifyReport report = verifyMap(pathFromUtf8(args.file));
    if (report.indexDecoded && gridFits(report.index.tileColumns, report.index.tileRows)) {
        std::string slots = neighbourSlotWarning(report.index.tileColumns, report.index.tileRows);
        if (!slots.empty()) printWarning(slots);
    }
    if (args.json) {
        JsonWriter json;
        json.beginObject().field("index", args.file).field("sound", report.sound());
        json.field("tilesChecked", report.tilesChecked);
        findingsJson(json, "problems", report.problems);
        findingsJson(json, "warnings", report.warnings);
        writeStandardOutput(json.endObject().text());
    } else {
        std::string text = findingsText("problem", report.problems) + findingsText("warning", report.warnings);
        text += report.sound() ? "verdict: sound" : "verdict: damaged";
        text += " (" + counted(report.tilesChecked, "tile") + " checked, " +
                counted(report.problems.count, "problem") + ", " + counted(report.warnings.count, "warning") + ")\n";
        writeStandardOutput(text);
    }
    return report.sound() ? kExitSuccess : kExitMapUnsound;
}

int previewFailed(const PreviewReport& report, int sourceExitCode, const StopSignals& signals) {
    if (report.outcome == PreviewOutcome::Interrupted) {
        // As convert says it: what was stopped, and what it left.
        writeStandardError("tessella: " + report.failure + "\n");
        return signals.exitCode();
    }
    printError(report.failure);
    return report.outcome == PreviewOutcome::SourceUnusable ? sourceExitCode : kExitOutputFailed;
}

std::string previewWritten(const std::string& png, int32_t width, int32_t height, bool placed) {
    std::string line = "Wrote " + png + " (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    if (placed) line += ", placed on WGS84 by " + worldFileName(png) + " and " + auxFileName(png);
    return line + "\n";
}

namespace {

// The bitmap as convert would take it: the same probe and checks, then its pixels through
// the same reader, strip by strip.
int previewBitmap(const InspectionArguments& args, const StopSignals& signals) {
    TerminalFeedback feedback(writeStandardError, false);
    ConversionJob job;
    std::string path, reason;
    if (!conversionBitmapPath(args.file, path, reason)) path = args.file;
    if (chooseBitmap(path.c_str(), job, feedback) != BitmapChoice::Accepted) {
        if (!takenForBitmap(path, platformFileReading()))
            writeStandardError(std::string("tessella: hint: ") + kOtherPicturesHint + "\n");
        return kExitBitmapRefused;
    }
    BitmapSource source(platformFileReading());
    BitmapData data = source.open(job);
    if (data != BitmapData::Complete) {
        printError(::quoted(nameText(args.file)) + (data == BitmapData::Short ? " holds fewer bytes than its header says"
                                                                    : " cannot be read any more"));
        return kExitBitmapRefused;
    }
    if (!source.allocate()) {
        printError("not enough memory to read the bitmap");
        return kExitInternalError;
    }
    PreviewReport report = previewPicture(source, {source.identity()}, {job.tileColumns, job.tileRows},
                                          pathFromUtf8(args.output), args.scale, args.compare, signals.flag(),
                                          args.dither);
    if (report.outcome == PreviewOutcome::Written) {
        writeStandardOutput(
            previewWritten(args.output, args.compare ? 2 * report.width : report.width, report.height, false));
        return kExitSuccess;
    }
    if (report.outcome == PreviewOutcome::SourceUnusable)
        report.failure = ::quoted(nameText(args.file)) + ": " + report.failure;
    return previewFailed(report, kExitBitmapRefused, signals);
}

}  // namespace

int runPreview(const InspectionArguments& args) {
    // A name Windows keeps for a device is no file to write.
    if (std::string reserved = reservedNameReason(args.output); !reserved.empty()) {
        printError("cannot create " + ::quoted(args.output) + ": " + reserved);
        return kExitOutputFailed;
    }
    // From the start: a stop at any moment removes what the preview made, and says so.
    StopSignals signals;
    if (fileKindOf(args.file) != FileKind::Index) {
        // Any other picture, or import's options, are read as import reads them.
        if (args.picture.given() || !pictureNeedsGdal(args.file).empty()) return previewThroughGdal(args, signals);
        return previewBitmap(args, signals);
    }
    if (args.picture.given()) {
        printError("the picture options (--fit, --window, ...) are for a picture; a map's index has its own grid");
        return kExitUsage;
    }
    if (args.compare) {
        printError("--compare shows a picture beside its stored colours; a map has only the stored ones");
        return kExitUsage;
    }
    if (args.dither) {
        printError("--dither shows how a picture would be stored; a map's colours are stored already");
        return kExitUsage;
    }
    PreviewReport report = previewMap(pathFromUtf8(args.file), pathFromUtf8(args.output), args.scale, signals.flag());
    for (const Finding& gap : report.gaps.listed) printWarning(gap.file + ": " + gap.text);
    if (report.gaps.count > static_cast<int64_t>(report.gaps.listed.size()))
        printWarning("... and " + std::to_string(report.gaps.count - static_cast<int64_t>(report.gaps.listed.size())) +
                     " more tiles drawn transparent");
    if (report.pixelsAbove230 > 0)
        printWarning(std::to_string(report.pixelsAbove230) + " pixels hold an index above 230; drawn transparent");
    if (report.outcome == PreviewOutcome::Written) {
        writeStandardOutput(previewWritten(args.output, report.width, report.height, true));
        return report.gaps.count > 0 || report.pixelsAbove230 > 0 ? kExitMapUnsound : kExitSuccess;
    }
    return previewFailed(report, kExitMapUnsound, signals);
}

void inspectOptions(OptionTable& table, InspectionArguments& a) {
    table.description(
        "Shows every field of an index file (FOLDER.vlm) or a tile file\n"
        "(smplCCCRRR.map), decoded and named: for the index the map name, folder\n"
        "name, tile grid, extents in metres and corners in D:M:S and decimal\n"
        "degrees; for a tile its column and row, neighbour slots, the map's and the\n"
        "tile's corners, the distances and how many pixels hold each palette index.\n"
        "Whatever the format does not allow (a wrong magic, an index above " +
        std::to_string(ColorQuantizer::kHighestIndex) + ", a\nsize other than " + std::to_string(kIndexRecordSize) +
        " or " + std::to_string(kTileFileSize) + " bytes) is named on a line \"not allowed: ...\".\n");
    table.positional("MAPFILE", "an index file .vlm or a tile file .map", a.file)
        .help("an index file FOLDER.vlm or a tile file smplCCCRRR.map (also one left as .part)");
    table.flag("--json", a.json).help("one JSON document instead of text");
    table.footer("Exits with 0 when the file is as the format allows, 6 when it is missing,\n"
                 "unreadable or not allowed. Exit codes as for 'tessella --help'.\n");
}

void verifyOptions(OptionTable& table, InspectionArguments& a) {
    table.description(
        "Checks the whole map against its index: every tile of the grid present and\n" +
        std::to_string(kTileFileSize) +
        " bytes long, each header what the conversion writes for this index\n"
        "(name, extents, the map's corner, the tile's corner and neighbour slots), no\n"
        "palette index above " +
        std::to_string(ColorQuantizer::kHighestIndex) +
        ". Prints one line per problem (the first 20, then a\n"
        "count) and a verdict line. Tiles outside the grid, which an earlier, larger\n"
        "conversion leaves, and \".part\" files left by an interrupted run are\n"
        "warnings: named and counted, the map is still sound.\n");
    table.positional("INDEX", "the map's index file, FOLDER.vlm", a.file)
        .help("the map's index file, FOLDER.vlm; the tiles are looked for in the folder its folder name field "
              "names, beside it");
    table.flag("--json", a.json).help("one JSON document instead of text");
    table.footer("Exits with 0 when the map is sound, 6 when it is not. Exit codes as for\n"
                 "'tessella --help'.\n");
}

void previewOptions(OptionTable& table, InspectionArguments& a) {
    table.description(
        "With a map's index file, puts the map's tiles back together into one 8-bit\n"
        "palette PNG, each palette index drawn as the colour it stands for. A missing\n"
        "or cut tile and an index above " +
        std::to_string(ColorQuantizer::kHighestIndex) +
        " are drawn transparent, with a warning,\n"
        "and the exit code is 6.\n"
        "\n"
        "With a bitmap, shows the picture as the tile files would store it, without\n"
        "writing a map: every pixel through the conversion's colour reduction, drawn\n"
        "in the colour of the index it becomes. The bitmap is checked as convert\n"
        "checks it.\n"
        "\n"
        "In the Linux build, any other picture GDAL reads, or any picture given with\n"
        "import's options below, is read as 'tessella import' reads it and shown as\n"
        "the map import would make: fitted to the tiles, in the stored colours.\n"
        "\n"
        "The preview of a map, and of a picture import places, is placed on the ground\n"
        "too: beside x.png a world file x.pgw and x.png.aux.xml naming WGS84\n"
        "latitude/longitude, so that QGIS and GDAL lay it over the source.\n");
    table.positional("FILE", "a map's index file FOLDER.vlm, or a bitmap", a.file)
        .help("a map's index file FOLDER.vlm, or a bitmap as convert takes it; in the Linux build any picture "
              "GDAL reads, as import reads it")
        .needsGdalWhen([](const std::string& file) {
            return fileKindOf(file) == FileKind::Index ? std::string() : pictureNeedsGdal(file);
        });
    table.value("-o", a.output).valueName("PNG").required().check(refuseEmpty("the file name is empty"))
        .help("the picture to write (replaced if it exists)");
    table.value("--scale", a.scaleText).valueName("N").check(readScale(a.scale))
        .help("shrink by N (1 to " + std::to_string(kMaxPreviewScale) +
              "), keeping the top-left pixel of each N x N block");
    table.flag("--compare", a.compare)
        .help("(a picture) the original colours on the left, the stored ones on the right, in one 24-bit PNG");
    table.flag("--dither", a.dither).help("(a picture) as convert --dither stores it: " + ditherHelp());
    pictureOptions(table, a.picture);
    table.footer("Exit codes as for 'tessella --help'.\n");
}

Command inspectCommand() {
    return {"inspect", "show every field of an index or tile file", false,
            [](OptionTable& table) { return runWith<InspectionArguments>(table, inspectOptions, runInspect); }};
}

Command verifyCommand() {
    return {"verify", "check a whole map against its index", false,
            [](OptionTable& table) { return runWith<InspectionArguments>(table, verifyOptions, runVerify); }};
}

Command previewCommand() {
    return {"preview", "draw a map, or a bitmap as a map would store it, as a PNG picture", false,
            [](OptionTable& table) { return runWith<InspectionArguments>(table, previewOptions, runPreview); }};
}

#include "ProbeCommand.h"

#include "BitmapChoice.h"
#include "BitmapFacts.h"
#include "BitmapSource.h"
#include "ExitCodes.h"
#include "ImportCommand.h"
#include "FileServices.h"
#include "JsonWriter.h"
#include "Platform.h"
#include "Quoted.h"

namespace {

// What the probe found out, for the report.
struct Probe {
    std::string path;                // as the conversion takes it; "" when it could not be made
    BitmapFacts facts;
    bool headersAccepted = false;    // the conversion's probe took the headers, and the file opens again
    BitmapData data = BitmapData::Unreadable;
    ConversionJob job;

    bool accepted() const { return headersAccepted && data == BitmapData::Complete; }
};

std::string tileTotal(const ConversionJob& job) {
    return std::to_string(static_cast<int64_t>(job.tileColumns) * job.tileRows);
}

// The lines the probe always printed come first, in their order; what it read follows.
std::string reportLines(const Probe& probe) {
    std::string lines = probe.accepted() ? "verdict: accepted\n" : "verdict: refused\n";
    const BitmapFacts& f = probe.facts;
    if (probe.headersAccepted) {
        const ConversionJob& job = probe.job;
        lines += "width: " + std::to_string(job.bitmapWidth) + "\nheight: " + std::to_string(job.bitmapHeight) +
                 "\ncolumns: " + std::to_string(job.tileColumns) + "\nrows: " + std::to_string(job.tileRows) +
                 "\ntiles: " + tileTotal(job) + "\n";
        // The probe reads the headers only; whether the pixels are all there decides
        // whether convert will take the bitmap.
        lines += probe.data == BitmapData::Complete ? "pixel data: complete\n"
                 : probe.data == BitmapData::Short
                     ? "pixel data: short of what the header says (convert refuses it)\n"
                     : "pixel data: unreadable (convert refuses it)\n";
    } else if (f.isBitmap()) {
        lines += "width: " + std::to_string(f.headers.width) + "\nheight: " + std::to_string(f.headers.rows()) + "\n";
    }
    return lines + factLines(f);
}

std::string reportJson(const Probe& probe, const std::string& typed, const std::vector<std::string>& hints,
                       const std::vector<std::string>& messages, int exitCode) {
    JsonWriter json;
    json.beginObject().field("command", "probe").field("source", typed);
    json.field("verdict", probe.accepted() ? "accepted" : "refused");
    json.key("found").beginObject();
    writeFactsJson(json, probe.facts);
    if (probe.headersAccepted)
        json.field("pixelData", probe.data == BitmapData::Complete ? "complete"
                                 : probe.data == BitmapData::Short  ? "short"
                                                                    : "unreadable");
    json.endObject();
    json.key("grid");
    if (probe.headersAccepted) {
        json.beginObject()
            .field("width", probe.job.bitmapWidth)
            .field("height", probe.job.bitmapHeight)
            .field("columns", probe.job.tileColumns)
            .field("rows", probe.job.tileRows)
            .field("tiles", static_cast<int64_t>(probe.job.tileColumns) * probe.job.tileRows)
            .endObject();
    } else {
        json.null();
    }
    json.field("hints", hints).field("messages", messages).field("exitCode", exitCode).endObject();
    return json.text();
}

}  // namespace

void explainRefusedBitmap(const std::string& utf8Path, CommandOutput& out) {
    std::string path, reason;
    if (!conversionBitmapPath(utf8Path, path, reason)) return;
    BitmapFacts facts = readBitmapFacts(path.c_str(), platformFileReading());
    if (!facts.opened) return;
    out.note("read: " + factSummary(facts));
    for (const std::string& hint : bitmapHints(facts, utf8Path)) out.hint(hint);
}

int runProbe(const ProbeArguments& args) {
    // Any other picture, or import's options, are read as import reads them.
    if (args.picture.given() || !pictureNeedsGdal(args.bitmap).empty()) return probeThroughGdal(args);
    CommandOutput out(args.quiet);
    TerminalFeedback feedback = out.makeFeedback(false);
    Probe probe;
    std::string reason;
    // Where the system finds nothing, the probe says so in its own words.
    if (!conversionBitmapPath(args.bitmap, probe.path, reason)) probe.path = args.bitmap;
    {
        // The conversion's own check refuses a path too long for the job; say why.
        BitmapChoice choice = chooseBitmap(probe.path.c_str(), probe.job, feedback);
        if (probe.path.size() >= sizeof probe.job.bitmapPath)
            out.error("the bitmap's full path is longer than " + std::to_string(sizeof probe.job.bitmapPath - 1) +
                      " bytes: " + quoted(displayPath(probe.path)));
        probe.headersAccepted = choice == BitmapChoice::Accepted;
        probe.facts = readBitmapFacts(probe.path.c_str(), platformFileReading());
        if (probe.headersAccepted) probe.data = checkBitmapData(probe.job, platformFileReading());
    }
    if (probe.headersAccepted && probe.data == BitmapData::Short) {
        out.error("the file is " + std::to_string(probe.facts.fileSize) + " bytes, short of the " +
                  std::to_string(probe.facts.sizeNeeded) + " its headers need; convert refuses it");
    } else if (probe.headersAccepted && probe.data == BitmapData::Unreadable) {
        out.error("the bitmap could not be read again; convert refuses it");
    }
    std::vector<std::string> hints;
    if (!probe.headersAccepted) hints = bitmapHints(probe.facts, args.bitmap);
    if (!takenForBitmap(args.bitmap, platformFileReading())) hints.push_back(kOtherPicturesHint);
    for (const std::string& hint : hints) out.hint(hint);

    int exitCode = probe.accepted() ? kExitSuccess : kExitBitmapRefused;
    if (args.json) out.report(reportJson(probe, args.bitmap, hints, out.messages(), exitCode));
    else if (!args.quiet) out.report(reportLines(probe));
    return out.finish(exitCode);
}

void probeOptions(OptionTable& table, ProbeArguments& probe) {
    table.description(
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
        "In the Linux build, any other picture GDAL reads (GeoTIFF, PNG, JPEG...), or\n"
        "any picture given with import's options below, is read as 'tessella import'\n"
        "reads it: the probe prints what import would do (the picture's size, the map's\n"
        "size and fit, its corners and extents, the same settings for convert), or\n"
        "refuses it as import does, with the same exit code.\n");
    table.positional("BITMAP", "the bitmap file to read", probe.bitmap)
        .help("the bitmap; in the Linux build any picture GDAL reads, as import reads it")
        .needsGdalWhen(pictureNeedsGdal);
    pictureOptions(table, probe.picture);
    table.flag("--json", probe.json)
        .help("print one JSON object instead: what was found, the verdict, the grid, the hints, the messages "
              "shown and the exit code");
    table.flag("--quiet", probe.quiet).help("print nothing but failures");
    table.footer("Exit codes as for 'tessella --help'; a failure to write standard output\n"
                 "exits with 1.\n");
}

Command probeCommand() {
    return {"probe", "check whether a bitmap can be converted and show its tile grid", false,
            [](OptionTable& table) { return runWith<ProbeArguments>(table, probeOptions, runProbe); }};
}

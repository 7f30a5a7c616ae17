#include "ImportCommand.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "BmpOutput.h"
#include "Conversion.h"
#include "Encoding.h"
#include "ExitCodes.h"
#include "GeoSource.h"
#include "MapConversion.h"
#include "MapExtents.h"
#include "Platform.h"
#include "ProgressLine.h"
#include "Quoted.h"
#include "OutputPaths.h"
#include "ImportReport.h"
#include "StopSignals.h"
#include "TerminalFeedback.h"

namespace {

void printError(const std::string& text) { writeStandardError("tessella: error: " + text + "\n"); }
void printWarning(const std::string& text) { writeStandardError("tessella: warning: " + text + "\n"); }

struct ImportArguments {
    std::string source;
    std::string name;  // UTF-8 as typed
    std::string folder;
    std::string srs;
    std::string topLeftText, bottomRightText;
    CornerArgument topLeft, bottomRight;
    FitMode fit = FitMode::Pad;
    Resampling resampling = Resampling::Nearest;
    std::string fitText, resampleText;
    std::string bmp;
    std::string outputDir;
    std::string eastWest = "auto", northSouth = "auto";
    bool overwrite = false, json = false, dryRun = false, quiet = false;
};

OptionTable::Check readCornerInto(CornerArgument& corner) {
    return [&corner](const std::string& value, std::vector<std::string>& warnings) {
        std::string error;
        std::optional<CornerArgument> read = parseCorner(value, error, warnings);
        if (read) corner = *read;
        return error;
    };
}

OptionTable::Check readAutoOrDistance() {
    return [](const std::string& value, std::vector<std::string>&) {
        std::string error;
        if (!isAutoDistance(value)) checkDistance(value, error);
        return error;
    };
}

template <typename Choice>
OptionTable::Check readChoice(Choice& target, std::vector<std::pair<const char*, Choice>> choices) {
    return [&target, choices](const std::string& value, std::vector<std::string>&) {
        std::string names;
        for (const auto& [name, choice] : choices) {
            if (value == name) {
                target = choice;
                return std::string();
            }
            names += names.empty() ? name : std::string(", ") + name;
        }
        return ::quoted(value) + " is not one of " + names;
    };
}

OptionTable::Check notEmpty() {
    return [](const std::string& value, std::vector<std::string>&) {
        return value.empty() ? std::string("the value is empty") : std::string();
    };
}

// Reads the arguments; returns -1 to go on, or the exit code.
int readImportArguments(const std::vector<std::string>& args, ImportArguments& a) {
    OptionTable table;
    table.positional("SOURCE", "the map picture to read", a.source);
    table.value("--name", a.name);
    table.value("--folder", a.folder);
    table.value("--srs", a.srs).check(notEmpty());
    table.value("--top-left", a.topLeftText).check(readCornerInto(a.topLeft));
    table.value("--bottom-right", a.bottomRightText).check(readCornerInto(a.bottomRight));
    table.value("--fit", a.fitText).check(readChoice<FitMode>(
        a.fit, {{"pad", FitMode::Pad}, {"crop", FitMode::Crop}, {"scale", FitMode::Scale}}));
    table.value("--resample", a.resampleText).check(readChoice<Resampling>(
        a.resampling,
        {{"nearest", Resampling::Nearest}, {"bilinear", Resampling::Bilinear}, {"cubic", Resampling::Cubic}}));
    table.value("--east-west", a.eastWest).check(readAutoOrDistance());
    table.value("--north-south", a.northSouth).check(readAutoOrDistance());
    table.value("--bmp", a.bmp).check(notEmpty());
    table.value("--output-dir", a.outputDir).check(notEmpty());
    table.flag("--overwrite", a.overwrite);
    table.flag("--dry-run", a.dryRun);
    table.flag("--json", a.json);
    table.flag("--quiet", a.quiet);
    OptionTable::Reading reading = table.read(args, 1);
    if (reading.outcome == OptionTable::Outcome::HelpAsked) {
        writeStandardOutput(importHelpText());
        return kExitSuccess;
    }
    std::string error = reading.error;
    if (error.empty() && a.bmp.empty() && (a.name.empty() || a.folder.empty()))
        error = std::string(a.name.empty() ? "--name" : "--folder") + " is required (unless --bmp is given)";
    if (error.empty() && a.topLeftText.empty() != a.bottomRightText.empty())
        error = "--top-left and --bottom-right go together";
    if (error.empty() && !a.bmp.empty() && !a.outputDir.empty())
        error = "--output-dir is for the map; --bmp names its own file";
    if (error.empty() && !a.bmp.empty() && (a.overwrite || a.json))
        error = std::string(a.overwrite ? "--overwrite" : "--json") +
                " is for the map; --bmp never replaces a file and reports in words";
    if (!error.empty()) {
        printError(error);
        writeStandardError("Run 'tessella import --help' for usage.\n");
        return kExitUsage;
    }
    for (const std::string& warning : reading.warnings) printWarning(warning);
    return -1;
}

GeoPoint pointOf(const CornerArgument& corner) {
    return {angleFromText(corner.latitude, kLatitudeDegreesMaxLength) / 3600000.0,
            angleFromText(corner.longitude, kLongitudeDegreesMaxLength) / 3600000.0};
}

int importExitCode(ImportStatus status) {
    switch (status) {
        case ImportStatus::Ready: return kExitSuccess;
        case ImportStatus::SourceUnreadable:
        case ImportStatus::DecodedWhole:
        case ImportStatus::UnsupportedPixels:
        case ImportStatus::WarpFailed: return kExitBitmapRefused;
        case ImportStatus::NoGeoreferencing:
        case ImportStatus::NoCoordinateSystem:
        case ImportStatus::BadCoordinateSystem:
        case ImportStatus::FitRefused:
        case ImportStatus::CornersRefused:
        case ImportStatus::ExtentRefused: return kExitSettingsRefused;
    }
    return kExitInternalError;
}

int writePreparedBitmap(const ImportArguments& a, GeoSource& source, const StopSignals& signals) {
    const FittedGrid& f = source.plan().fitted;
    BmpWriteResult result;
    {
        ProgressLine progress(writeStandardError, standardErrorIsTerminal());
        result = writeBmp(
            a.bmp, source, f.width, f.height,
            [&progress](int32_t done, int32_t total) { progress.update(done, total); }, signals.flag());
    }
    switch (result.status) {
        case BmpWriteStatus::Written:
            writeStandardOutput("\nWrote " + a.bmp + ": " + std::to_string(f.width) + " x " +
                                std::to_string(f.height) + " pixels, 24-bit, for convert and the dialog\n");
            return kExitSuccess;
        case BmpWriteStatus::AlreadyExists:
            printError(::quoted(a.bmp) + " already exists; it is left as it is (remove it, or name another file)");
            return kExitOutputFailed;
        case BmpWriteStatus::TooLarge:
            printError("a bitmap of " + std::to_string(f.width) + " x " + std::to_string(f.height) +
                       " pixels passes the 4 GiB a bitmap file can hold; import the map directly instead");
            return kExitOutputFailed;
        case BmpWriteStatus::CreateFailed:
        case BmpWriteStatus::WriteFailed:
            printError("cannot write " + ::quoted(a.bmp) + ": " + systemErrorText(result.systemError) +
                       "; nothing was left behind");
            return kExitOutputFailed;
        case BmpWriteStatus::Interrupted:
            writeStandardError("tessella: interrupted: " + ::quoted(a.bmp) + " was not written; nothing was left behind\n");
            return signals.exitCode();
        case BmpWriteStatus::ReadFailed:
            printError("cannot read " + ::quoted(a.source) + ": " +
                       (source.readError().empty() ? std::string("it changed while it was read")
                                                   : source.readError()) +
                       "; nothing was written");
            return kExitBitmapRefused;
    }
    return kExitInternalError;
}

// Opens the picture and works out the plan; kExitSuccess, or the refusal's exit code once
// it was said (through out when given, else on standard error).
int openSource(const ImportArguments& a, std::unique_ptr<GeoSource>& source, CommandOutput* out = nullptr) {
    ImportRequest request;
    request.sourcePath = a.source;
    request.srs = a.srs;
    if (!a.topLeftText.empty()) {
        request.topLeft = pointOf(a.topLeft);
        request.bottomRight = pointOf(a.bottomRight);
    }
    request.fit = a.fit;
    request.resampling = a.resampling;
    std::string message;
    ImportStatus status = GeoSource::open(request, source, message);
    if (status == ImportStatus::Ready) return kExitSuccess;
    if (out != nullptr) out->error(message);
    else printError(message);
    return importExitCode(status);
}

// The plan with the extents the user typed in place of those worked out.
ImportPlan reportedPlan(const ImportArguments& a, const GeoSource& source) {
    ImportPlan plan = source.plan();
    if (!isAutoDistance(a.eastWest)) plan.extents.eastWestMetres = std::stoll(a.eastWest);
    if (!isAutoDistance(a.northSouth)) plan.extents.northSouthMetres = std::stoll(a.northSouth);
    return plan;
}

ReportNames reportNames(const ImportArguments& a) {
    ReportNames names;
    names.source = a.source;
    names.bitmap = a.bmp.empty() ? std::filesystem::path(a.source).replace_extension(".bmp").string() : a.bmp;
    names.mapName = a.name.empty() ? "NAME" : a.name;
    names.folder = a.folder.empty() ? "FOLDER" : a.folder;
    return names;
}

// The map, through the same run as convert's, from the picture's strips.
int writeImportedMap(const ImportArguments& a, MapConversion& map, GeoSource& source, const ImportPlan& plan) {
    ConversionJob& job = map.job();
    setJobGrid(job, plan.fitted.width, plan.fitted.height);
    job.bitmapAccepted = 1;
    SettingsValues values;
    values.mapName = map.storedName();
    values.folderName = a.folder;
    values.topLeftLatitude = plan.corners.topLeftLatitude;
    values.topLeftLongitude = plan.corners.topLeftLongitude;
    values.bottomRightLatitude = plan.corners.bottomRightLatitude;
    values.bottomRightLongitude = plan.corners.bottomRightLongitude;
    values.eastWestDistance = static_cast<uint32_t>(plan.extents.eastWestMetres) * 10u;
    values.northSouthDistance = static_cast<uint32_t>(plan.extents.northSouthMetres) * 10u;
    map.explainReadFailure([&source, &a] {
        return source.readError().empty() ? std::string() : "cannot read " + ::quoted(a.source) + ": " + source.readError();
    });
    return map.run(
        [&](CheckedConversion& checked) { return checkConversion(job, values, source, map.feedback(), checked); },
        conversionParentFolder(a.source));
}

}  // namespace

int runImportCommand(const std::vector<std::string>& args) {
    ImportArguments a;
    if (int code = readImportArguments(args, a); code >= 0) return code;
    if (!a.bmp.empty()) {
        // From the start: a stop at any moment leaves nothing half made, and says so.
        StopSignals signals;
        std::unique_ptr<GeoSource> source;
        if (int refused = openSource(a, source); refused != kExitSuccess) return refused;
        if (!a.quiet) writeStandardOutput(importReport(reportedPlan(a, *source), a.fit, reportNames(a)));
        if (a.dryRun) return kExitSuccess;
        return writePreparedBitmap(a, *source, signals);
    }

    MapRequest request{"import", a.source, a.name, a.folder, std::nullopt, a.overwrite, a.dryRun, a.json, a.quiet,
                       ProgressStyle::TimeLeft};  // a picture to decode takes longer than a bitmap
    if (!a.outputDir.empty()) request.outputDir = a.outputDir;
    MapConversion map(request, {});
    // The name is checked before anything is worked out or printed.
    if (int refused = map.acceptName(); refused != kExitSuccess) return refused;
    std::unique_ptr<GeoSource> source;
    if (int refused = openSource(a, source, &map.out()); refused != kExitSuccess)
        return map.finish(refused, "source refused");
    const ImportPlan plan = reportedPlan(a, *source);
    if (!a.quiet && !a.json) map.out().report(importReport(plan, a.fit, reportNames(a)) + "\n");
    return writeImportedMap(a, map, *source, plan);
}

bool resolveAutoExtents(ConvertArguments& args, std::string& error, std::string& note) {
    if (!isAutoDistance(args.eastWest) && !isAutoDistance(args.northSouth)) return true;
    MapCorners corners{angleFromText(args.topLeft.latitude, kLatitudeDegreesMaxLength),
                       angleFromText(args.topLeft.longitude, kLongitudeDegreesMaxLength),
                       angleFromText(args.bottomRight.latitude, kLatitudeDegreesMaxLength),
                       angleFromText(args.bottomRight.longitude, kLongitudeDegreesMaxLength)};
    const uint32_t quarter = 90u * 3600000, half = 180u * 3600000;
    if (!(corners.topLeftLatitude > corners.bottomRightLatitude) ||
        !(corners.topLeftLongitude < corners.bottomRightLongitude) || corners.topLeftLatitude > quarter ||
        corners.bottomRightLongitude > half) {
        error = "auto extents need a top-left corner north and west of the bottom-right one, within 90 degrees "
                "of latitude and 180 of longitude";
        return false;
    }
    MapExtents extents = extentsOf(corners);
    for (int64_t metres : {extents.eastWestMetres, extents.northSouthMetres}) {
        if (metres < 1 || metres > 9999999) {
            error = "the auto extent of " + std::to_string(metres) + " m is outside 1 to 9999999 m";
            return false;
        }
    }
    note = "extents worked out on WGS84:";
    if (isAutoDistance(args.eastWest)) {
        args.eastWest = std::to_string(extents.eastWestMetres);
        note += " --east-west " + args.eastWest;
    }
    if (isAutoDistance(args.northSouth)) {
        args.northSouth = std::to_string(extents.northSouthMetres);
        note += " --north-south " + args.northSouth;
    }
    return true;
}

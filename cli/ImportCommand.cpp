#include "ImportCommand.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "BmpOutput.h"
#include "Commands.h"
#include "Conversion.h"
#include "Encoding.h"
#include "ExitCodes.h"
#include "GeoSource.h"
#include "MapExtents.h"
#include "Platform.h"
#include "ProgressLine.h"
#include "Quoted.h"
#include "OutputPaths.h"
#include "SettingsReport.h"
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

// The conversion's messages on the terminal, with a progress line that tells the time left.
class ImportFeedback : public TerminalFeedback {
public:
    ImportFeedback() : TerminalFeedback(writeStandardError, false), progress_(writeStandardError, standardErrorIsTerminal()) {}
    void showMessage(const char* text, const char* caption, MessageIcon icon) override {
        progress_.finish();
        TerminalFeedback::showMessage(text, caption, icon);
    }
    void showProgress(int32_t tilesWritten, int32_t tileCount) override { progress_.update(tilesWritten, tileCount); }

private:
    ProgressLine progress_;
};

// One corner value as convert's argument holds it: exact to the millisecond, with the
// dialog's three texts for display.
AngleText angleText(uint32_t milliseconds) {
    AngleText text;
    text.degrees = std::to_string(milliseconds / 3600000);
    text.minutes = std::to_string(milliseconds / 60000 % 60);
    text.seconds = std::to_string(milliseconds / 1000 % 60);
    text.exactMilliseconds = milliseconds;
    return text;
}

// The folder the map goes to: --output-dir (made if missing, now that every check has
// passed), or the source's own folder, as convert writes beside its bitmap.
std::unique_ptr<OutputFolder> openImportOutput(const ImportArguments& a) {
    std::string folder = !a.outputDir.empty() ? a.outputDir : parentFolder(a.source);
    if (folder.empty()) folder = ".";
    std::string reason;
    if (!a.outputDir.empty() && !isFolder(folder) && !makeFolders(folder, reason)) {
        printError("cannot make the output folder " + ::quoted(folder) + ": " + reason);
        return nullptr;
    }
    std::string path;
    if (!conversionFolderPath(folder, path, reason)) {
        printError("cannot use the output folder " + ::quoted(folder) + ": " + reason);
        return nullptr;
    }
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(path.c_str(), error);
    if (!output) printError("cannot open the output folder " + ::quoted(folder) + ": " + systemErrorText(error));
    return output;
}

// The map, through the same check and write steps as convert, from the picture's strips.
int writeImportedMap(const ImportArguments& a, const std::string& cp932Name, const ImportPlan& plan,
                     GeoSource& source, const StopSignals& signals) {
    for (const std::string& warning : cutWarnings(cp932Name, a.folder)) printWarning(warning);
    ConversionJob job;
    job.bitmapWidth = plan.fitted.width;
    job.bitmapHeight = plan.fitted.height;
    job.tileColumns = plan.fitted.width / 160;
    job.tileRows = plan.fitted.height / 160;
    job.tileCount = job.tileColumns * job.tileRows;
    job.bitmapAccepted = 1;

    ConvertArguments settings;
    settings.name = a.name;
    settings.folder = a.folder;
    settings.topLeft = {angleText(plan.corners.topLeftLatitude), angleText(plan.corners.topLeftLongitude)};
    settings.bottomRight = {angleText(plan.corners.bottomRightLatitude),
                            angleText(plan.corners.bottomRightLongitude)};
    settings.eastWest = std::to_string(plan.extents.eastWestMetres);
    settings.northSouth = std::to_string(plan.extents.northSouthMetres);

    ImportFeedback feedback;
    CheckedConversion checked;
    ConversionOutcome outcome =
        checkConversion(job, settingsTextFor(settings, storedMapName(cp932Name)), source, feedback, checked);
    if (outcome == ConversionOutcome::OutOfMemory) printError("out of memory");
    if (outcome != ConversionOutcome::Converted) return exitCodeFor(outcome);
    std::unique_ptr<OutputFolder> output = openImportOutput(a);
    if (!output) return kExitOutputFailed;
    feedback.setOutputLocation(displayPath(output->location()));

    WriteOptions options;
    options.stopRequested = signals.flag();
    ConversionReport report = writeConversion(checked, *output, feedback, options);
    const std::string where = displayPath(output->location());
    if (report.outcome == ConversionOutcome::Interrupted) {
        writeStandardError("tessella: interrupted: no map was made in " + where + "; " +
                           std::to_string(report.tilesWritten) + " of " + std::to_string(job.tileCount) +
                           " tiles were put in place under " + layerFolderPath(job.folderName) +
                           ", each whole, and " + indexFilePath(job.folderName) +
                           " was not written. Run the same import again to make the map.\n");
        return signals.exitCode();
    }
    if (report.outcome == ConversionOutcome::OutputFailed && !source.readError().empty())
        printError("cannot read " + ::quoted(a.source) + ": " + source.readError());
    if (report.outcome == ConversionOutcome::Converted) {
        writeStandardOutput("\nWrote " + indexFilePath(job.folderName) + " and " + std::to_string(job.tileCount) +
                            " tile files (" + std::to_string(job.tileColumns) + " columns, " +
                            std::to_string(job.tileRows) + " rows) under " + layerFolderPath(job.folderName) +
                            " in " + where + "\n");
    }
    return exitCodeFor(report.outcome);
}

}  // namespace

int runImportCommand(const std::vector<std::string>& args) {
    ImportArguments a;
    if (int code = readImportArguments(args, a); code >= 0) return code;
    // From the start: a stop at any moment leaves nothing half made, and says so.
    StopSignals signals;

    EncodeResult name = utf8ToCp932(a.name);
    if (name.status == EncodeStatus::InvalidUtf8) {
        printError("--name is not valid UTF-8; nothing was written");
        return kExitSettingsRefused;
    }
    if (name.status == EncodeStatus::NotInCp932) {
        printError("--name: the character " + ::quoted(name.offending) +
                   " cannot be written in Shift-JIS (CP932), the encoding of the map files; nothing was written");
        return kExitSettingsRefused;
    }

    ImportRequest request;
    request.sourcePath = a.source;
    request.srs = a.srs;
    if (!a.topLeftText.empty()) {
        request.topLeft = pointOf(a.topLeft);
        request.bottomRight = pointOf(a.bottomRight);
    }
    request.fit = a.fit;
    request.resampling = a.resampling;
    std::unique_ptr<GeoSource> source;
    std::string message;
    ImportStatus status = GeoSource::open(request, source, message);
    if (status != ImportStatus::Ready) {
        printError(message);
        return importExitCode(status);
    }
    ImportPlan plan = source->plan();
    if (!isAutoDistance(a.eastWest)) plan.extents.eastWestMetres = std::stoll(a.eastWest);
    if (!isAutoDistance(a.northSouth)) plan.extents.northSouthMetres = std::stoll(a.northSouth);

    ReportNames names;
    names.source = a.source;
    names.bitmap = a.bmp.empty() ? std::filesystem::path(a.source).replace_extension(".bmp").string() : a.bmp;
    names.mapName = a.name.empty() ? "NAME" : a.name;
    names.folder = a.folder.empty() ? "FOLDER" : a.folder;
    writeStandardOutput(importReport(plan, a.fit, names));
    if (!a.bmp.empty()) return writePreparedBitmap(a, *source, signals);
    return writeImportedMap(a, name.bytes, plan, *source, signals);
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

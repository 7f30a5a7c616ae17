#include "ImportCommand.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "CommandOutput.h"
#include "BmpOutput.h"
#include "Conversion.h"
#include "Encoding.h"
#include "ExitCodes.h"
#include "ImportSource.h"
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

// The enums of placement/, from the indices the options read (ImportCommand.h).
FitMode fitMode(const PictureArguments& a) { return static_cast<FitMode>(a.fit); }
Resampling resampling(const PictureArguments& a) { return static_cast<Resampling>(a.resampling); }

GeoPoint pointOf(const CornerArgument& corner) {
    return {angleFromText(corner.latitude, kLatitudeDegreesMaxLength) / 3600000.0,
            angleFromText(corner.longitude, kLongitudeDegreesMaxLength) / 3600000.0};
}

int writePreparedBitmap(const ImportArguments& a, ImportSource& source, const StopSignals& signals) {
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
int openSource(const ImportRequest& request, std::unique_ptr<ImportSource>& source, CommandOutput* out = nullptr) {
    std::string message;
    ImportStatus status = openImportSource(request, source, message);
    if (status == ImportStatus::Ready) return kExitSuccess;
    if (out != nullptr) out->error(message);
    else printError(message);
    return importExitCode(status);
}

ReportNames reportNames(const ImportArguments& a) {
    ReportNames names = defaultReportNames(a.source);
    if (!a.bmp.empty()) names.bitmap = a.bmp;
    if (!a.name.empty()) names.mapName = a.name;
    if (!a.folder.empty()) names.folder = a.folder;
    return names;
}

// The map, through the same run as convert's, from the picture's strips.
int writeImportedMap(const ImportArguments& a, MapConversion& map, ImportSource& source, const ImportPlan& plan) {
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
    values.dither = a.dither;
    map.explainReadFailure([&source, &a] {
        return source.readError().empty() ? std::string() : "cannot read " + ::quoted(a.source) + ": " + source.readError();
    });
    return map.run(
        [&](CheckedConversion& checked) { return checkConversion(job, values, source, map.feedback(), checked); },
        conversionParentFolder(a.source));
}

}  // namespace

ImportRequest pictureRequest(const std::string& source, const PictureArguments& a) {
    ImportRequest request;
    request.sourcePath = source;
    request.srs = a.srs;
    if (!a.topLeftText.empty()) {
        request.topLeft = pointOf(a.topLeft);
        request.bottomRight = pointOf(a.bottomRight);
    }
    request.replaceGeoreferencing = a.replaceGeoreferencing;
    for (const GcpArgument& gcp : a.gcps) request.controlPoints.push_back({gcp.pixel, gcp.line, pointOf(gcp.at)});
    if (!a.transformText.empty()) request.transform = static_cast<GcpTransform>(a.transform);
    if (!a.windowText.empty()) request.window = GeoWindow{pointOf(a.windowTopLeft), pointOf(a.windowBottomRight)};
    if (!a.stretchText.empty()) request.stretch = SampleStretch{a.stretchMin, a.stretchMax};
    if (!a.resolutionText.empty()) request.size = OutputSize{a.resolutionLatitude, a.resolutionLongitude, 0, 0};
    if (!a.sizeText.empty()) request.size = OutputSize{0, 0, a.sizeWidth, a.sizeHeight};
    request.fit = fitMode(a);
    request.resampling = resampling(a);
    return request;
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
        case ImportStatus::ControlPointsRefused: return kExitSettingsRefused;
        case ImportStatus::GeoreferencingConflict:
        case ImportStatus::TransformUnused: return kExitUsage;
    }
    return kExitInternalError;
}

namespace {

// The import's request: the picture's, and the extents typed in metres.
ImportRequest importRequest(const ImportArguments& a) {
    ImportRequest request = pictureRequest(a.source, a);
    if (!isAutoDistance(a.eastWest)) request.eastWestMetres = std::stoll(a.eastWest);
    if (!isAutoDistance(a.northSouth)) request.northSouthMetres = std::stoll(a.northSouth);
    return request;
}

}  // namespace

int runImport(const ImportArguments& a) {
    const ImportRequest request = importRequest(a);
    // Before anything is checked or written: this build's reader cannot do it at all.
    if (const std::string option = optionBeyondReader(request); !option.empty()) {
        printError(option + " needs the Linux build of tessella, whose import reads pictures through GDAL");
        return kExitUsage;
    }
    if (!a.bmp.empty()) {
        // From the start: a stop at any moment leaves nothing half made, and says so.
        StopSignals signals;
        std::unique_ptr<ImportSource> source;
        if (int refused = openSource(request, source); refused != kExitSuccess) return refused;
        printWarnings(source->plan().warnings);
        if (!a.quiet) writeStandardOutput(importReport(source->plan(), fitMode(a), reportNames(a)));
        if (a.dryRun) return kExitSuccess;
        return writePreparedBitmap(a, *source, signals);
    }

    MapRequest mapRequest{"import", a.source, a.name, a.folder, std::nullopt, a.overwrite, a.dryRun, a.json, a.quiet,
                       ProgressStyle::TimeLeft};  // a picture to decode takes longer than a bitmap
    if (!a.outputDir.empty()) mapRequest.outputDir = a.outputDir;
    MapConversion map(mapRequest, {});
    // The name is checked before anything is worked out or printed.
    if (int refused = map.acceptName(); refused != kExitSuccess) return refused;
    std::unique_ptr<ImportSource> source;
    if (int refused = openSource(request, source, &map.out()); refused != kExitSuccess)
        return map.finish(refused, "source refused");
    const ImportPlan& plan = source->plan();
    for (const std::string& warning : plan.warnings) map.out().warning(warning);
    if (!a.quiet && !a.json) map.out().report(importReport(plan, fitMode(a), reportNames(a)) + "\n");
    return writeImportedMap(a, map, *source, plan);
}

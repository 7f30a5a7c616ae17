// probe and preview of a picture read through GDAL, in tessella-georef: the same reader,
// request and plan as import's (ImportCommand.cpp), so that probe says what import would
// do, word for word and with import's exit codes, and preview shows what it would store.

#include <memory>

#include "CommandOutput.h"
#include "ExitCodes.h"
#include "ImportCommand.h"
#include "ImportReport.h"
#include "ImportSource.h"
#include "InspectCommands.h"
#include "JsonWriter.h"
#include "PicturePreview.h"
#include "Platform.h"
#include "Quoted.h"
#include "StopSignals.h"

namespace {

// Opens the picture as import would; kExitSuccess, or the refusal's exit code once out
// said it.
int openPicture(const std::string& path, const PictureArguments& picture, std::unique_ptr<ImportSource>& source,
                CommandOutput& out) {
    std::string message;
    ImportStatus status = openImportSource(pictureRequest(path, picture), source, message);
    if (status == ImportStatus::Ready) return kExitSuccess;
    out.error(message);
    return importExitCode(status);
}

void cornerJson(JsonWriter& json, std::string_view key, uint32_t latitude, uint32_t longitude) {
    json.key(key).beginObject();
    json.key("latitude").beginObject().field("milliseconds", latitude).field("dms", dmsText(latitude)).endObject();
    json.key("longitude").beginObject().field("milliseconds", longitude).field("dms", dmsText(longitude)).endObject();
    json.endObject();
}

std::string planJson(const std::string& typed, const ImportPlan* plan, const std::vector<std::string>& messages,
                     int exitCode) {
    JsonWriter json;
    json.beginObject().field("command", "probe").field("source", typed);
    json.field("verdict", exitCode == kExitSuccess ? "accepted" : "refused");
    json.key("picture");
    if (plan == nullptr) {
        json.null().key("grid").null();
    } else {
        json.beginObject()
            .field("width", plan->sourceWidth)
            .field("height", plan->sourceHeight)
            .field("georeferencing", plan->georeferencing)
            .field("warped", plan->warped)
            .endObject();
        const FittedGrid& f = plan->fitted;
        json.key("grid").beginObject()
            .field("width", f.width)
            .field("height", f.height)
            .field("columns", f.width / kTileSide)
            .field("rows", f.height / kTileSide)
            .field("tiles", static_cast<int64_t>(f.width / kTileSide) * (f.height / kTileSide))
            .endObject();
        cornerJson(json, "topLeft", plan->corners.topLeftLatitude, plan->corners.topLeftLongitude);
        cornerJson(json, "bottomRight", plan->corners.bottomRightLatitude, plan->corners.bottomRightLongitude);
        json.key("extents").beginObject()
            .field("eastWestMetres", plan->extents.eastWestMetres)
            .field("northSouthMetres", plan->extents.northSouthMetres)
            .endObject();
    }
    json.field("messages", messages).field("exitCode", exitCode).endObject();
    return json.text();
}

}  // namespace

int probeThroughGdal(const ProbeArguments& args) {
    CommandOutput out(args.quiet);
    std::unique_ptr<ImportSource> source;
    int exitCode = openPicture(args.bitmap, args.picture, source, out);
    const ImportPlan* plan = source ? &source->plan() : nullptr;
    if (plan != nullptr)
        for (const std::string& warning : plan->warnings) out.warning(warning);
    if (args.json) {
        out.report(planJson(args.bitmap, plan, out.messages(), exitCode));
    } else if (plan != nullptr && !args.quiet) {
        out.report(importReport(*plan, static_cast<FitMode>(args.picture.fit), defaultReportNames(args.bitmap)));
    }
    return out.finish(exitCode);
}

int previewThroughGdal(const InspectionArguments& args, const StopSignals& signals) {
    CommandOutput out(false);
    std::unique_ptr<ImportSource> source;
    if (int refused = openPicture(args.file, args.picture, source, out); refused != kExitSuccess) return refused;
    const ImportPlan& plan = source->plan();
    for (const std::string& warning : plan.warnings) out.warning(warning);
    std::vector<FileIdentity> inputs;
    source->inputFiles(inputs);
    const FittedGrid& fitted = plan.fitted;
    const MapCorners& c = plan.corners;
    // The corners the map's index would hold; a side-by-side comparison is no one picture
    // on the ground.
    std::optional<PicturePlacement> placement;
    if (!args.compare)
        placement = placementOf(degreesOf(c.topLeftLongitude), degreesOf(c.topLeftLatitude),
                                degreesOf(c.bottomRightLongitude), degreesOf(c.bottomRightLatitude), fitted.width,
                                fitted.height);
    PreviewReport report = previewPicture(*source, inputs, {fitted.width / kTileSide, fitted.height / kTileSide},
                                          pathFromUtf8(args.output), args.scale, args.compare, signals.flag(), args.dither,
                                          placement);
    if (report.outcome == PreviewOutcome::Written) {
        out.report(previewWritten(args.output, args.compare ? 2 * report.width : report.width, report.height,
                                  placement.has_value()));
        return out.finish(kExitSuccess);
    }
    if (report.outcome == PreviewOutcome::SourceUnusable)
        report.failure = "cannot read " + ::quoted(args.file) + ": " +
                         (source->readError().empty() ? std::string("it changed while it was read") : source->readError());
    return previewFailed(report, kExitBitmapRefused, signals);
}

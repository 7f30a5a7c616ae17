#include "ConvertReport.h"

#include <cstring>

#include "Encoding.h"
#include "JsonWriter.h"
#include "OutputPaths.h"

namespace {

int64_t tileTotal(const ConversionJob& job) { return static_cast<int64_t>(job.tileColumns) * job.tileRows; }

std::string gridSentence(const ConversionJob& job, const std::string& folder) {
    return indexFilePath(job.folderName) + " and " + std::to_string(tileTotal(job)) + " tile files (" +
           std::to_string(job.tileColumns) + " columns, " + std::to_string(job.tileRows) + " rows) under " +
           layerFolderPath(job.folderName) + " in " + folder;
}

void writeSettings(JsonWriter& json, const ConversionJob& job) {
    std::string name(job.mapName, strnlen(job.mapName, sizeof job.mapName - 1));
    json.key("settings").beginObject();
    json.field("mapName", cp932ToUtf8(name));
    json.key("mapNameBytes").beginArray();
    for (char byte : name) json.number(static_cast<unsigned>(static_cast<unsigned char>(byte)));
    json.endArray();
    json.field("folderName", job.folderName);
    json.key("cornersMillisecondsOfArc")
        .beginObject()
        .field("topLeftLatitude", job.topLeftLatitude)
        .field("topLeftLongitude", job.topLeftLongitude)
        .field("bottomRightLatitude", job.bottomRightLatitude)
        .field("bottomRightLongitude", job.bottomRightLongitude)
        .endObject();
    json.key("distancesTenthsOfAMetre")
        .beginObject()
        .field("eastWest", job.eastWestDistance)
        .field("northSouth", job.northSouthDistance)
        .endObject();
    json.endObject();
}

}  // namespace

std::vector<std::string> mapFiles(const ConversionJob& job) {
    std::vector<std::string> files = {indexFilePath(job.folderName)};
    for (int32_t row = 0; row < job.tileRows; ++row) {
        std::string level = levelFolderPath(job.folderName, row);
        for (int32_t column = 0; column < job.tileColumns; ++column) files.push_back(tileFilePath(level, column, row));
    }
    return files;
}

std::string convertReportLines(const ConvertSummary& s) {
    if (s.written) return "Wrote " + gridSentence(*s.job, s.outputFolder) + "\n";
    if (!s.dryRun || s.exitCode != 0) return "";
    std::string lines = (s.replacesMap ? "Would replace the map there: " : "Would write ") +
                        gridSentence(*s.job, s.outputFolder) + ":\n";
    for (const std::string& file : mapFiles(*s.job)) lines += "  " + file + "\n";
    return lines;
}

std::string convertReportJson(const ConvertSummary& s) {
    JsonWriter json;
    json.beginObject().field("command", s.command).field("source", s.source);
    json.field("dryRun", s.dryRun).field("outcome", s.outcome).field("written", s.written);
    json.field("replacesMap", s.replacesMap);
    json.key("grid");
    if (s.bitmapAccepted) {
        json.beginObject()
            .field("width", s.job->bitmapWidth)
            .field("height", s.job->bitmapHeight)
            .field("columns", s.job->tileColumns)
            .field("rows", s.job->tileRows)
            .field("tiles", tileTotal(*s.job))
            .endObject();
    } else {
        json.null();
    }
    if (s.settingsRead) writeSettings(json, *s.job);
    else json.key("settings").null();
    json.key("files");
    if (s.bitmapAccepted && s.settingsRead) {
        json.beginObject().field("folder", s.outputFolder).field("index", indexFilePath(s.job->folderName));
        std::vector<std::string> files = mapFiles(*s.job);
        files.erase(files.begin());
        json.field("tiles", files).endObject();
    } else {
        json.null();
    }
    json.field("messages", s.messages).field("exitCode", s.exitCode).endObject();
    return json.text();
}

#include "MapVerifier.h"

#include <algorithm>
#include <system_error>

#include "MapFiles.h"
#include "GridRule.h"
#include "IndexFormat.h"
#include "MapNames.h"
#include "OutputPaths.h"
#include "TileFormat.h"

namespace fs = std::filesystem;

const char* findingKindName(FindingKind kind) {
    switch (kind) {
        case FindingKind::IndexUnreadable: return "index-unreadable";
        case FindingKind::IndexField: return "index-field";
        case FindingKind::TileMissing: return "missing-tile";
        case FindingKind::TileUnreadable: return "unreadable-tile";
        case FindingKind::TileSize: return "tile-size";
        case FindingKind::TileHeader: return "tile-header";
        case FindingKind::TilePixels: return "tile-pixels";
        case FindingKind::IndexName: return "index-name";
        case FindingKind::StrayTile: return "stray-tile";
        case FindingKind::PartFile: return "part-file";
        case FindingKind::OtherFile: return "other-file";
    }
    return "?";
}

void FindingList::add(FindingKind kind, std::string file, std::string text) {
    if (listed.size() < kListed) listed.push_back({kind, std::move(file), std::move(text)});
    ++count;
}

fs::path mapFolderOf(const fs::path& indexFile) { return indexFile.parent_path(); }

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

void checkTile(const fs::path& root, const ConversionJob& job, int32_t column, int32_t row,
               uint8_t* buffer, VerifyReport& report) {
    std::string name = tileFilePath(levelFolderPath(job.folderName, row), column, row);
    ReadResult read = readFileStart(root / name, buffer, kTileFileSize + 1);
    ++report.tilesChecked;
    if (read.status == ReadStatus::Missing) {
        report.problems.add(FindingKind::TileMissing, name, "missing");
        return;
    }
    if (read.status == ReadStatus::Failed) {
        report.problems.add(FindingKind::TileUnreadable, name, "cannot be read: " + read.reason);
        return;
    }
    if (read.size != static_cast<size_t>(kTileFileSize)) {
        report.problems.add(FindingKind::TileSize, name,
                            read.size > static_cast<size_t>(kTileFileSize)
                                ? "longer than a tile's " + std::to_string(kTileFileSize) + " bytes"
                                : "cut short: " + std::to_string(read.size) + " of " +
                                      std::to_string(kTileFileSize) + " bytes");
    }
    if (read.size >= static_cast<size_t>(kTileHeaderSize)) {
        uint8_t neighbours[kNeighbourBlockSize];
        uint8_t expected[kTileHeaderSize];
        fillNeighbourBlock(neighbours, column, row, job.tileColumns, job.tileRows);
        TileCorner corner = tileCorner(job, column, row);
        buildTileHeader(expected, job, neighbours, corner.topLatitude, corner.leftLongitude);
        std::vector<std::string> fields = differingFields(tileFieldSpans(), buffer, expected);
        if (!fields.empty())
            report.problems.add(FindingKind::TileHeader, name,
                                "header differs from what the index makes in: " + joined(fields));
    }
    size_t pixels = std::min(read.size, static_cast<size_t>(kTileFileSize));
    if (pixels > static_cast<size_t>(kTileHeaderSize)) {
        int64_t above = countIndicesAbove230(buffer + kTileHeaderSize, pixels - kTileHeaderSize);
        if (above > 0)
            report.problems.add(FindingKind::TilePixels, name,
                                std::to_string(above) + " pixels hold an index above 230");
    }
}

std::vector<fs::directory_entry> sortedEntries(const fs::path& folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    return entries;
}

const char kLeftByRun[] = "not part of the map: left by an interrupted run, or a conversion still running";

// Files inside one level folder that are not tiles of the grid.
void scanLevelFolder(const fs::path& root, const std::string& levelName, int32_t row,
                     const ConversionJob& job, VerifyReport& report) {
    for (const fs::directory_entry& entry : sortedEntries(root / levelName)) {
        std::string fileName = displayText(entry.path().filename());
        std::string name = levelName + kPathSeparator + fileName;
        std::error_code error;
        TileName tile = entry.is_directory(error) ? TileName{} : readTileName(fileName, row);
        if (tile.kind == TileNameKind::Temporary)
            report.warnings.add(FindingKind::PartFile, name, kLeftByRun);
        else if (tile.kind == TileNameKind::Other)
            report.warnings.add(FindingKind::OtherFile, name, "not part of the map");
        else if (row >= job.tileRows || tile.column >= job.tileColumns)
            report.warnings.add(FindingKind::StrayTile, name, "a tile outside the index's grid");
    }
}

// Everything under the map's folder that the index does not account for.
void scanForStrays(const fs::path& root, const fs::path& indexFile, const ConversionJob& job,
                   VerifyReport& report) {
    std::error_code error;
    for (const fs::directory_entry& entry : sortedEntries(root / job.folderName)) {
        std::string fileName = displayText(entry.path().filename());
        if (!(isLayerFolderName(fileName) && entry.is_directory(error)))
            report.warnings.add(FindingKind::OtherFile, job.folderName + (kPathSeparator + fileName),
                                "not part of the map");
    }
    std::string layer = layerFolderPath(job.folderName);
    for (const fs::directory_entry& entry : sortedEntries(root / layer)) {
        std::string fileName = displayText(entry.path().filename());
        int32_t row = entry.is_symlink(error) || !entry.is_directory(error) ? -1 : levelFolderRow(fileName);
        if (row >= 0)
            scanLevelFolder(root, layer + kPathSeparator + fileName, row, job, report);
        else
            report.warnings.add(FindingKind::OtherFile, layer + kPathSeparator + fileName, "not part of the map");
    }
    std::string indexPart = displayText(indexFile.filename()) + kPartSuffix;
    if (fs::exists(root / indexPart, error)) report.warnings.add(FindingKind::PartFile, indexPart, kLeftByRun);
}

}  // namespace

VerifyReport verifyMap(const fs::path& indexFile) {
    VerifyReport report;
    std::string indexName = displayText(indexFile.filename());
    uint8_t record[kIndexRecordSize + 1];
    ReadResult read = readFileStart(indexFile, record, sizeof record);
    if (read.status != ReadStatus::Read) {
        report.problems.add(FindingKind::IndexUnreadable, indexName,
                            read.status == ReadStatus::Missing ? "no such file" : "cannot be read: " + read.reason);
        return report;
    }
    std::vector<FormatViolation> violations;
    report.indexDecoded = decodeIndex(record, read.size, report.index, violations);
    for (const FormatViolation& v : violations)
        report.problems.add(FindingKind::IndexField, indexName, v.field + ": " + v.text);
    const IndexFields& index = report.index;
    if (!report.indexDecoded || !folderNameUsable(index.folderName) || !gridFits(index.tileColumns, index.tileRows)) {
        report.problems.add(FindingKind::IndexUnreadable, indexName,
                            "the tiles cannot be found from this index; none were checked");
        return report;
    }
    if (indexName != indexFilePath(index.folderName.c_str()))
        report.warnings.add(FindingKind::IndexName, indexName,
                            "the index names the folder " + index.folderName +
                                "; its tiles were looked for there");

    ConversionJob job = jobFromIndex(index, record + index_format::kMapNameOffset);
    fs::path root = mapFolderOf(indexFile);
    std::vector<uint8_t> buffer(kTileFileSize + 1);
    for (int32_t row = 0; row < job.tileRows; ++row)
        for (int32_t column = 0; column < job.tileColumns; ++column)
            checkTile(root, job, column, row, buffer.data(), report);
    scanForStrays(root, indexFile, job, report);
    return report;
}

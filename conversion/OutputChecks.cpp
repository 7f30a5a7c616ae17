#include "OutputChecks.h"

#include <cstdio>
#include <cstring>

namespace {

// Reads a number of exactly `digits` decimal digits (at least 3 for names of rows and
// columns past 999); -1 when the text is not one.
int64_t readNumber(const char* text, size_t digits) {
    int64_t value = 0;
    for (size_t i = 0; i < digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return digits > 0 ? value : -1;
}

// folder + separator + name; false when it does not fit (no map name is that long).
bool joinPath(OutputPath out, const char* folder, const char* name) {
    int length = std::snprintf(out, kOutputPathSize, "%s%c%s", folder, kPathSeparator, name);
    return length > 0 && static_cast<size_t>(length) < kOutputPathSize;
}

bool startsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

bool endsWith(const char* text, size_t length, const char* suffix) {
    size_t n = std::strlen(suffix);
    return length >= n && std::strcmp(text + length - n, suffix) == 0;
}

// The row of a level folder's name ("level%03d"), or -1.
int64_t levelRow(const char* name) {
    if (!startsWith(name, kLevelFolderPrefix)) return -1;
    const char* digits = name + std::strlen(kLevelFolderPrefix);
    size_t count = std::strlen(digits);
    return count >= 3 ? readNumber(digits, count) : -1;
}

// What a file in a level folder is to the map format.
struct TileName {
    bool isTile = false;  // smplCCCRRR.map of this folder's row, or its ".part"
    bool isPart = false;
    int64_t column = -1;
};

TileName tileName(const char* name, int64_t row) {
    TileName result;
    size_t length = std::strlen(name);
    if (!startsWith(name, kTileFilePrefix)) return result;
    result.isPart = endsWith(name, length, kPartSuffix);
    if (result.isPart) length -= std::strlen(kPartSuffix);
    if (!endsWith(name, length, kTileSuffix)) return result;
    length -= std::strlen(kTileSuffix);
    const char* digits = name + std::strlen(kTileFilePrefix);
    size_t digitCount = length - std::strlen(kTileFilePrefix);
    // The row is written as %03d last; the column takes the digits before it.
    char rowText[24];
    std::snprintf(rowText, sizeof rowText, "%03lld", static_cast<long long>(row));
    size_t rowDigits = std::strlen(rowText);
    if (digitCount < rowDigits + 3 || std::strncmp(digits + digitCount - rowDigits, rowText, rowDigits) != 0)
        return result;
    result.column = readNumber(digits, digitCount - rowDigits);
    result.isTile = result.column >= 0;
    return result;
}

struct FolderScan {
    OutputFolder& output;
    const char* folder;
    const FileIdentity* bitmap = nullptr;  // looked for
    bool found = false;
    char foundPath[kOutputPathSize] = {};
};

bool lookAtEntry(void* context, const char* name, bool isFolder) {
    auto& scan = *static_cast<FolderScan*>(context);
    if (isFolder) return true;
    OutputPath path;
    FileIdentity identity;
    if (joinPath(path, scan.folder, name) && scan.output.identify(path, identity) && identity.sameFile(*scan.bitmap)) {
        scan.found = true;
        std::snprintf(scan.foundPath, sizeof scan.foundPath, "%s", path);
        return false;
    }
    return true;
}

struct LevelFolders {
    static constexpr int kMost = 64;
    char names[kMost][32];
    int count = 0;
    bool more = false;  // folders past kMost, taken on a further pass
};

bool collectLevel(void* context, const char* name, bool isFolder) {
    auto& levels = *static_cast<LevelFolders*>(context);
    if (!isFolder || levelRow(name) < 0 || std::strlen(name) >= sizeof levels.names[0]) return true;
    if (levels.count == LevelFolders::kMost) {
        levels.more = true;
        return false;
    }
    std::snprintf(levels.names[levels.count++], sizeof levels.names[0], "%s", name);
    return true;
}

// Calls visit(levelFolderPath, row) for every level folder below <folder>\layer1; visit
// returns whether it removed the folder.
template <typename Visit>
void forEachLevelFolder(const ConversionJob& job, OutputFolder& output, Visit visit) {
    OutputPath layer;
    formatLayerFolderPath(layer, job.folderName);
    if (output.entryAt(layer) != OutputFolder::Entry::Folder) return;
    // Listed in passes of at most kMost names, so nothing is allocated; folders are not
    // removed while a pass lists them.
    LevelFolders levels;
    int skip = 0;
    do {
        levels.count = 0;
        levels.more = false;
        struct Skipping {
            LevelFolders* levels;
            int skip;
        } state{&levels, skip};
        output.listFolder(
            layer,
            [](void* context, const char* name, bool isFolder) {
                auto& s = *static_cast<Skipping*>(context);
                if (isFolder && levelRow(name) >= 0 && s.skip > 0) {
                    --s.skip;
                    return true;
                }
                return collectLevel(s.levels, name, isFolder);
            },
            &state);
        skip += levels.count;
        for (int i = 0; i < levels.count; ++i) {
            OutputPath path;
            if (joinPath(path, layer, levels.names[i]) && visit(path, levelRow(levels.names[i]))) --skip;
        }
    } while (levels.more);
}

}  // namespace

bool bitmapIsOutput(const ConversionJob& job, const FileIdentity& bitmap, OutputFolder& output, OutputPath path) {
    formatIndexPath(path, job.folderName);
    FileIdentity standing;
    if (output.identify(path, standing) && standing.sameFile(bitmap)) return true;
    OutputPath part;
    formatPartPath(part, path);
    if (output.identify(part, standing) && standing.sameFile(bitmap)) {
        std::snprintf(path, kOutputPathSize, "%s", part);
        return true;
    }
    bool found = false;
    forEachLevelFolder(job, output, [&](const char* level, int64_t) {
        if (found) return false;
        FolderScan scan{output, level, &bitmap};
        output.listFolder(level, lookAtEntry, &scan);
        if (scan.found) {
            found = true;
            std::snprintf(path, kOutputPathSize, "%s", scan.foundPath);
        }
        return false;
    });
    return found;
}

namespace {

struct Cleaning {
    OutputFolder& output;
    UserFeedback& feedback;
    const ConversionJob& job;
    const char* folder;
    int64_t row;
    bool keptSomething = false;
};

bool cleanEntry(void* context, const char* name, bool isFolder) {
    auto& c = *static_cast<Cleaning*>(context);
    OutputPath path;
    if (!joinPath(path, c.folder, name)) return true;
    TileName tile = isFolder ? TileName{} : tileName(name, c.row);
    if (!tile.isTile) {
        c.feedback.noteLeftInPlace(path);
        c.keptSomething = true;
        return true;
    }
    const bool inGrid = c.row < c.job.tileRows && tile.column < c.job.tileColumns;
    if (tile.isPart || !inGrid) {
        // Removing while listing: the listing may or may not show later names twice,
        // and a second removal of a removed name does nothing.
        if (!c.output.removeFile(path)) c.keptSomething = true;
    } else {
        c.keptSomething = true;
    }
    return true;
}

}  // namespace

void removeOldTiles(const ConversionJob& job, OutputFolder& output, UserFeedback& feedback) {
    forEachLevelFolder(job, output, [&](const char* level, int64_t row) {
        Cleaning cleaning{output, feedback, job, level, row};
        output.listFolder(level, cleanEntry, &cleaning);
        return row >= job.tileRows && !cleaning.keptSomething && output.removeFolder(level);
    });
}

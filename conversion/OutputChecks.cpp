#include "OutputChecks.h"

#include <cstdio>
#include <cstring>

#include "MapNames.h"

namespace {

// A path below the map's folders: room for any name a folder can list (255 UTF-16 units
// are at most 765 bytes), not just the map's.
constexpr size_t kEntryPathSize = kOutputPathSize + 768;
using EntryPath = char[kEntryPathSize];

// folder + separator + name; false when it does not fit.
template <size_t size>
bool joinPath(char (&out)[size], const char* folder, const char* name) {
    int length = std::snprintf(out, size, "%s%c%s", folder, kPathSeparator, name);
    return length > 0 && static_cast<size_t>(length) < size;
}

// Whether what stands at path is one of the inputs.
bool standsOnInput(OutputFolder& output, const char* path, const std::vector<FileIdentity>& inputs) {
    FileIdentity standing;
    if (!output.identify(path, standing)) return false;
    for (const FileIdentity& input : inputs)
        if (standing.sameFile(input)) return true;
    return false;
}

struct FolderScan {
    OutputFolder& output;
    const char* folder;
    const std::vector<FileIdentity>& inputs;  // looked for
    bool found = false;
    char foundPath[kOutputPathSize] = {};
};

bool lookAtEntry(void* context, const char* name, bool isFolder) {
    auto& scan = *static_cast<FolderScan*>(context);
    if (isFolder) return true;
    // The map's names fit an OutputPath; a file of another name is never written over.
    OutputPath path;
    if (joinPath(path, scan.folder, name) && standsOnInput(scan.output, path, scan.inputs)) {
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
    if (!isFolder || levelFolderRow(name) < 0 || std::strlen(name) >= sizeof levels.names[0]) return true;
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
                if (isFolder && levelFolderRow(name) >= 0 && s.skip > 0) {
                    --s.skip;
                    return true;
                }
                return collectLevel(s.levels, name, isFolder);
            },
            &state);
        skip += levels.count;
        for (int i = 0; i < levels.count; ++i) {
            EntryPath path;
            if (joinPath(path, layer, levels.names[i]) && visit(path, levelFolderRow(levels.names[i]))) --skip;
        }
    } while (levels.more);
}

}  // namespace

bool inputIsOutput(const ConversionJob& job, const std::vector<FileIdentity>& inputs, OutputFolder& output,
                   OutputPath path) {
    if (inputs.empty()) return false;
    formatIndexPath(path, job.folderName);
    if (standsOnInput(output, path, inputs)) return true;
    OutputPath part;
    formatPartPath(part, path);
    if (standsOnInput(output, part, inputs)) {
        std::snprintf(path, kOutputPathSize, "%s", part);
        return true;
    }
    bool found = false;
    forEachLevelFolder(job, output, [&](const char* level, int32_t) {
        if (found) return false;
        FolderScan scan{output, level, inputs};
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
    int32_t row;
    bool keptSomething = false;
};

bool cleanEntry(void* context, const char* name, bool isFolder) {
    auto& c = *static_cast<Cleaning*>(context);
    EntryPath path;
    if (!joinPath(path, c.folder, name)) {
        c.keptSomething = true;
        return true;
    }
    TileName tile = isFolder ? TileName{} : readTileName(name, c.row);
    if (tile.kind == TileNameKind::Other) {
        c.feedback.noteLeftInPlace(path);
        c.keptSomething = true;
        return true;
    }
    const bool inGrid = c.row < c.job.tileRows && tile.column < c.job.tileColumns;
    if (tile.kind == TileNameKind::Temporary || !inGrid) {
        // Removing while listing: the listing may or may not show later names twice,
        // and a second removal of a removed name does nothing.
        if (!c.output.removeFile(path)) {
            c.keptSomething = true;
            // A name shown twice was removed the first time; anything still there is named.
            if (c.output.entryAt(path) != OutputFolder::Entry::Missing) c.feedback.noteLeftInPlace(path);
        }
    } else {
        c.keptSomething = true;
    }
    return true;
}

// Names everything in a folder of the map that is not the map's: in the map's folder
// anything but the layer folder, in the layer folder anything but level folders.
struct Extras {
    UserFeedback& feedback;
    const char* folder;
    bool (*isMapName)(const char* name, bool isFolder);
};

bool noteExtra(void* context, const char* name, bool isFolder) {
    auto& e = *static_cast<Extras*>(context);
    EntryPath path;
    if (!e.isMapName(name, isFolder) && joinPath(path, e.folder, name)) e.feedback.noteLeftInPlace(path);
    return true;
}

}  // namespace

void removeOldTiles(const ConversionJob& job, OutputFolder& output, UserFeedback& feedback) {
    Extras inMapFolder{feedback, job.folderName,
                       [](const char* name, bool isFolder) { return isFolder && isLayerFolderName(name); }};
    output.listFolder(job.folderName, noteExtra, &inMapFolder);
    OutputPath layer;
    formatLayerFolderPath(layer, job.folderName);
    if (output.entryAt(layer) == OutputFolder::Entry::Folder) {
        Extras inLayer{feedback, layer,
                       [](const char* name, bool isFolder) { return isFolder && levelFolderRow(name) >= 0; }};
        output.listFolder(layer, noteExtra, &inLayer);
    }
    forEachLevelFolder(job, output, [&](const char* level, int32_t row) {
        Cleaning cleaning{output, feedback, job, level, row};
        output.listFolder(level, cleanEntry, &cleaning);
        return row >= job.tileRows && !cleaning.keptSomething && output.removeFolder(level);
    });
}

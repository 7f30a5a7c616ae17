#pragma once
// A whole map checked against its index: every tile of the grid present and whole, each
// header what the writer would write for that index, no palette index above 230. Files
// that are not part of the map (tiles outside the grid, ".part" files an interrupted run
// left) are warnings.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "MapRecords.h"

enum class FindingKind {
    IndexUnreadable,  // the index file is missing or cannot be read
    IndexField,       // a field of the index the format does not allow
    TileMissing,
    TileUnreadable,
    TileSize,         // cut short, or longer than a tile
    TileHeader,       // header bytes other than the writer's for this index
    TilePixels,       // palette indices above 230
    IndexName,        // warning: the index file's name is not its folder name's
    StrayTile,        // warning: a tile file outside the grid
    PartFile,         // warning: a ".part" file an interrupted run left
    OtherFile,        // warning: a file or folder that is not part of the map
};

// A short name for scripts: "missing-tile", "part-file", ...
const char* findingKindName(FindingKind kind);

struct Finding {
    FindingKind kind;
    std::string file;  // relative to the index's folder
    std::string text;  // what is wrong, one line
};

// The first findings of one kind of severity, and how many there were in all.
struct FindingList {
    static constexpr size_t kListed = 20;
    std::vector<Finding> listed;
    int64_t count = 0;
    void add(FindingKind kind, std::string file, std::string text);
};

struct VerifyReport {
    bool indexDecoded = false;
    IndexFields index;
    int64_t tilesChecked = 0;
    FindingList problems;
    FindingList warnings;
    bool sound() const { return problems.count == 0; }
};

VerifyReport verifyMap(const std::filesystem::path& indexFile);

// The folder holding the map's tile folders: the index file's own folder.
std::filesystem::path mapFolderOf(const std::filesystem::path& indexFile);

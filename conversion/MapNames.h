#pragma once
// The map's names read back. A name is the map's only when it is exactly what the
// formats of OutputPaths.h print for some numbers 0 to INT32_MAX:
//   level%03d                        a level folder; the number is its row
//   smpl%03d%03d.map                 a tile: its column, then the row of the level
//                                    folder it stands in
//   <tile>.part, <tile>.XXXXXX.part  a tile's temporary (XXXXXX: six of a-z, A-Z, 0-9)
// So "level0003" (a zero too many), "smpl0001002.map" and "level4294967296" are not the
// map's: printing their numbers gives other names. Past 999 a number prints with more
// digits; the row comes last in a tile's name and is the level folder's, so the column is
// whatever digits stand before it and each name reads one way only.

#include <cstdint>
#include <string_view>

// The row of a level folder's name, or -1 when the name is none.
int32_t levelFolderRow(std::string_view name);

// Whether name is the layer folder's name.
bool isLayerFolderName(std::string_view name);

enum class TileNameKind {
    Other,      // no name of the map in this level folder
    Tile,       // smplCCCRRR.map
    Temporary,  // one of its temporaries
};

struct TileName {
    TileNameKind kind = TileNameKind::Other;
    int32_t column = -1;  // for Tile and Temporary
};

// What a file's name is in the level folder of row (0 to INT32_MAX).
TileName readTileName(std::string_view name, int32_t row);

// Whether name is a temporary of finalName: finalName ".part", or finalName, a dot, six
// letters or digits and ".part".
bool isTemporaryOf(std::string_view name, std::string_view finalName);

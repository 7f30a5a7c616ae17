#pragma once
// Names of the output files and folders, relative to the output folder:
//   <folder>.vlm
//   <folder>\layer1\levelRRR\smplCCCRRR.map
// Each file is written whole under its name followed by ".part" (area01.vlm.part,
// smpl002001.map.part) in the same folder, then renamed into place. A ".part" file is
// therefore never part of a map: it is what an interrupted run left, and the next run
// removes or reuses it.
// The separator is '\' on Windows and '/' elsewhere; names and nesting are the same.

#include <cstddef>
#include <cstdint>
#include <string>

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

inline constexpr char kPartSuffix[] = ".part";
inline constexpr char kIndexSuffix[] = ".vlm";
inline constexpr char kLayerFolderName[] = "layer1";
inline constexpr char kLevelFolderPrefix[] = "level";
inline constexpr char kTileFilePrefix[] = "smpl";
inline constexpr char kTileSuffix[] = ".map";

// Room for the longest output path, its ".part" form included.
inline constexpr size_t kOutputPathSize = 96;
using OutputPath = char[kOutputPathSize];

// Each writes the path with its terminating zero (cut to fit, which no folder name of
// 8 bytes and no 32-bit row or column can need).
void formatIndexPath(OutputPath out, const char* folderName);                        // "<folder>.vlm"
void formatLayerFolderPath(OutputPath out, const char* folderName);                  // "<folder>\layer1"
void formatLevelFolderPath(OutputPath out, const char* folderName, int32_t row);     // "%s\layer1\level%03d"
void formatTilePath(OutputPath out, const char* folderName, int32_t column, int32_t row);  // "...\smpl%03d%03d.map"
void formatPartPath(OutputPath out, const char* finalPath);                          // "<path>.part"

// "<prefix>.XXXXXX.part": a temporary's name with six random letters and digits, for a
// file that other runs may be writing at the same time (each creates its name exclusively
// and picks another on a clash). False when it does not fit in size bytes.
bool formatUniquePartPath(char* out, size_t size, const char* prefix);

// The same as strings, for callers that are not writing a map.
std::string indexFilePath(const char* folderName);
std::string layerFolderPath(const char* folderName);
std::string levelFolderPath(const char* folderName, int32_t row);
std::string tileFilePath(const std::string& levelFolder, int32_t column, int32_t row);
std::string partFilePath(const std::string& finalPath);

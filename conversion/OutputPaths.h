#pragma once
// Names of the output files and folders, relative to the output folder:
//   <folder>.vlm
//   <folder>\layer1\levelRRR\smplCCCRRR.map
// Each file is written whole under its name followed by ".part" (area01.vlm.part,
// smpl002001.map.part) in the same folder, then renamed into place. A ".part" file is
// therefore never part of a map: it is what an interrupted run left, and the next run
// removes or reuses it.
// The separator is '\' on Windows and '/' elsewhere; names and nesting are the same.

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

std::string indexFilePath(const char* folderName);                    // "<folder>.vlm"
std::string layerFolderPath(const char* folderName);                  // "<folder>\layer1"
std::string levelFolderPath(const char* folderName, int32_t row);     // "%s\layer1\level%03d"
std::string tileFilePath(const std::string& levelFolder, int32_t column, int32_t row);  // "%s\smpl%03d%03d.map"
std::string partFilePath(const std::string& finalPath);                 // "<path>.part"

#pragma once
// Names of the output files and folders, relative to the output folder:
//   <folder>.vlm
//   <folder>\layer1\levelRRR\smplCCCRRR.map
// The separator is '\' on Windows and '/' elsewhere; names and nesting are the same.

#include <cstdint>
#include <string>

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

std::string indexFilePath(const char* folderName);                    // "<folder>.vlm"
std::string layerFolderPath(const char* folderName);                  // "<folder>\layer1"
std::string levelFolderPath(const char* folderName, int32_t row);     // "%s\layer1\level%03d"
std::string tileFilePath(const std::string& levelFolder, int32_t column, int32_t row);  // "%s\smpl%03d%03d.map"

#include "OutputPaths.h"

#include <cstdio>

std::string indexFilePath(const char* folderName) {
    return std::string(folderName) + kIndexSuffix;
}

std::string layerFolderPath(const char* folderName) {
    return std::string(folderName) + kPathSeparator + "layer1";
}

std::string levelFolderPath(const char* folderName, int32_t row) {
    char level[24];
    std::snprintf(level, sizeof level, "%clevel%03d", kPathSeparator, static_cast<int>(row));
    return layerFolderPath(folderName) + level;
}

std::string tileFilePath(const std::string& levelFolder, int32_t column, int32_t row) {
    char name[48];
    std::snprintf(name, sizeof name, "%csmpl%03d%03d.map", kPathSeparator, static_cast<int>(column),
                  static_cast<int>(row));
    return levelFolder + name;
}

std::string partFilePath(const std::string& finalPath) { return finalPath + kPartSuffix; }

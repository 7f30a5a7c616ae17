#include "OutputPaths.h"

#include <cstdio>

void formatIndexPath(OutputPath out, const char* folderName) {
    std::snprintf(out, kOutputPathSize, "%s%s", folderName, kIndexSuffix);
}

void formatLayerFolderPath(OutputPath out, const char* folderName) {
    std::snprintf(out, kOutputPathSize, "%s%c%s", folderName, kPathSeparator, kLayerFolderName);
}

void formatLevelFolderPath(OutputPath out, const char* folderName, int32_t row) {
    std::snprintf(out, kOutputPathSize, "%s%c%s%c%s%03d", folderName, kPathSeparator, kLayerFolderName,
                  kPathSeparator, kLevelFolderPrefix, static_cast<int>(row));
}

void formatTilePath(OutputPath out, const char* folderName, int32_t column, int32_t row) {
    std::snprintf(out, kOutputPathSize, "%s%c%s%c%s%03d%c%s%03d%03d%s", folderName, kPathSeparator,
                  kLayerFolderName, kPathSeparator, kLevelFolderPrefix, static_cast<int>(row), kPathSeparator,
                  kTileFilePrefix, static_cast<int>(column), static_cast<int>(row), kTileSuffix);
}

void formatPartPath(OutputPath out, const char* finalPath) {
    std::snprintf(out, kOutputPathSize, "%s%s", finalPath, kPartSuffix);
}

std::string indexFilePath(const char* folderName) {
    OutputPath path;
    formatIndexPath(path, folderName);
    return path;
}

std::string layerFolderPath(const char* folderName) {
    OutputPath path;
    formatLayerFolderPath(path, folderName);
    return path;
}

std::string levelFolderPath(const char* folderName, int32_t row) {
    OutputPath path;
    formatLevelFolderPath(path, folderName, row);
    return path;
}

std::string tileFilePath(const std::string& levelFolder, int32_t column, int32_t row) {
    char name[48];
    std::snprintf(name, sizeof name, "%c%s%03d%03d%s", kPathSeparator, kTileFilePrefix, static_cast<int>(column),
                  static_cast<int>(row), kTileSuffix);
    return levelFolder + name;
}

std::string partFilePath(const std::string& finalPath) { return finalPath + kPartSuffix; }

#include "OutputPaths.h"

#include <cstdio>
#include <random>

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

bool formatUniquePartPath(char* out, size_t size, const char* prefix) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    uint64_t seed = random();
    char part[7];
    for (int i = 0; i < 6; ++i, seed /= 36) part[i] = kLetters[seed % 36];
    part[6] = '\0';
    const int length = std::snprintf(out, size, "%s.%s%s", prefix, part, kPartSuffix);
    return length >= 0 && static_cast<size_t>(length) < size;
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

#include "MapNames.h"

#include <cstdio>

#include "OutputPaths.h"

namespace {

constexpr size_t kUniqueLength = 6;  // letters and digits between the final name and ".part"
constexpr size_t kMostDigits = 10;   // INT32_MAX has ten

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetterOrDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A number as the names print it ("%03d"), 0 to INT32_MAX; -1 for anything else, such as
// a leading zero too many or a number past 32 bits.
int32_t printedNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > kMostDigits) return -1;
    int64_t value = 0;  // ten digits stay below 2^34
    for (char c : digits) {
        if (!isDigit(c)) return -1;
        value = value * 10 + (c - '0');
    }
    if (value > INT32_MAX) return -1;
    char printed[16];
    int length = std::snprintf(printed, sizeof printed, "%03d", static_cast<int>(value));
    if (length < 0 || std::string_view(printed, static_cast<size_t>(length)) != digits) return -1;
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t levelFolderRow(std::string_view name) {
    if (!startsWith(name, kLevelFolderPrefix)) return -1;
    return printedNumber(name.substr(std::string_view(kLevelFolderPrefix).size()));
}

bool isLayerFolderName(std::string_view name) { return name == kLayerFolderName; }

bool isTemporaryOf(std::string_view name, std::string_view finalName) {
    const size_t partLength = std::string_view(kPartSuffix).size();
    if (name.size() < finalName.size() + partLength || !startsWith(name, finalName) || !endsWith(name, kPartSuffix))
        return false;
    std::string_view between = name.substr(finalName.size(), name.size() - finalName.size() - partLength);
    if (between.empty()) return true;
    if (between.size() != kUniqueLength + 1 || between[0] != '.') return false;
    for (char c : between.substr(1))
        if (!isLetterOrDigit(c)) return false;
    return true;
}

TileName readTileName(std::string_view name, int32_t row) {
    TileName result;
    if (row < 0 || !startsWith(name, kTileFilePrefix)) return result;
    // The final name ends at the first ".map"; what follows it, if anything, must make a
    // temporary of it.
    size_t suffixAt = name.find(kTileSuffix);
    if (suffixAt == std::string_view::npos) return result;
    std::string_view finalName = name.substr(0, suffixAt + std::string_view(kTileSuffix).size());
    bool temporary = finalName.size() != name.size();
    if (temporary && !isTemporaryOf(name, finalName)) return result;

    char rowText[16];
    int rowLength = std::snprintf(rowText, sizeof rowText, "%03d", static_cast<int>(row));
    if (rowLength < 0) return result;
    std::string_view digits = name.substr(std::string_view(kTileFilePrefix).size(),
                                          suffixAt - std::string_view(kTileFilePrefix).size());
    if (!endsWith(digits, std::string_view(rowText, static_cast<size_t>(rowLength)))) return result;
    int32_t column = printedNumber(digits.substr(0, digits.size() - static_cast<size_t>(rowLength)));
    if (column < 0) return result;
    result.kind = temporary ? TileNameKind::Temporary : TileNameKind::Tile;
    result.column = column;
    return result;
}

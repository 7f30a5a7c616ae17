#include "Settings.h"

#include <cstring>

#include "Messages.h"

namespace {

constexpr uint32_t kMillisecondsPerDegree = 3600000;
constexpr uint32_t kMillisecondsPerMinute = 60000;
constexpr uint32_t kMillisecondsPerSecond = 1000;

bool isFolderNameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::string_view cutText(std::string_view text, int maxLength) {
    text = text.substr(0, static_cast<size_t>(maxLength));
    size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

int32_t readInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

uint32_t angleFromText(const AngleText& text, int degreesMaxLength) {
    if (text.exactMilliseconds) return *text.exactMilliseconds;
    auto degrees = static_cast<uint32_t>(readInteger(cutText(text.degrees, degreesMaxLength)));
    auto minutes = static_cast<uint32_t>(readInteger(cutText(text.minutes, kMinutesMaxLength)));
    auto seconds = static_cast<uint32_t>(readInteger(cutText(text.seconds, kSecondsMaxLength)));
    return degrees * kMillisecondsPerDegree + minutes * kMillisecondsPerMinute +
           seconds * kMillisecondsPerSecond;
}

bool isReservedDeviceName(std::string_view name) {
    static constexpr std::string_view kPlain[] = {"con", "prn", "aux", "nul"};
    for (std::string_view reserved : kPlain)
        if (name == reserved) return true;
    if (name.size() == 4 && (name.substr(0, 3) == "com" || name.substr(0, 3) == "lpt"))
        return name[3] >= '1' && name[3] <= '9';
    return false;
}

SettingsError applySettings(ConversionJob& job, const SettingsText& texts) {
    SettingsValues values;
    values.mapName = texts.mapName;
    values.folderName = texts.folderName;
    values.topLeftLatitude = angleFromText(texts.topLeftLatitude, kLatitudeDegreesMaxLength);
    values.topLeftLongitude = angleFromText(texts.topLeftLongitude, kLongitudeDegreesMaxLength);
    values.bottomRightLatitude = angleFromText(texts.bottomRightLatitude, kLatitudeDegreesMaxLength);
    values.bottomRightLongitude = angleFromText(texts.bottomRightLongitude, kLongitudeDegreesMaxLength);
    values.eastWestDistance =
        static_cast<uint32_t>(readInteger(cutText(texts.eastWestDistance, kDistanceMaxLength))) * 10u;
    values.northSouthDistance =
        static_cast<uint32_t>(readInteger(cutText(texts.northSouthDistance, kDistanceMaxLength))) * 10u;
    values.dither = texts.dither;
    return applySettings(job, values);
}

SettingsError checkNames(std::string_view mapNameText, std::string_view folderNameText) {
    if (cutText(mapNameText, kMapNameMaxLength).empty()) return SettingsError::IllegalMapName;
    std::string_view folderName = cutText(folderNameText, kFolderNameMaxLength);
    if (folderName.empty()) return SettingsError::IllegalFolderName;
    for (char c : folderName)
        if (!isFolderNameByte(c)) return SettingsError::IllegalFolderCharacters;
    // A device name would send the output to the device and never make a map.
    if (isReservedDeviceName(folderName)) return SettingsError::IllegalFolderName;
    return SettingsError::NoError;
}

SettingsError applySettings(ConversionJob& job, const SettingsValues& values) {
    job.dither = values.dither ? 1 : 0;
    std::string_view mapName = cutText(values.mapName, kMapNameMaxLength);
    std::string_view folderName = cutText(values.folderName, kFolderNameMaxLength);
    SettingsError names = checkNames(values.mapName, values.folderName);
    if (names != SettingsError::IllegalMapName) {
        std::memset(job.mapName, 0, sizeof job.mapName);
        std::memcpy(job.mapName, mapName.data(), mapName.size());
    }
    if (names != SettingsError::NoError) return names;
    std::memcpy(job.folderName, folderName.data(), folderName.size());
    job.folderName[folderName.size()] = '\0';

    job.topLeftLatitude = values.topLeftLatitude;
    job.topLeftLongitude = values.topLeftLongitude;
    job.bottomRightLatitude = values.bottomRightLatitude;
    job.bottomRightLongitude = values.bottomRightLongitude;
    if (!(job.topLeftLatitude > job.bottomRightLatitude)) return SettingsError::IllegalLatitude;
    if (!(job.topLeftLongitude < job.bottomRightLongitude)) return SettingsError::IllegalLongitude;

    job.eastWestDistance = values.eastWestDistance;
    job.northSouthDistance = values.northSouthDistance;
    if (job.eastWestDistance == 0 || job.northSouthDistance == 0)
        return SettingsError::IllegalDistance;
    return SettingsError::NoError;
}

const char* settingsErrorMessage(SettingsError error) {
    switch (error) {
        case SettingsError::NoError: return nullptr;
        case SettingsError::IllegalMapName: return messages::kIllegalMapName;
        case SettingsError::IllegalFolderName: return messages::kIllegalFolderName;
        case SettingsError::IllegalFolderCharacters: return messages::kIllegalFolderCharacters;
        case SettingsError::IllegalLatitude: return messages::kIllegalLatitude;
        case SettingsError::IllegalLongitude: return messages::kIllegalLongitude;
        case SettingsError::IllegalDistance: return messages::kIllegalDistance;
    }
    return nullptr;
}

AngleParts angleParts(uint32_t value) {
    return {value / kMillisecondsPerDegree, (value / kMillisecondsPerMinute) % 60,
            (value / kMillisecondsPerSecond) % 60};
}

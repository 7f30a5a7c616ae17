#pragma once
// The sixteen texts the user types for one CONVERT, and their reading into the job.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ConversionJob.h"

// Most bytes of each text that are used; the rest is cut off. The dialog limits its
// fields to the same lengths.
inline constexpr int kMapNameMaxLength = 32;
inline constexpr int kFolderNameMaxLength = 8;
inline constexpr int kLatitudeDegreesMaxLength = 2;
inline constexpr int kLongitudeDegreesMaxLength = 3;
inline constexpr int kMinutesMaxLength = 2;
inline constexpr int kSecondsMaxLength = 2;
inline constexpr int kDistanceMaxLength = 7;

struct AngleText {
    std::string degrees;
    std::string minutes;
    std::string seconds;
    // The angle to the millisecond of arc, which the three texts cannot hold: the command
    // line sets it for angles typed in decimal degrees, and then the texts are only for
    // display. The dialog never sets it.
    std::optional<uint32_t> exactMilliseconds = std::nullopt;
};

struct SettingsText {
    std::string mapName;
    std::string folderName;
    AngleText topLeftLatitude;
    AngleText topLeftLongitude;
    AngleText bottomRightLatitude;
    AngleText bottomRightLongitude;
    std::string eastWestDistance;   // whole metres
    std::string northSouthDistance;
    bool dither = false;  // the job's dither, as chosen; the dialog leaves it off
};

// The same settings as numbers, for a caller that worked them out rather than typed them:
// the map name's bytes in code page 932, the folder name, the corners in milliseconds of
// arc, the distances in tenths of a metre. Texts longer than their fields are cut as the
// fields cut them.
struct SettingsValues {
    std::string mapName;
    std::string folderName;
    uint32_t topLeftLatitude = 0;
    uint32_t topLeftLongitude = 0;
    uint32_t bottomRightLatitude = 0;
    uint32_t bottomRightLongitude = 0;
    uint32_t eastWestDistance = 0;
    uint32_t northSouthDistance = 0;
    bool dither = false;  // the job's dither
};

enum class SettingsError {
    NoError,
    IllegalMapName,
    IllegalFolderName,
    IllegalFolderCharacters,
    IllegalLatitude,
    IllegalLongitude,
    IllegalDistance,
};

// Reads the texts into the job and validates them, stopping at the first check that
// fails. Values read before the failing check stay in the job.
SettingsError applySettings(ConversionJob& job, const SettingsText& texts);
// The same checks, in the same order and with the same errors, on values.
SettingsError applySettings(ConversionJob& job, const SettingsValues& values);
// The first two of those checks, which need nothing of the picture: the map name and the
// folder name (each cut as its field cuts it).
SettingsError checkNames(std::string_view mapName, std::string_view folderName);

// The message shown for an error; null for NoError.
const char* settingsErrorMessage(SettingsError error);

// The text as a field of the given length holds it: at most maxLength bytes, ending at
// the first zero byte.
std::string_view cutText(std::string_view text, int maxLength);

// The C library's atoi rule on a text: leading white space, one optional sign, then
// decimal digits up to the first non-digit; no digits read as 0. Overlong numbers wrap
// modulo 2^32 instead of being undefined.
int32_t readInteger(std::string_view text);

// Corner value in milliseconds of arc from the three field texts (each cut to its
// length), in unsigned 32-bit arithmetic; the exact value instead when one is given.
uint32_t angleFromText(const AngleText& text, int degreesMaxLength);

// Whether a folder name is a reserved device name on Windows (con, prn, aux, nul,
// com1..com9, lpt1..lpt9): output under such a name would go to a device.
bool isReservedDeviceName(std::string_view folderName);

// The display form of a job's numbers, as the dialog shows them in its fields.
struct AngleParts {
    uint32_t degrees;
    uint32_t minutes;
    uint32_t seconds;
};
AngleParts angleParts(uint32_t millisecondsOfArc);
inline uint32_t distanceMetres(uint32_t tenthsOfMetre) { return tenthsOfMetre / 10; }

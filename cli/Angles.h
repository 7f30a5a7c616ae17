#pragma once
// Corners as people type them: latitude first, then longitude, each either
//   D:M:S             35:40:10   the dialog's three fields; each part 1 or more digits and
//                                no longer than its field (latitude degrees 2, longitude
//                                degrees 3, minutes and seconds 2)
//   decimal degrees   35.66944   rounded to the nearest millisecond of arc; a latitude
//                                over 90 or a longitude over 180 is refused
// with an optional N (latitude) or E (longitude) at the end: "35:40:10N,139:45:30E",
// "35.66944, 139.7563". Maps lie north of the equator and east of Greenwich: S, W and
// minus signs are refused with a message that says so.
//
// In D:M:S the fields' own rule stands, as in the dialog: minutes and seconds up to 99,
// degrees as the field holds them. A value past 59 minutes or seconds, past 90 degrees of
// latitude or 180 of longitude is taken, with a warning saying what it amounts to.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Settings.h"

// One corner: latitude and longitude, each as the three texts the dialog's fields hold
// (and the exact milliseconds of arc for decimal degrees).
struct CornerArgument {
    AngleText latitude;
    AngleText longitude;
};

// "LAT,LON" into a corner. On failure returns nullopt and sets error (one line); warnings
// about values taken as they are are added to warnings.
std::optional<CornerArgument> parseCorner(std::string_view text, std::string& error,
                                          std::vector<std::string>& warnings);

inline constexpr uint32_t kMillisecondsOfArcPerDegree = 3600000;

// Decimal degrees ("35.66944", at most 30 decimals) to milliseconds of arc, rounded to
// the nearest, halves up; nullopt for anything else, or for more than 999 degrees.
std::optional<uint64_t> decimalDegreesToMilliseconds(std::string_view text);

// An angle in milliseconds of arc as people read it: "36:16:20 (36.272222 degrees)",
// the seconds with their milliseconds when there are any.
std::string describeAngle(uint64_t milliseconds);

#include "Angles.h"

#include <algorithm>
#include <cstdio>

#include "Quoted.h"

namespace {

constexpr uint64_t kMillisecondsPerMinute = 60000;
constexpr uint64_t kMillisecondsPerSecond = 1000;
constexpr int kMostDecimals = 30;

// What tells the two angles of a corner apart.
struct Axis {
    const char* name;          // "latitude"
    int degreesDigits;         // the dialog's field length
    uint32_t mostDegrees;      // 90 or 180
    char suffix;               // 'N' or 'E'
    char otherSuffix;          // the suffix of the other axis
    char refusedSuffix;        // 'S' or 'W'
    const char* refusedSide;   // "south of the equator"
};

constexpr Axis kLatitude = {"latitude", kLatitudeDegreesMaxLength, 90, 'N', 'E', 'S', "south of the equator"};
constexpr Axis kLongitude = {"longitude", kLongitudeDegreesMaxLength, 180, 'E', 'N', 'W', "west of Greenwich"};

constexpr std::string_view kDegreeSign = "\xC2\xB0";  // U+00B0, as in 35.66944° N

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

uint32_t readSmallNumber(std::string_view digits) {
    uint32_t value = 0;
    for (char c : digits) value = value * 10 + static_cast<uint32_t>(c - '0');
    return value;
}

std::string refusedSide(const Axis& axis, std::string_view typed) {
    return std::string(axis.name) + " " + quoted(typed) + " is " + axis.refusedSide +
           ": Tessella converts maps north of the equator and east of Greenwich only";
}

// The three D:M:S parts, each checked against its field. Adds a warning when the angle
// is taken past the range people expect of it.
std::optional<AngleText> readDms(std::string_view dms, std::string_view typed, const Axis& axis,
                                 std::string& error, std::vector<std::string>& warnings) {
    std::string_view parts[3];
    size_t count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= dms.size() && count <= 3; ++i) {
        if (i == dms.size() || dms[i] == ':') {
            if (count < 3) parts[count] = dms.substr(start, i - start);
            ++count;
            start = i + 1;
        }
    }
    const std::string what = std::string(axis.name) + " " + quoted(typed);
    if (count != 3) {
        error = what + " is not D:M:S (degrees:minutes:seconds)";
        return std::nullopt;
    }
    static constexpr const char* kPartNames[3] = {"degrees", "minutes", "seconds"};
    const int limits[3] = {axis.degreesDigits, kMinutesMaxLength, kSecondsMaxLength};
    for (int k = 0; k < 3; ++k) {
        if (!allDigits(parts[k])) {
            error = what + ": " + kPartNames[k] + " must be digits 0-9";
            return std::nullopt;
        }
        if (parts[k].size() > static_cast<size_t>(limits[k])) {
            error = what + ": " + kPartNames[k] + " " + quoted(parts[k]) + " has more than " +
                    std::to_string(limits[k]) + " digits";
            return std::nullopt;
        }
    }
    uint32_t minutes = readSmallNumber(parts[1]);
    uint32_t seconds = readSmallNumber(parts[2]);
    uint64_t total = readSmallNumber(parts[0]) * uint64_t{kMillisecondsOfArcPerDegree} +
                     minutes * kMillisecondsPerMinute + seconds * kMillisecondsPerSecond;
    std::vector<std::string> past;
    if (minutes > 59) past.push_back("has " + std::to_string(minutes) + " minutes");
    if (seconds > 59)
        past.push_back((minutes > 59 ? "" : "has ") + std::to_string(seconds) + " seconds");
    if (total > uint64_t{axis.mostDegrees} * kMillisecondsOfArcPerDegree)
        past.push_back("lies past " + std::to_string(axis.mostDegrees) + " degrees");
    if (!past.empty()) {
        std::string warning = what;
        for (size_t k = 0; k < past.size(); ++k) warning += (k == 0 ? " " : " and ") + past[k];
        warnings.push_back(warning + ": it amounts to " + describeAngle(total));
    }
    return AngleText{std::string(parts[0]), std::string(parts[1]), std::string(parts[2])};
}

// A decimal number's digits before and after its point: "35.5", "35", "35." or ".5".
struct Decimal {
    std::string_view whole;     // without leading zeros
    std::string_view fraction;
};

std::optional<Decimal> splitDecimal(std::string_view text) {
    size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    if ((!whole.empty() && !allDigits(whole)) || (!fraction.empty() && !allDigits(fraction))) return std::nullopt;
    return Decimal{whole.substr(std::min(whole.find_first_not_of('0'), whole.size())), fraction};
}

// Decimal degrees, with the D:M:S texts of the whole seconds for display and the exact
// milliseconds for the conversion.
std::optional<AngleText> readDecimal(std::string_view decimal, std::string_view typed, const Axis& axis,
                                     std::string& error) {
    const std::string what = std::string(axis.name) + " " + quoted(typed);
    std::optional<Decimal> parts = splitDecimal(decimal);
    if (!parts) {
        error = what + " is neither D:M:S (degrees:minutes:seconds) nor decimal degrees";
        return std::nullopt;
    }
    // Over the limit is judged on the typed value: 90.0000001 rounds to 90 but is not 90.
    bool overLimit = parts->whole.size() > 3 || readSmallNumber(parts->whole) > axis.mostDegrees ||
                     (readSmallNumber(parts->whole) == axis.mostDegrees &&
                      parts->fraction.find_first_not_of('0') != std::string_view::npos);
    if (overLimit) {
        error = what + " is over " + std::to_string(axis.mostDegrees) + " degrees";
        return std::nullopt;
    }
    if (parts->fraction.size() > static_cast<size_t>(kMostDecimals)) {
        error = what + " has more than " + std::to_string(kMostDecimals) + " decimals";
        return std::nullopt;
    }
    uint64_t value = decimalDegreesToMilliseconds(decimal).value_or(0);
    AngleText text;
    text.degrees = std::to_string(value / kMillisecondsOfArcPerDegree);
    text.minutes = std::to_string(value / kMillisecondsPerMinute % 60);
    text.seconds = std::to_string(value / kMillisecondsPerSecond % 60);
    text.exactMilliseconds = static_cast<uint32_t>(value);
    return text;
}

std::optional<AngleText> readAngle(std::string_view typed, const Axis& axis, std::string& error,
                                   std::vector<std::string>& warnings) {
    std::string_view text = typed;
    if (!text.empty()) {
        char last = upper(text.back());
        if (last == axis.refusedSuffix) {
            error = refusedSide(axis, typed);
            return std::nullopt;
        }
        if (last == axis.otherSuffix || last == (axis.suffix == 'N' ? 'W' : 'S')) {
            error = std::string(axis.name) + " " + quoted(typed) + " ends in " + std::string(1, text.back()) +
                    "; a " + axis.name + " ends in " + std::string(1, axis.suffix) + " or in no letter";
            return std::nullopt;
        }
        if (last == axis.suffix) text = trimmed(text.substr(0, text.size() - 1));
    }
    if (text.size() >= kDegreeSign.size() && text.substr(text.size() - kDegreeSign.size()) == kDegreeSign)
        text.remove_suffix(kDegreeSign.size());
    if (!text.empty() && text.front() == '-') {
        if (text.find_first_of("123456789") != std::string_view::npos) {
            error = refusedSide(axis, typed);
            return std::nullopt;
        }
        text.remove_prefix(1);  // -0 is the equator or Greenwich itself
    }
    if (text.find(':') != std::string_view::npos) return readDms(text, typed, axis, error, warnings);
    return readDecimal(text, typed, axis, error);
}

}  // namespace

std::optional<uint64_t> decimalDegreesToMilliseconds(std::string_view text) {
    std::optional<Decimal> parts = splitDecimal(text);
    if (!parts || parts->whole.size() > 3 || parts->fraction.size() > static_cast<size_t>(kMostDecimals))
        return std::nullopt;
    std::string_view whole = parts->whole, fraction = parts->fraction;
    // value = whole + fraction / 10^n; milliseconds = value * 3600000, rounded. 10^30 times
    // 3600000 fits 128 bits, so the rounding is exact however many decimals were typed.
    unsigned __int128 numerator = 0;
    unsigned __int128 denominator = 1;
    for (char c : fraction) {
        numerator = numerator * 10 + static_cast<unsigned>(c - '0');
        denominator *= 10;
    }
    numerator *= kMillisecondsOfArcPerDegree;
    uint64_t milliseconds = uint64_t{readSmallNumber(whole)} * kMillisecondsOfArcPerDegree +
                            static_cast<uint64_t>((numerator * 2 + denominator) / (denominator * 2));
    return milliseconds;
}

std::string describeAngle(uint64_t milliseconds) {
    auto count = [](uint64_t value) { return static_cast<unsigned long long>(value); };
    char text[96];
    int length = std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", count(milliseconds / kMillisecondsOfArcPerDegree),
                               count(milliseconds / kMillisecondsPerMinute % 60),
                               count(milliseconds / kMillisecondsPerSecond % 60));
    if (uint64_t rest = milliseconds % kMillisecondsPerSecond; rest != 0)
        length += std::snprintf(text + length, sizeof text - length, ".%03llu", count(rest));
    // Millionths of a degree, rounded: one of them is 3.6 milliseconds of arc.
    uint64_t micro = (milliseconds * 10 + 18) / 36;
    std::snprintf(text + length, sizeof text - length, " (%llu.%06llu degrees)", count(micro / 1000000),
                  count(micro % 1000000));
    return text;
}

std::optional<CornerArgument> parseCorner(std::string_view text, std::string& error,
                                          std::vector<std::string>& warnings) {
    size_t comma = text.find(',');
    if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos) {
        error = quoted(text) + " is not LAT,LON (for example 35:40:10,139:45:30 or 35.66944,139.7563)";
        return std::nullopt;
    }
    std::optional<AngleText> latitude = readAngle(trimmed(text.substr(0, comma)), kLatitude, error, warnings);
    if (!latitude) return std::nullopt;
    std::optional<AngleText> longitude = readAngle(trimmed(text.substr(comma + 1)), kLongitude, error, warnings);
    if (!longitude) return std::nullopt;
    return CornerArgument{*latitude, *longitude};
}

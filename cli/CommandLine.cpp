#include "CommandLine.h"

#include <algorithm>

namespace {

bool isHelpFlag(std::string_view arg) { return arg == "--help" || arg == "-h"; }

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One D:M:S angle; degreesDigits is the length of the degrees field.
std::optional<AngleText> parseAngle(std::string_view text, int degreesDigits, const char* what,
                                    std::string& error) {
    std::string_view parts[3];
    size_t count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ':') {
            if (count == 3) {
                count = 4;
                break;
            }
            parts[count++] = text.substr(start, i - start);
            start = i + 1;
        }
    }
    if (count != 3) {
        error = std::string(what) + " " + quoted(text) + " is not D:M:S (degrees:minutes:seconds)";
        return std::nullopt;
    }
    static constexpr const char* kPartNames[3] = {"degrees", "minutes", "seconds"};
    const int limits[3] = {degreesDigits, kMinutesMaxLength, kSecondsMaxLength};
    for (int k = 0; k < 3; ++k) {
        if (!allDigits(parts[k])) {
            error = std::string(what) + " " + quoted(text) + ": " + kPartNames[k] +
                    " must be digits 0-9";
            return std::nullopt;
        }
        if (parts[k].size() > static_cast<size_t>(limits[k])) {
            error = std::string(what) + " " + quoted(text) + ": " + kPartNames[k] + " " +
                    quoted(parts[k]) + " has more than " + std::to_string(limits[k]) + " digits";
            return std::nullopt;
        }
    }
    return AngleText{std::string(parts[0]), std::string(parts[1]), std::string(parts[2])};
}

struct OptionSlot {
    const char* name;
    std::string* value;
    bool required;
    bool seen = false;
};

ParseResult failure(std::string error, std::string command) {
    ParseResult result;
    result.error = std::move(error);
    result.errorCommand = std::move(command);
    return result;
}

ParseResult help(std::string topic) {
    ParseResult result;
    result.ok = true;
    result.command.kind = CommandKind::Help;
    result.command.helpTopic = std::move(topic);
    return result;
}

// Reads the options and the one positional argument of a command. Returns an error text,
// empty on success.
std::string readArguments(const std::vector<std::string>& args, std::vector<OptionSlot>& options,
                          std::string& positional, bool& helpAsked) {
    for (size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        if (isHelpFlag(args[i])) {
            helpAsked = true;
            return "";
        }
    }
    bool positionalSeen = false;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool looksLikeOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!looksLikeOption) {
            if (positionalSeen) return "unexpected argument " + quoted(arg);
            positional = arg;
            positionalSeen = true;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        auto slot = std::find_if(options.begin(), options.end(),
                                 [&](const OptionSlot& o) { return name == o.name; });
        if (slot == options.end()) return "unknown option " + quoted(name);
        if (slot->seen) return name + " is given more than once";
        slot->seen = true;
        if (equals != std::string::npos) {
            *slot->value = arg.substr(equals + 1);
        } else {
            // A following option is taken for a forgotten value, not for the value itself.
            if (i + 1 >= args.size() || (args[i + 1].size() > 2 && args[i + 1].rfind("--", 0) == 0))
                return name + " needs a value";
            *slot->value = args[++i];
        }
    }
    std::string missing;
    for (const OptionSlot& o : options)
        if (o.required && !o.seen) missing += (missing.empty() ? "" : ", ") + std::string(o.name);
    if (!positionalSeen || positional.empty()) return "missing BITMAP (the bitmap file to read)";
    if (!missing.empty()) return "missing " + missing;
    return "";
}

ParseResult parseProbe(const std::vector<std::string>& args) {
    ParseResult result;
    std::vector<OptionSlot> none;
    bool helpAsked = false;
    std::string error = readArguments(args, none, result.command.probe.bitmap, helpAsked);
    if (helpAsked) return help("probe");
    if (!error.empty()) return failure(error, "probe");
    result.ok = true;
    result.command.kind = CommandKind::Probe;
    return result;
}

ParseResult parseConvert(const std::vector<std::string>& args) {
    ParseResult result;
    ConvertArguments& convert = result.command.convert;
    std::string topLeft, bottomRight, outputDir;
    std::vector<OptionSlot> options = {
        {"--name", &convert.name, true},
        {"--folder", &convert.folder, true},
        {"--top-left", &topLeft, true},
        {"--bottom-right", &bottomRight, true},
        {"--east-west", &convert.eastWest, true},
        {"--north-south", &convert.northSouth, true},
        {"--output-dir", &outputDir, false},
    };
    bool helpAsked = false;
    std::string error = readArguments(args, options, convert.bitmap, helpAsked);
    if (helpAsked) return help("convert");
    if (!error.empty()) return failure(error, "convert");

    std::optional<CornerArgument> corner = parseCorner(topLeft, error);
    if (!corner) return failure("--top-left: " + error, "convert");
    convert.topLeft = *corner;
    corner = parseCorner(bottomRight, error);
    if (!corner) return failure("--bottom-right: " + error, "convert");
    convert.bottomRight = *corner;
    if (!checkDistance(convert.eastWest, error)) return failure("--east-west: " + error, "convert");
    if (!checkDistance(convert.northSouth, error))
        return failure("--north-south: " + error, "convert");
    if (options.back().seen) {
        if (outputDir.empty()) return failure("--output-dir: the folder name is empty", "convert");
        convert.outputDir = outputDir;
    }
    result.ok = true;
    result.command.kind = CommandKind::Convert;
    return result;
}

}  // namespace

std::optional<CornerArgument> parseCorner(std::string_view text, std::string& error) {
    size_t comma = text.find(',');
    if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos) {
        error = quoted(text) + " is not LAT,LON (for example 35:40:10,139:45:30)";
        return std::nullopt;
    }
    std::optional<AngleText> latitude =
        parseAngle(text.substr(0, comma), kLatitudeDegreesMaxLength, "latitude", error);
    if (!latitude) return std::nullopt;
    std::optional<AngleText> longitude =
        parseAngle(text.substr(comma + 1), kLongitudeDegreesMaxLength, "longitude", error);
    if (!longitude) return std::nullopt;
    return CornerArgument{*latitude, *longitude};
}

bool checkDistance(std::string_view text, std::string& error) {
    if (!allDigits(text)) {
        error = quoted(text) + " is not a whole number of metres (digits 0-9)";
        return false;
    }
    if (text.size() > static_cast<size_t>(kDistanceMaxLength)) {
        error = quoted(text) + " has more than " + std::to_string(kDistanceMaxLength) + " digits";
        return false;
    }
    return true;
}

ParseResult parseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) return failure("no command given", "");
    const std::string& first = args[0];
    if (isHelpFlag(first)) return help("");
    if (first == "--version") {
        ParseResult result;
        result.ok = true;
        result.command.kind = CommandKind::Version;
        return result;
    }
    if (first == "help") {
        if (args.size() == 1) return help("");
        if (args[1] == "convert" || args[1] == "probe") return help(args[1]);
        return failure("no help on " + quoted(args[1]) + "; the commands are convert and probe", "");
    }
    if (first == "convert") return parseConvert(args);
    if (first == "probe") return parseProbe(args);
    if (!first.empty() && first[0] == '-') return failure("unknown option " + quoted(first), "");
    return failure("unknown command " + quoted(first) + "; the commands are convert and probe", "");
}

std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result.append(text);
    result += '"';
    return result;
}

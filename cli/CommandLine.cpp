#include "CommandLine.h"

#include <algorithm>

#include "InspectCommands.h"
#include "Quoted.h"

namespace {

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

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

// The check of a corner option: reads LAT,LON into the corner.
OptionTable::Check readCorner(CornerArgument& corner) {
    return [&corner](const std::string& value, std::vector<std::string>& warnings) {
        std::string error;
        std::optional<CornerArgument> read = parseCorner(value, error, warnings);
        if (read) corner = *read;
        return error;
    };
}

// A distance, or "auto": worked out from the corners when the command runs.
OptionTable::Check readDistanceOrAuto() {
    return [](const std::string& value, std::vector<std::string>&) {
        std::string error;
        if (value != "auto") checkDistance(value, error);
        return error;
    };
}

ParseResult parseProbe(const std::vector<std::string>& args) {
    ParseResult result;
    OptionTable table;
    ProbeArguments& probe = result.command.probe;
    table.positional("BITMAP", "the bitmap file to read", probe.bitmap);
    table.flag("--json", probe.json);
    table.flag("--quiet", probe.quiet);
    return readCommand(table, args, CommandKind::Probe, result);
}

ParseResult parseConvert(const std::vector<std::string>& args) {
    ParseResult result;
    ConvertArguments& convert = result.command.convert;
    std::string topLeft, bottomRight, outputDir;
    OptionTable table;
    table.positional("BITMAP", "the bitmap file to read", convert.bitmap);
    table.value("--name", convert.name).required();
    table.value("--folder", convert.folder).required();
    table.value("--top-left", topLeft).required().check(readCorner(convert.topLeft));
    table.value("--bottom-right", bottomRight).required().check(readCorner(convert.bottomRight));
    table.value("--east-west", convert.eastWest).required().check(readDistanceOrAuto());
    table.value("--north-south", convert.northSouth).required().check(readDistanceOrAuto());
    table.value("--output-dir", outputDir).check([&convert](const std::string& value, std::vector<std::string>&) {
        if (value.empty()) return std::string("the folder name is empty");
        convert.outputDir = value;
        return std::string();
    });
    table.flag("--dry-run", convert.dryRun);
    table.flag("--overwrite", convert.overwrite);
    table.flag("--json", convert.json);
    table.flag("--quiet", convert.quiet);
    return readCommand(table, args, CommandKind::Convert, result);
}

}  // namespace

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

ParseResult readCommand(OptionTable& table, const std::vector<std::string>& args, CommandKind kind,
                        ParseResult& result) {
    const std::string& command = args.at(0);
    OptionTable::Reading reading = table.read(args, 1);
    if (reading.outcome == OptionTable::Outcome::HelpAsked) return help(command);
    if (reading.outcome == OptionTable::Outcome::Refused) return failure(reading.error, command);
    result.ok = true;
    result.command.kind = kind;
    result.warnings = std::move(reading.warnings);
    return std::move(result);
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
        if (args[1] == "convert" || args[1] == "probe" || args[1] == "import" || !inspectionHelp(args[1]).empty())
            return help(args[1]);
        return failure("no help on " + quoted(args[1]) +
                           "; the commands are convert, probe, inspect, verify, preview and import", "");
    }
    if (first == "convert") return parseConvert(args);
    if (first == "probe") return parseProbe(args);
    if (first == "inspect") return parseInspect(args);
    if (first == "verify") return parseVerify(args);
    if (first == "preview") return parsePreview(args);
    if (!first.empty() && first[0] == '-') return failure("unknown option " + quoted(first), "");
    return failure("unknown command " + quoted(first) + "; the commands are convert, probe, inspect, verify and preview", "");
}

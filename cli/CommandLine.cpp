#include "CommandLine.h"

#include <algorithm>

#include "AutoExtents.h"
#include "CommandOutput.h"
#include "ExitCodes.h"
#include "HelpText.h"
#include "ImportCommand.h"
#include "Platform.h"
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
    result.action = ParseResult::Action::Help;
    result.helpTopic = std::move(topic);
    return result;
}


int printHelp(const std::string& topic) {
    CommandOutput out(false);
    out.report(helpText(topic));
    return out.finish(kExitSuccess);
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

OptionTable::Check readCorner(CornerArgument& corner) {
    return [&corner](const std::string& value, std::vector<std::string>& warnings) {
        std::string error;
        std::optional<CornerArgument> read = parseCorner(value, error, warnings);
        if (read) corner = *read;
        return error;
    };
}

// "auto" is worked out from the corners when the command runs (AutoExtents.h).
OptionTable::Check readDistanceOrAuto() {
    return [](const std::string& value, std::vector<std::string>&) {
        std::string error;
        if (!isAutoDistance(value)) checkDistance(value, error);
        return error;
    };
}

OptionTable::Check refuseEmpty(std::string reason) {
    return [reason](const std::string& value, std::vector<std::string>&) {
        return value.empty() ? reason : std::string();
    };
}

ParseResult parseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) return failure("no command given", "");
    const std::string& first = args[0];
    if (isHelpFlag(first)) return help("");
    if (first == "--version") {
        ParseResult result;
        result.ok = true;
        result.action = ParseResult::Action::Version;
        return result;
    }
    const Command* command = findCommand(first);
    if (command == nullptr) {
        if (!first.empty() && first[0] == '-') return failure("unknown option " + quoted(first), "");
        return failure("unknown command " + quoted(first) + "; the commands are " + commandNames(), "");
    }
    OptionTable table;
    CommandRun run = command->declare(table);
    OptionTable::Reading reading = table.read(args, 1);
    if (reading.outcome == OptionTable::Outcome::HelpAsked) return help(command->name);
    if (reading.outcome == OptionTable::Outcome::Refused) return failure(reading.error, command->name);
    ParseResult result;
    result.ok = true;
    result.action = ParseResult::Action::Run;
    result.command = command;
    result.run = std::move(run);
    result.warnings = std::move(reading.warnings);
    result.needsGdal = std::move(reading.needsGdal);
    return result;
}

int runTessella(const std::vector<std::string>& args) {
    if (args.empty()) {
        // A first try without arguments gets the overview rather than a bare error; a
        // double click in Explorer also gets how to open a command prompt, and time to read.
        writeStandardError(helpText(""));
        if (waitsBeforeClosing(consoleFacts())) {
            writeStandardError(startedAloneNote());
            waitForKeyPress();
        }
        return kExitUsage;
    }
    // A command that needs GDAL is the other program's from the first word on, so that
    // everything is checked and said once, there. Without it, only its help is answered.
    if (const Command* named = findCommand(args[0]); named != nullptr && named->needsGdal) {
        GdalHandover handover = handOverToGdal(args);
        if (!handover.here) {
            ParseResult parsed = parseCommandLine(args);
            if (parsed.ok && parsed.action == ParseResult::Action::Help) return printHelp(parsed.helpTopic);
            printError(named->name + " needs " + handover.reason);
            return handover.exitCode;
        }
    }
    ParseResult parsed = parseCommandLine(args);
    if (!parsed.ok) {
        printError(parsed.error);
        std::string helpCommand = parsed.errorCommand.empty() ? "tessella --help"
                                                              : "tessella " + parsed.errorCommand + " --help";
        writeStandardError("Run '" + helpCommand + "' for usage.\n");
        return kExitUsage;
    }
    if (parsed.action == ParseResult::Action::Help) return printHelp(parsed.helpTopic);
    if (parsed.action == ParseResult::Action::Version) {
        CommandOutput out(false);
        out.report(versionText());
        return out.finish(kExitSuccess);
    }
    // An option or an operand that asks for GDAL (probe of a picture other than a bitmap)
    // hands over once the line is read, before its warnings are printed: the other
    // program prints them.
    if (!parsed.needsGdal.empty()) {
        GdalHandover handover = handOverToGdal(args);
        if (!handover.here) {
            printError(parsed.needsGdal + " needs " + handover.reason);
            return handover.exitCode;
        }
    }
    return parsed.run(parsed.warnings);
}

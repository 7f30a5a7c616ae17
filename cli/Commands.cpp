#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "BitmapChoice.h"
#include "Encoding.h"
#include "ExitCodes.h"
#include "FileServices.h"
#include "GridRule.h"
#include "ConvertReport.h"
#include "HelpText.h"
#include "IndexWriter.h"
#include "Messages.h"
#include "InspectCommands.h"
#include "ImportCommand.h"
#include "OutputPaths.h"
#include "Platform.h"
#include "ProbeCommand.h"
#include "StopSignals.h"
#include "TerminalFeedback.h"
#include "TileFormat.h"

namespace {

void printError(const std::string& text) { writeStandardError("tessella: error: " + text + "\n"); }
void printWarning(const std::string& text) { writeStandardError("tessella: warning: " + text + "\n"); }

// Probes the bitmap and checks that it opens again, as the dialog does before it lets
// CONVERT run. On success the job holds the bitmap and is marked accepted.
bool acceptBitmap(const std::string& utf8Path, ConversionJob& job, UserFeedback& feedback, CommandOutput& out) {
    std::string path, reason;
    if (!conversionBitmapPath(utf8Path, path, reason)) {
        // The system cannot find it where the path leads: the probe says so in its words.
        path = utf8Path;
    }
    if (chooseBitmap(path.c_str(), job, feedback) == BitmapChoice::Accepted) return true;
    if (path.size() >= sizeof job.bitmapPath)
        out.error("the bitmap's full path is longer than " + std::to_string(sizeof job.bitmapPath - 1) +
                  " bytes: " + quoted(displayPath(path)));
    return false;
}

// Where the map goes: the folder asked for, made if missing (only now, when the checks
// have passed, so a refused conversion leaves no empty folder behind), or the folder the
// system found the bitmap in, as the dialog writes beside the bitmap. The bitmap's path
// is already in the file services' encoding: its folder is taken as it is, never
// converted again.
std::unique_ptr<OutputFolder> openOutput(const ConvertArguments& args, const ConversionJob& job,
                                         CommandOutput& out) {
    std::string path, shown, reason;
    if (args.outputDir) {
        shown = *args.outputDir;
        if (!isFolder(shown) && !makeFolders(shown, reason)) {
            out.error("cannot make the output folder " + quoted(shown) + ": " + reason);
            return nullptr;
        }
        if (!conversionFolderPath(shown, path, reason)) {
            out.error("cannot use the output folder " + quoted(shown) + ": " + reason);
            return nullptr;
        }
    } else {
        path = conversionParentFolder(job.bitmapPath);
        shown = displayPath(path);
    }
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(path.c_str(), error);
    if (!output) out.error("cannot open the output folder " + quoted(shown) + ": " + systemErrorText(error));
    return output;
}

}  // namespace

std::string parentFolder(const std::string& path) {
#ifdef _WIN32
    size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) {
        // "C:map.bmp" lies in the current folder of drive C.
        return path.size() > 1 && path[1] == ':' ? path.substr(0, 2) : std::string();
    }
    std::string parent = path.substr(0, separator);
    if (parent.empty() || parent.back() == ':') parent += path[separator];  // a root
    return parent;
#else
    size_t separator = path.rfind('/');
    if (separator == std::string::npos) return std::string();
    return separator == 0 ? std::string("/") : path.substr(0, separator);
#endif
}

SettingsText settingsTextFor(const ConvertArguments& args, const std::string& cp932Name) {
    SettingsText texts;
    texts.mapName = cp932Name;
    texts.folderName = args.folder;
    texts.topLeftLatitude = args.topLeft.latitude;
    texts.topLeftLongitude = args.topLeft.longitude;
    texts.bottomRightLatitude = args.bottomRight.latitude;
    texts.bottomRightLongitude = args.bottomRight.longitude;
    texts.eastWestDistance = args.eastWest;
    texts.northSouthDistance = args.northSouth;
    return texts;
}

std::string storedMapName(const std::string& cp932Name) {
    return cp932Name.substr(0, cp932CutLength(cp932Name, kMapNameMaxLength));
}

std::vector<std::string> cutWarnings(const std::string& cp932Name, const std::string& folder) {
    std::vector<std::string> warnings;
    std::string stored = storedMapName(cp932Name);
    if (cp932Name.size() > static_cast<size_t>(kMapNameMaxLength)) {
        // Cut between characters, as the dialog's field cuts what is typed into it.
        std::string kept = stored.size() == static_cast<size_t>(kMapNameMaxLength)
                               ? std::to_string(kMapNameMaxLength) + " are kept"
                               : std::to_string(stored.size()) + " are kept, so that no character is cut in two";
        warnings.push_back("the map name is " + std::to_string(cp932Name.size()) +
                           " bytes in Shift-JIS; only its first " + kept + ": " + quoted(cp932ToUtf8(stored)));
    }
    const size_t headerLength = tile_format::kMapNameLength;
    size_t headerCut = cp932CutLength(stored, headerLength);
    if (stored.size() > headerLength && headerCut < headerLength) {
        warnings.push_back("tile headers keep the map name's first " + std::to_string(headerLength) +
                           " bytes, which cut the character " +
                           quoted(cp932ToUtf8(stored.substr(headerCut, 2))) + " in two: they hold " +
                           quoted(cp932ToUtf8(stored.substr(0, headerCut))) + " and its first byte");
    }
    if (folder.size() > static_cast<size_t>(kFolderNameMaxLength)) {
        warnings.push_back("the folder name is longer than " +
                           std::to_string(kFolderNameMaxLength) + " characters; only " +
                           quoted(folder.substr(0, kFolderNameMaxLength)) + " is used");
    }
    return warnings;
}

int exitCodeFor(ConversionOutcome outcome) {
    switch (outcome) {
        case ConversionOutcome::Converted: return kExitSuccess;
        case ConversionOutcome::SettingsRefused: return kExitSettingsRefused;
        case ConversionOutcome::BitmapUnusable: return kExitBitmapRefused;
        case ConversionOutcome::OutputFailed: return kExitOutputFailed;
        case ConversionOutcome::NoBitmap: return kExitInternalError;
        case ConversionOutcome::OutOfMemory: return kExitInternalError;
        case ConversionOutcome::Interrupted: return kExitInternalError;
    }
    return kExitInternalError;
}

// The job's tile count is the 32-bit field of the index file, which wraps for pictures
// of absurd size; what the user reads is the true number.
std::string tileTotal(const ConversionJob& job) {
    return std::to_string(static_cast<int64_t>(job.tileColumns) * job.tileRows);
}

// The one line an interrupted run leaves: what is there, and that the next run just works.
std::string interruption(const ConversionJob& job, const ConversionReport& report, const std::string& where) {
    return "interrupted: no map was made in " + where + "; " + std::to_string(report.tilesWritten) + " of " +
           tileTotal(job) + " tiles were put in place under " + layerFolderPath(job.folderName) +
           ", each whole, and " + indexFilePath(job.folderName) +
           " was not written. Run the same convert again to make the map.";
}

namespace {

const char* outcomeName(ConversionOutcome outcome) {
    switch (outcome) {
        case ConversionOutcome::Converted: return "converted";
        case ConversionOutcome::NoBitmap: return "no bitmap";
        case ConversionOutcome::SettingsRefused: return "settings refused";
        case ConversionOutcome::BitmapUnusable: return "bitmap refused";
        case ConversionOutcome::OutputFailed: return "output failed";
        case ConversionOutcome::OutOfMemory: return "out of memory";
        case ConversionOutcome::Interrupted: return "interrupted";
    }
    return "internal error";
}

// A dry run after the check step: where the map would go, and whether an existing map
// of the folder name would stop the run, as the write step finds it. Nothing is made.
int finishDryRun(const ConvertArguments& args, const ConversionJob& job, TerminalFeedback& feedback,
                 ConvertSummary& summary) {
    std::string path, reason;
    if (args.outputDir) {
        summary.outputFolder = *args.outputDir;
        if (!isFolder(*args.outputDir)) return kExitSuccess;  // a folder to be made holds no map yet
        if (!conversionFolderPath(*args.outputDir, path, reason)) return kExitSuccess;
    } else {
        path = conversionParentFolder(job.bitmapPath);  // as the run takes it, see openOutput
        summary.outputFolder = displayPath(path);
    }
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(path.c_str(), error);
    if (!output) return kExitSuccess;
    summary.outputFolder = displayPath(output->location());
    feedback.setOutputLocation(summary.outputFolder);
    std::string index = indexFilePath(job.folderName);
    summary.replacesMap = output->fileExists(index.c_str());
    if (summary.replacesMap && !args.overwrite) {
        feedback.showMessage(indexWriteMessage(IndexWriteResult::Exists), messages::kWarningCaption,
                             MessageIcon::Exclamation);
        feedback.noteExistingIndex(index.c_str());
        return kExitOutputFailed;
    }
    return kExitSuccess;
}

}  // namespace

int runConvert(const ConvertArguments& typed, const std::vector<std::string>& warnings) {
    ConvertArguments args = typed;
    CommandOutput out(args.quiet);
    for (const std::string& warning : warnings) out.warning(warning);
    ConversionJob job;
    ConvertSummary summary;
    summary.job = &job;
    summary.bitmap = args.bitmap;
    summary.dryRun = args.dryRun;
    // Every way out reports: the "Wrote …" line, a dry run's list, or the JSON object.
    auto finish = [&](int exitCode, const char* outcome) {
        summary.exitCode = exitCode;
        summary.outcome = outcome;
        summary.messages = out.messages();
        if (args.json) out.report(convertReportJson(summary));
        else if (!args.quiet) out.report(convertReportLines(summary));
        return out.finish(exitCode);
    };
    std::string autoError, autoNote;
    if (!resolveAutoExtents(args, autoError, autoNote)) {
        out.error(autoError);
        return finish(kExitUsage, "usage error");
    }
    if (!autoNote.empty()) out.note(autoNote);
    EncodeResult name = utf8ToCp932(args.name);
    if (name.status == EncodeStatus::InvalidUtf8) {
        out.error("--name is not valid UTF-8; nothing was written");
        return finish(kExitSettingsRefused, "settings refused");
    }
    if (name.status == EncodeStatus::NotInCp932) {
        out.error("--name: the character " + quoted(name.offending) +
                  " cannot be written in Shift-JIS (CP932), the encoding of the map files; "
                  "nothing was written");
        return finish(kExitSettingsRefused, "settings refused");
    }
    if (name.status == EncodeStatus::Control) {
        char codePoint[16];
        std::snprintf(codePoint, sizeof codePoint, "U+%04X", static_cast<unsigned>(utf8CodePoint(name.offending)));
        out.error("--name: the control character " + std::string(codePoint) +
                  " cannot be part of a map name; nothing was written");
        return finish(kExitSettingsRefused, "settings refused");
    }
    for (const std::string& warning : cutWarnings(name.bytes, args.folder)) out.warning(warning);

    TerminalFeedback feedback = out.makeFeedback(standardErrorIsTerminal());
    if (!acceptBitmap(args.bitmap, job, feedback, out)) {
        explainRefusedBitmap(args.bitmap, out);
        return finish(kExitBitmapRefused, "bitmap refused");
    }
    summary.bitmapAccepted = true;
    std::string slots = neighbourSlotWarning(job.tileColumns, job.tileRows);
    if (!slots.empty()) out.warning(slots);

    // Decide once: every check before anything is made, the output folder included.
    CheckedConversion checked;
    ConversionOutcome checkedOutcome =
        checkConversion(job, settingsTextFor(args, storedMapName(name.bytes)), feedback, checked);
    summary.settingsRead = checkedOutcome != ConversionOutcome::SettingsRefused &&
                           checkedOutcome != ConversionOutcome::NoBitmap;
    if (checkedOutcome == ConversionOutcome::OutOfMemory) out.error("out of memory");
    if (checkedOutcome == ConversionOutcome::BitmapUnusable) explainRefusedBitmap(args.bitmap, out);
    if (checkedOutcome != ConversionOutcome::Converted)
        return finish(exitCodeFor(checkedOutcome), outcomeName(checkedOutcome));
    if (args.dryRun) {
        int exitCode = finishDryRun(args, job, feedback, summary);
        return finish(exitCode, exitCode == kExitSuccess ? "checked" : "output failed");
    }
    std::unique_ptr<OutputFolder> output = openOutput(args, job, out);
    if (!output) return finish(kExitOutputFailed, "output failed");
    summary.outputFolder = displayPath(output->location());
    feedback.setOutputLocation(summary.outputFolder);
    feedback.setReplacing(args.overwrite);

    WriteOptions options;
    options.replaceExistingMap = args.overwrite;
    StopSignals signals;
    options.stopRequested = signals.flag();
    ConversionReport report = writeConversion(checked, *output, feedback, options);
    // A replacement that stopped after this run removed the old index leaves neither map
    // whole; one that stopped before left the old map as it was.
    const bool failed = report.outcome != ConversionOutcome::Converted;
    std::string replacement;
    if (failed && report.oldIndexRemoved)
        replacement = "the old map was being replaced: neither it nor the new one is whole now; "
                      "run the same convert with --overwrite again to finish the job";
    else if (failed && args.overwrite && output->fileExists(indexFilePath(job.folderName).c_str()))
        replacement = "the old map is untouched";
    if (report.outcome == ConversionOutcome::Interrupted) {
        out.failure(interruption(job, report, summary.outputFolder));
        if (!replacement.empty()) out.failure(replacement);
        return finish(signals.exitCode(), "interrupted");
    }
    if (!replacement.empty()) out.failure(replacement);
    summary.written = report.outcome == ConversionOutcome::Converted;
    return finish(exitCodeFor(report.outcome), outcomeName(report.outcome));
}

int runTessella(const std::vector<std::string>& args) {
    if (args.empty()) {
        // A first try without arguments gets the overview rather than a bare error.
        writeStandardError(helpText(""));
        return kExitUsage;
    }
    if (args[0] == "import") return runImportCommand(args);
    ParseResult parsed = parseCommandLine(args);
    if (!parsed.ok) {
        printError(parsed.error);
        std::string helpCommand = parsed.errorCommand.empty() ? "tessella --help"
                                                              : "tessella " + parsed.errorCommand + " --help";
        writeStandardError("Run '" + helpCommand + "' for usage.\n");
        return kExitUsage;
    }
    // Convert keeps its warnings with its other messages, for --quiet and --json.
    if (parsed.command.kind != CommandKind::Convert)
        for (const std::string& warning : parsed.warnings) printWarning(warning);
    switch (parsed.command.kind) {
        case CommandKind::Help: {
            CommandOutput out(false);
            out.report(helpText(parsed.command.helpTopic));
            return out.finish(kExitSuccess);
        }
        case CommandKind::Version: {
            CommandOutput out(false);
            out.report(versionText());
            return out.finish(kExitSuccess);
        }
        case CommandKind::Probe: return runProbe(parsed.command.probe);
        case CommandKind::Convert: return runConvert(parsed.command.convert, parsed.warnings);
        case CommandKind::Inspect: return runInspect(parsed.command.inspection);
        case CommandKind::Verify: return runVerify(parsed.command.inspection);
        case CommandKind::Preview: return runPreview(parsed.command.inspection);
    }
    return kExitInternalError;
}

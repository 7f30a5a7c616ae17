#include "MapConversion.h"

#include <cstdio>

#include "Encoding.h"
#include "ExitCodes.h"
#include "GridRule.h"
#include "IndexWriter.h"
#include "Messages.h"
#include "OutputPaths.h"
#include "Platform.h"
#include "Quoted.h"
#include "StopSignals.h"

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

}  // namespace

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

MapConversion::MapConversion(const MapRequest& request, const std::vector<std::string>& warnings)
    : request_(request), out_(request.quiet), feedback_(out_.makeFeedback(standardErrorIsTerminal(), request.progress)) {
    summary_.job = &job_;
    summary_.command = request.command;
    summary_.source = request.source;
    summary_.dryRun = request.dryRun;
    for (const std::string& warning : warnings) out_.warning(warning);
}

int MapConversion::finish(int exitCode, const char* outcome) {
    summary_.exitCode = exitCode;
    summary_.outcome = outcome;
    summary_.messages = out_.messages();
    if (request_.json) out_.report(convertReportJson(summary_));
    else if (!request_.quiet) out_.report(convertReportLines(summary_));
    return out_.finish(exitCode);
}

int MapConversion::acceptName() {
    EncodeResult name = utf8ToCp932(request_.name);
    std::string refusal;
    if (name.status == EncodeStatus::InvalidUtf8) {
        refusal = "--name is not valid UTF-8; nothing was written";
    } else if (name.status == EncodeStatus::NotInCp932) {
        refusal = "--name: the character " + quoted(name.offending) +
                  " cannot be written in Shift-JIS (CP932), the encoding of the map files; nothing was written";
    } else if (name.status == EncodeStatus::Control) {
        char codePoint[16];
        std::snprintf(codePoint, sizeof codePoint, "U+%04X", static_cast<unsigned>(utf8CodePoint(name.offending)));
        refusal = "--name: the control character " + std::string(codePoint) +
                  " cannot be part of a map name; nothing was written";
    }
    if (!refusal.empty()) {
        out_.error(refusal);
        return finish(kExitSettingsRefused, "settings refused");
    }
    for (const std::string& warning : cutWarnings(name.bytes, request_.folder)) out_.warning(warning);
    storedName_ = storedMapName(name.bytes);
    // Refused names are told before the picture is even looked at.
    if (SettingsError error = checkNames(storedName_, request_.folder); error != SettingsError::NoError) {
        feedback_.showMessage(settingsErrorMessage(error), messages::kNoCaption, MessageIcon::Information);
        return finish(kExitSettingsRefused, "settings refused");
    }
    return kExitSuccess;
}

// Where the map goes: the folder asked for, made if missing (only now, when the checks
// have passed, so a refused conversion leaves no empty folder behind), or the picture's
// own folder, as the dialog writes beside the bitmap. That folder is already in the file
// services' encoding: it is taken as it is, never converted again.
std::unique_ptr<OutputFolder> MapConversion::openOutput(const std::string& sourceFolder) {
    std::string path, shown, reason;
    if (request_.outputDir) {
        shown = *request_.outputDir;
        if (!isFolder(shown) && !makeFolders(shown, reason)) {
            out_.error("cannot make the output folder " + quoted(shown) + ": " + reason);
            return nullptr;
        }
        if (!conversionFolderPath(shown, path, reason)) {
            out_.error("cannot use the output folder " + quoted(shown) + ": " + reason);
            return nullptr;
        }
    } else {
        path = sourceFolder.empty() ? std::string(".") : sourceFolder;
        shown = displayPath(path);
    }
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(path.c_str(), error);
    if (!output) out_.error("cannot open the output folder " + quoted(shown) + ": " + systemErrorText(error));
    return output;
}

// A dry run after the check step: where the map would go, and whether an existing map
// of the folder name would stop the run, as the write step finds it. Nothing is made.
int MapConversion::finishDryRun(const std::string& sourceFolder) {
    std::string path, reason;
    if (request_.outputDir) {
        summary_.outputFolder = *request_.outputDir;
        if (!isFolder(*request_.outputDir)) return kExitSuccess;  // a folder to be made holds no map yet
        if (!conversionFolderPath(*request_.outputDir, path, reason)) return kExitSuccess;
    } else {
        path = sourceFolder.empty() ? std::string(".") : sourceFolder;  // as openOutput takes it
        summary_.outputFolder = displayPath(path);
    }
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(path.c_str(), error);
    if (!output) return kExitSuccess;
    summary_.outputFolder = displayPath(output->location());
    feedback_.setOutputLocation(summary_.outputFolder);
    std::string index = indexFilePath(job_.folderName);
    summary_.replacesMap = output->fileExists(index.c_str());
    if (summary_.replacesMap && !request_.overwrite) {
        feedback_.showMessage(indexWriteMessage(IndexWriteResult::Exists), messages::kWarningCaption,
                              MessageIcon::Exclamation);
        feedback_.noteExistingIndex(index.c_str());
        return kExitOutputFailed;
    }
    return kExitSuccess;
}

// The one line an interrupted run leaves: what is there, and that the next run just works.
std::string MapConversion::interruption(const ConversionReport& report) const {
    return "interrupted: no map was made in " + summary_.outputFolder + "; " + std::to_string(report.tilesWritten) +
           " of " + std::to_string(static_cast<int64_t>(job_.tileColumns) * job_.tileRows) +
           " tiles were put in place under " + layerFolderPath(job_.folderName) + ", each whole, and " +
           indexFilePath(job_.folderName) + " was not written. Run the same " + request_.command +
           " again to make the map.";
}

int MapConversion::run(const CheckStep& check, const std::string& sourceFolder) {
    summary_.bitmapAccepted = true;
    std::string slots = neighbourSlotWarning(job_.tileColumns, job_.tileRows);
    if (!slots.empty()) out_.warning(slots);

    // Decide once: every check before anything is made, the output folder included.
    CheckedConversion checked;
    ConversionOutcome checkedOutcome = check(checked);
    summary_.settingsRead =
        checkedOutcome != ConversionOutcome::SettingsRefused && checkedOutcome != ConversionOutcome::NoBitmap;
    if (checkedOutcome == ConversionOutcome::OutOfMemory) out_.error("out of memory");
    if (checkedOutcome != ConversionOutcome::Converted)
        return finish(exitCodeFor(checkedOutcome), outcomeName(checkedOutcome));
    if (*signals_.flag() != 0) {
        out_.failure("interrupted: nothing was written");
        return finish(signals_.exitCode(), "interrupted");
    }
    if (request_.dryRun) {
        int exitCode = finishDryRun(sourceFolder);
        return finish(exitCode, exitCode == kExitSuccess ? "checked" : "output failed");
    }
    std::unique_ptr<OutputFolder> output = openOutput(sourceFolder);
    if (!output) return finish(kExitOutputFailed, "output failed");
    summary_.outputFolder = displayPath(output->location());
    feedback_.setOutputLocation(summary_.outputFolder);
    feedback_.setReplacing(request_.overwrite);
    summary_.replacesMap = output->fileExists(indexFilePath(job_.folderName).c_str());

    WriteOptions options;
    options.replaceExistingMap = request_.overwrite;
    options.stopRequested = signals_.flag();
    ConversionReport report = writeConversion(checked, *output, feedback_, options);
    if (report.outcome == ConversionOutcome::OutputFailed && explainReadFailure_) {
        std::string why = explainReadFailure_();
        if (!why.empty()) out_.error(why);
    }
    // A replacement that stopped after this run removed the old index leaves neither map
    // whole; one that stopped before left the old map as it was.
    const bool failed = report.outcome != ConversionOutcome::Converted;
    std::string replacement;
    if (failed && report.oldIndexRemoved)
        replacement = "the old map was being replaced: neither it nor the new one is whole now; run the same " +
                      request_.command + " with --overwrite again to finish the job";
    else if (failed && request_.overwrite && output->fileExists(indexFilePath(job_.folderName).c_str()))
        replacement = "the old map is untouched";
    if (report.outcome == ConversionOutcome::Interrupted) {
        out_.failure(interruption(report));
        if (!replacement.empty()) out_.failure(replacement);
        return finish(signals_.exitCode(), "interrupted");
    }
    if (!replacement.empty()) out_.failure(replacement);
    summary_.written = report.outcome == ConversionOutcome::Converted;
    return finish(exitCodeFor(report.outcome), outcomeName(report.outcome));
}

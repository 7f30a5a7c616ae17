#pragma once
// A map made from a picture, the one way every command that makes one runs it: the map
// name checked before anything is worked out, the check step, then a dry run's look at the
// output folder or the write step into it, the messages of an interrupted or half-done
// replacement, and the report (the "Wrote …" line, a dry run's list, or one JSON object),
// with one table from outcome to exit code. convert and import differ only in how they
// make the job's grid and settings and the source of its pixels.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CommandOutput.h"
#include "Conversion.h"
#include "ConvertReport.h"
#include "StopSignals.h"

struct MapRequest {
    std::string command;       // "convert" or "import": named in messages and the report
    std::string source;        // the picture as typed
    std::string name;          // the map name as typed, UTF-8
    std::string folder;        // the folder name as typed
    std::optional<std::string> outputDir;  // as typed; else beside the picture
    bool overwrite = false;    // an existing map of the folder name is replaced
    bool dryRun = false;       // every check, nothing written
    bool json = false;         // one JSON object on standard output instead of the report
    bool quiet = false;        // nothing printed but failures
    ProgressStyle progress = ProgressStyle::TileCount;  // the progress line on a terminal
};

class MapConversion {
public:
    // warnings: the command line's, about values taken as they are.
    MapConversion(const MapRequest& request, const std::vector<std::string>& warnings);

    CommandOutput& out() { return out_; }
    TerminalFeedback& feedback() { return feedback_; }
    ConversionJob& job() { return job_; }
    ConvertSummary& summary() { return summary_; }

    // Encodes and checks the map name (exit 4 before anything is worked out or printed)
    // and warns of texts that will be cut. kExitSuccess, or the refusal's exit code once
    // finish() has reported it.
    int acceptName();
    // The map name as the index keeps it, in code page 932, once accepted.
    const std::string& storedName() const { return storedName_; }

    // Reports and returns the exit code: every way out of the command goes through here.
    int finish(int exitCode, const char* outcome);

    // The check step (the job's grid is set), then, unless a stop was asked for meanwhile,
    // the dry run or the write step into the
    // output folder: --output-dir, or sourceFolder (the picture's folder in the file
    // services' encoding; "" for the current folder). Returns the exit code, reported.
    using CheckStep = std::function<ConversionOutcome(CheckedConversion&)>;
    int run(const CheckStep& check, const std::string& sourceFolder);

    // What a source that failed to read says, after the write step's warning.
    void explainReadFailure(std::function<std::string()> explain) { explainReadFailure_ = std::move(explain); }

private:
    std::unique_ptr<OutputFolder> openOutput(const std::string& sourceFolder);
    int finishDryRun(const std::string& sourceFolder);
    std::string interruption(const ConversionReport& report) const;

    MapRequest request_;
    StopSignals signals_;  // from the start: a stop at any moment is heard
    CommandOutput out_;
    TerminalFeedback feedback_;
    ConversionJob job_;
    ConvertSummary summary_;
    std::string storedName_;
    std::function<std::string()> explainReadFailure_;
};

int exitCodeFor(ConversionOutcome outcome);

// The map name as the index keeps it: at most 32 bytes, cut between two characters.
std::string storedMapName(const std::string& cp932Name);

// Warnings for texts longer than their fields, which are cut, and for a map name whose
// 16 bytes in the tile headers end inside a character.
std::vector<std::string> cutWarnings(const std::string& cp932Name, const std::string& folder);

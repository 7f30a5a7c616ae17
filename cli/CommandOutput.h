#pragma once
// Where a command's words go. Its report goes to standard output (a failure to write it
// is an error of its own); its messages, the conversion's and its own "tessella:" lines,
// go to standard error, and every one of them is kept for --json. With --quiet only the
// failures are printed.

#include <string>
#include <string_view>
#include <vector>

#include "TerminalFeedback.h"

// A "tessella: error:" or "tessella: warning:" line on standard error, for commands that
// keep no messages for --json or --quiet.
void printError(const std::string& text);
void printWarning(const std::string& text);

class CommandOutput {
public:
    explicit CommandOutput(bool quiet) : quiet_(quiet) {}

    void error(const std::string& text) { show("tessella: error: " + text, true); }
    void warning(const std::string& text) { show("tessella: warning: " + text, false); }
    void hint(const std::string& text) { show("tessella: hint: " + text, false); }
    void note(const std::string& text) { show("tessella: " + text, false); }
    // A "tessella:" line about a failure, printed even with --quiet.
    void failure(const std::string& text) { show("tessella: " + text, true); }

    // The conversion's messages, on a terminal feedback that reports to this output.
    // Only the success message counts as no failure.
    TerminalFeedback makeFeedback(bool drawProgress, ProgressStyle style = ProgressStyle::TileCount);

    // Standard output. Nothing more is written once a write failed.
    void report(std::string_view text);
    bool reportFailed() const { return reportFailed_; }
    // The exit code, or 1 after a failed report, which is then told on standard error.
    int finish(int exitCode);

    bool quiet() const { return quiet_; }
    // Every message, as printed or as --quiet kept it back.
    const std::vector<std::string>& messages() const { return messages_; }

private:
    void show(const std::string& line, bool failure);

    bool quiet_;
    bool reportFailed_ = false;
    std::vector<std::string> messages_;
};

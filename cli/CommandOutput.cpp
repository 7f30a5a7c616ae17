#include "CommandOutput.h"

#include "ExitCodes.h"
#include "Platform.h"

void printError(const std::string& text) { writeStandardError("tessella: error: " + text + "\n"); }
void printWarning(const std::string& text) { writeStandardError("tessella: warning: " + text + "\n"); }

void CommandOutput::show(const std::string& line, bool failure) {
    messages_.push_back(line);
    if (failure || !quiet_) writeStandardError(line + "\n");
}

TerminalFeedback CommandOutput::makeFeedback(bool drawProgress, ProgressStyle style) {
    TerminalFeedback feedback(writeStandardError, drawProgress && !quiet_, style);
    feedback.recordMessagesIn(messages_);
    if (quiet_) feedback.hideSuccess();
    return feedback;
}

void CommandOutput::report(std::string_view text) {
    if (reportFailed_) return;
    if (!writeStandardOutput(text)) reportFailed_ = true;
}

int CommandOutput::finish(int exitCode) {
    if (!reportFailed_) return exitCode;
    show("tessella: error: cannot write to standard output", true);
    return kExitInternalError;
}

#include "TerminalFeedback.h"

#include <cstring>

#include "Encoding.h"
#include "Platform.h"
#include "Messages.h"

std::string TerminalFeedback::formatMessage(const char* text, const char* caption) {
    std::string line = cp932ToUtf8(caption);
    if (!line.empty()) line += ": ";
    line += cp932ToUtf8(text);
    return line;
}

void TerminalFeedback::showMessage(const char* text, const char* caption, MessageIcon) {
    std::string line = formatMessage(text, caption);
    if (record_ != nullptr) record_->push_back(line);
    ++messagesShown_;
    if (hideSuccess_ && std::strcmp(text, messages::kSuccess) == 0) return;
    progress_.finish();
    errorOutput_(line + "\n");
}

void TerminalFeedback::showProgress(int32_t tilesWritten, int32_t tileCount) {
    progress_.update(tilesWritten, tileCount);
}

// The file a warning was about, and the system's reason: scripts and people can act on it.
void TerminalFeedback::noteFailedFile(const char* path, int systemError) {
    std::string line = "tessella: " + displayPath(path);
    if (systemError != 0) line += ": " + systemErrorText(systemError);
    printNote(line, true);
}

void TerminalFeedback::noteExistingIndex(const char* path) {
    std::string where = outputLocation_.empty() ? std::string() : " in " + outputLocation_;
    if (replacing_) {
        // Replacing, the run stops only where another run holds the map.
        printNote("tessella: " + displayPath(path) + where +
                      " is being written by another tessella; run again once it has finished",
                  true);
        return;
    }
    printNote("tessella: " + displayPath(path) + " already exists" + where +
                  ": a map of this folder name is there (or another tessella is writing it); "
                  "--overwrite replaces the map",
              true);
}

void TerminalFeedback::noteLeftInPlace(const char* path) {
    printNote("tessella: warning: " + displayPath(path) + " is not part of a map; it was left where it is", false);
}

void TerminalFeedback::printNote(const std::string& line, bool failure) {
    if (record_ != nullptr) record_->push_back(line);
    if (hideSuccess_ && !failure) return;
    progress_.finish();
    errorOutput_(line + "\n");
}

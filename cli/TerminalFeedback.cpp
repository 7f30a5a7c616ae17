#include "TerminalFeedback.h"

#include <cstring>

#include "Encoding.h"
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
    endProgressLine();
    errorOutput_(line + "\n");
}

void TerminalFeedback::showProgress(int32_t tilesWritten, int32_t tileCount) {
    if (!drawProgress_ || tileCount <= 0) return;
    int percent = static_cast<int>(100LL * tilesWritten / tileCount);
    bool last = tilesWritten >= tileCount;
    // Redrawn when the percentage moves, so a map of many tiles does not flood the terminal.
    if (percent == lastPercent_ && !last) return;
    lastPercent_ = percent;
    errorOutput_("\rWriting tiles: " + std::to_string(tilesWritten) + " of " +
                 std::to_string(tileCount) + " (" + std::to_string(percent) + "%)");
    progressLineOpen_ = true;
    if (last) endProgressLine();
}

void TerminalFeedback::endProgressLine() {
    if (!progressLineOpen_) return;
    errorOutput_("\n");
    progressLineOpen_ = false;
    lastPercent_ = -1;
}

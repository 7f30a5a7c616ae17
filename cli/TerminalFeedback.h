#pragma once
// The conversion's messages on a terminal: each printed with its caption on standard
// error, code page 932 texts shown in UTF-8; the cursor calls do nothing; a progress line
// only when standard error is a terminal.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ProgressLine.h"
#include "UserFeedback.h"

class TerminalFeedback : public UserFeedback {
public:
    using Sink = std::function<void(std::string_view utf8)>;

    TerminalFeedback(Sink errorOutput, bool drawProgress, ProgressStyle style = ProgressStyle::TileCount)
        : errorOutput_(std::move(errorOutput)), progress_(errorOutput_, drawProgress, style) {}

    void showMessage(const char* text, const char* caption, MessageIcon icon) override;
    void showWaitCursor() override {}
    void showArrowCursor() override {}
    void showProgress(int32_t tilesWritten, int32_t tileCount) override;
    void noteFailedFile(const char* path, int systemError) override;
    void noteExistingIndex(const char* path) override;
    void noteLeftInPlace(const char* path) override;

    // The output folder as the user should read it, for the lines about its files.
    void setOutputLocation(std::string location) { outputLocation_ = std::move(location); }
    // The run replaces an existing map (--overwrite).
    void setReplacing(bool replacing) { replacing_ = replacing; }

    // The line printed for a message: "Caption: text", or the text alone when the
    // caption is empty; both converted from code page 932.
    static std::string formatMessage(const char* text, const char* caption);

    int messagesShown() const { return messagesShown_; }

    // Every message from now on is also added to list, printed or not.
    void recordMessagesIn(std::vector<std::string>& list) { record_ = &list; }
    // The success message and warnings are not printed (--quiet): only failures are.
    void hideSuccess() { hideSuccess_ = true; }

private:
    // A "tessella:" line after a message: recorded, and printed unless it is no failure
    // and only failures are.
    void printNote(const std::string& line, bool failure);

    Sink errorOutput_;
    ProgressLine progress_;
    int messagesShown_ = 0;
    std::string outputLocation_;
    bool replacing_ = false;
    std::vector<std::string>* record_ = nullptr;
    bool hideSuccess_ = false;
};

#pragma once
// A UserFeedback that remembers every message and cursor change, for the tests.

#include <string>
#include <vector>

#include "UserFeedback.h"

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

class RecordingFeedback : public UserFeedback {
public:
    void showMessage(const char* text, const char* caption, MessageIcon icon) override {
        messages.push_back({text, caption, icon});
        events.push_back("message");
    }
    void showWaitCursor() override { events.push_back("wait"); }
    void showArrowCursor() override { events.push_back("arrow"); }
    void showProgress(int32_t tilesWritten, int32_t tileCount) override {
        lastProgress = tilesWritten;
        progressTotal = tileCount;
    }

    std::vector<ShownMessage> messages;
    std::vector<std::string> events;  // "message", "wait", "arrow" in the order they came
    int32_t lastProgress = 0;
    int32_t progressTotal = 0;
};

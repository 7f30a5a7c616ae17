#pragma once
// How the conversion reaches the user: messages and the busy cursor. The dialog shows
// message boxes; the command line prints to the terminal.

#include <cstdint>

enum class MessageIcon { Information, Exclamation };

class UserFeedback {
public:
    virtual ~UserFeedback() = default;

    // Shows the text (zero-terminated bytes in the ANSI code page) and returns when the
    // user has acknowledged it. The caption may be empty but is never null.
    virtual void showMessage(const char* text, const char* caption, MessageIcon icon) = 0;
    virtual void showWaitCursor() = 0;
    virtual void showArrowCursor() = 0;

    // Called by the tile writer after each finished tile file. The dialog ignores it;
    // the command line draws a progress line on a terminal.
    virtual void showProgress(int32_t tilesWritten, int32_t tileCount) {
        (void)tilesWritten;
        (void)tileCount;
    }
};

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

    // Details that follow a message already shown, for those who can show more than the
    // dialog's message boxes (the dialog ignores them; the command line prints them).
    // The file an output warning is about (relative to the output folder; for the
    // bitmap, its path) and the system's error code, 0 when the system reported none.
    virtual void noteFailedFile(const char* path, int systemError) {
        (void)path;
        (void)systemError;
    }
    // The index that stopped the run with the same-name warning.
    virtual void noteExistingIndex(const char* path) { (void)path; }
    // A file or folder found where an old map was being replaced that is no part of a
    // map: it is left where it is.
    virtual void noteLeftInPlace(const char* path) { (void)path; }
};

// The conversion's messages and progress as the terminal shows them.

#include <gtest/gtest.h>

#include "Messages.h"
#include "TerminalFeedback.h"

namespace {

struct Terminal {
    std::string written;
    TerminalFeedback::Sink sink() {
        return [this](std::string_view text) { written += text; };
    }
};

TEST(TerminalFeedback, MessagesCarryTheirCaptionAndShowInUtf8) {
    struct Case {
        const char* text;
        const char* caption;
        std::string line;
    };
    const Case cases[] = {
        {messages::kCannotFindBitmap, messages::kWarningCaption,
         "Warning: Error : Cannot find bmp-file\n"},
        {messages::kSuccess, messages::kNoCaption, "SUCCESS : File convert finish.\n"},
        {messages::kNot24Bit, messages::kWarningCaption,
         "Warning: This software support 24bpp color.\nThis file is not 24bpp.\n"},
        {messages::kCannotCreateOutput, messages::kWarningCaption,
         "Warning: \xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xEF\xBC\x9A\xE5\x87\xBA\xE5\x8A\x9B\xE3\x83"
         "\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\xAE\xE4\xBD\x9C\xE6\x88\x90\xE3\x81\xAB"
         "\xE5\xA4\xB1\xE6\x95\x97\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\n"},
    };
    for (const Case& c : cases) {
        Terminal terminal;
        TerminalFeedback feedback(terminal.sink(), true);
        feedback.showWaitCursor();
        feedback.showMessage(c.text, c.caption, MessageIcon::Exclamation);
        feedback.showArrowCursor();
        EXPECT_EQ(terminal.written, c.line);
        EXPECT_EQ(feedback.messagesShown(), 1);
    }
}

TEST(TerminalFeedback, NoProgressWhenNotATerminal) {
    Terminal terminal;
    TerminalFeedback feedback(terminal.sink(), false);
    for (int tile = 1; tile <= 9; ++tile) feedback.showProgress(tile, 9);
    feedback.showMessage(messages::kSuccess, messages::kNoCaption, MessageIcon::Information);
    EXPECT_EQ(terminal.written, "SUCCESS : File convert finish.\n");
}

TEST(TerminalFeedback, ProgressLineIsRedrawnAndEndedBeforeTheNextMessage) {
    Terminal terminal;
    TerminalFeedback feedback(terminal.sink(), true);
    feedback.showProgress(1, 4);
    feedback.showProgress(2, 4);
    EXPECT_EQ(terminal.written, "\rWriting tiles: 1 of 4 (25%)\rWriting tiles: 2 of 4 (50%)");
    // A writer's warning in the middle starts on a line of its own.
    feedback.showMessage(messages::kCannotCreateOutput, messages::kWarningCaption,
                         MessageIcon::Exclamation);
    const std::string before = "\rWriting tiles: 1 of 4 (25%)\rWriting tiles: 2 of 4 (50%)\nWarning: ";
    EXPECT_EQ(terminal.written.substr(0, before.size()), before);

    Terminal finished;
    TerminalFeedback complete(finished.sink(), true);
    for (int tile = 1; tile <= 3; ++tile) complete.showProgress(tile, 3);
    complete.showMessage(messages::kSuccess, messages::kNoCaption, MessageIcon::Information);
    EXPECT_EQ(finished.written,
              "\rWriting tiles: 1 of 3 (33%)\rWriting tiles: 2 of 3 (66%)"
              "\rWriting tiles: 3 of 3 (100%)\nSUCCESS : File convert finish.\n");
}

TEST(TerminalFeedback, ManyTilesRedrawOncePerPercent) {
    Terminal terminal;
    TerminalFeedback feedback(terminal.sink(), true);
    for (int tile = 1; tile <= 12000; ++tile) feedback.showProgress(tile, 12000);
    size_t redraws = 0;
    for (char c : terminal.written) redraws += c == '\r';
    EXPECT_EQ(redraws, 101u);  // 0% (the first tiles) to 100%
    EXPECT_EQ(terminal.written.back(), '\n');
}

}  // namespace

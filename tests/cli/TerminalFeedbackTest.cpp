// The conversion's messages and progress as the terminal shows them.

#include <gtest/gtest.h>

#include "Messages.h"
#include "ProgressLine.h"
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

TEST(ProgressLine, WhatEachStyleSays) {
    struct Case {
        ProgressStyle style;
        int64_t done, total;
        double elapsed;
        std::string text;
    };
    const Case cases[] = {
        {ProgressStyle::TileCount, 2, 4, 9.0, "Writing tiles: 2 of 4 (50%)"},
        {ProgressStyle::TileCount, 1, 3, 0.0, "Writing tiles: 1 of 3 (33%)"},
        {ProgressStyle::TimeLeft, 42, 100, 42.0, "tessella: 42% written, 58 s left\x1b[K"},
        {ProgressStyle::TimeLeft, 1, 3, 0.5, "tessella: 33% written, 1 s left\x1b[K"},  // rounded up
        {ProgressStyle::TimeLeft, 0, 100, 5.0, "tessella: 0% written\x1b[K"},
        {ProgressStyle::TimeLeft, 1, 1000, 5.0, "tessella: 0% written\x1b[K"},  // too early to tell
        {ProgressStyle::TimeLeft, 100, 100, 5.0, "tessella: 100% written\x1b[K"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressLine::text(c.style, c.done, c.total, c.elapsed), c.text) << c.done << " of " << c.total;
}

TEST(ProgressLine, EndsOnceWhenDoneWhateverEndsItNext) {
    Terminal terminal;
    {
        ProgressLine line(terminal.sink(), true, ProgressStyle::TimeLeft);
        line.update(0, 2);
        line.update(0, 2);  // the same percentage is not drawn again
        line.update(2, 2);
        line.finish();
    }
    EXPECT_EQ(terminal.written, "\rtessella: 0% written\x1b[K\rtessella: 100% written\x1b[K\n");

    Terminal interrupted;
    {
        ProgressLine line(interrupted.sink(), true, ProgressStyle::TimeLeft);
        line.update(0, 2);
        ProgressLine moved(std::move(line));
    }
    EXPECT_EQ(interrupted.written, "\rtessella: 0% written\x1b[K\n") << "ended by the line it moved to, once";

    Terminal piped;
    {
        ProgressLine line(piped.sink(), false);
        line.update(1, 2);
    }
    EXPECT_EQ(piped.written, "");
}

}  // namespace

// When a run without arguments waits for a key: only alone on a console of its own, with
// nothing redirected.

#include <gtest/gtest.h>

#include "ConsoleStart.h"

namespace {

struct Case {
    const char* how;
    ConsoleFacts facts;
    bool waits;
};

TEST(ConsoleStart, WaitsOnlyAloneOnItsOwnConsoleWithNothingRedirected) {
    const Case cases[] = {
        {"double-clicked in Explorer", {1, true, true, true}, true},
        {"from cmd, which shares its console", {2, true, true, true}, false},
        {"from a batch file run by cmd", {3, true, true, true}, false},
        {"no console at all", {0, false, false, false}, false},
        {"own console, input redirected", {1, false, true, true}, false},
        {"own console, output redirected", {1, true, false, true}, false},
        {"own console, error redirected", {1, true, true, false}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(waitsBeforeClosing(c.facts), c.waits) << c.how;
}

}  // namespace

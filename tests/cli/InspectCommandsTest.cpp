#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

TEST(InspectionCommandLine, ReadsTheArgumentsOrSaysWhatIsWrong) {
    struct Case {
        std::vector<std::string> args;
        std::string error;  // "" when the line is read
        CommandKind kind;
        int32_t scale;
        bool json, compare;
    };
    const Case cases[] = {
        {{"inspect", "a.vlm", "--json"}, "", CommandKind::Inspect, 1, true, false},
        {{"verify", "a.vlm"}, "", CommandKind::Verify, 1, false, false},
        {{"preview", "a.vlm", "-o", "a.png", "--scale", "160"}, "", CommandKind::Preview, 160, false, false},
        {{"preview", "a.vlm", "-o=a.png", "--scale=4"}, "", CommandKind::Preview, 4, false, false},
        {{"preview", "a.vlm", "--scale", "4"}, "missing -o", CommandKind::Help, 0, false, false},
        {{"preview", "a.vlm", "-o", "a.png", "--scale", "0"}, "--scale: \"0\" is not a whole number from 1 to 160", CommandKind::Help, 0, false, false},
        {{"preview", "a.vlm", "-o", "a.png", "--scale", "161"}, "--scale: \"161\" is not a whole number from 1 to 160", CommandKind::Help, 0, false, false},
        {{"preview", "a.vlm", "-o", "a.png", "--scale", "-4"}, "--scale: \"-4\" is not a whole number from 1 to 160", CommandKind::Help, 0, false, false},
        {{"preview", "a.vlm", "-o", ""}, "-o: the file name is empty", CommandKind::Help, 0, false, false},
        {{"verify"}, "missing INDEX (the map's index file, FOLDER.vlm)", CommandKind::Help, 0, false, false},
        {{"inspect", "a.vlm", "--json=yes"}, "--json takes no value", CommandKind::Help, 0, false, false},
    };
    for (const Case& c : cases) {
        ParseResult result = parseCommandLine(c.args);
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        EXPECT_EQ(result.ok, c.error.empty()) << result.error;
        if (!result.ok) {
            EXPECT_EQ(result.error, c.error);
            EXPECT_EQ(result.errorCommand, c.args[0]);
            continue;
        }
        EXPECT_EQ(result.command.kind, c.kind);
        EXPECT_EQ(result.command.inspection.scale, c.scale);
        EXPECT_EQ(result.command.inspection.json, c.json);
        EXPECT_EQ(result.command.inspection.compare, c.compare);
    }
}

}  // namespace

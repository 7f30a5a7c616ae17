#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

TEST(InspectionCommandLine, ReadsTheArgumentsOrSaysWhatIsWrong) {
    struct Case {
        std::vector<std::string> args;
        std::string error;  // "" when the line is read
        int32_t scale;
        bool json, compare;
    };
    const Case cases[] = {
        {{"inspect", "a.vlm", "--json"}, "", 1, true, false},
        {{"verify", "a.vlm"}, "", 1, false, false},
        {{"preview", "a.vlm", "-o", "a.png", "--scale", "160"}, "", 160, false, false},
        {{"preview", "a.vlm", "-o=a.png", "--scale=4"}, "", 4, false, false},
        {{"preview", "a.bmp", "-o=a.png", "--compare"}, "", 1, false, true},
        {{"preview", "a.vlm", "--scale", "4"}, "missing -o", 0, false, false},
        {{"preview", "a.vlm", "-o", "a.png", "--scale", "0"}, "--scale: \"0\" is not a whole number from 1 to 160", 0, false, false},
        {{"preview", "a.vlm", "-o", "a.png", "--scale", "161"}, "--scale: \"161\" is not a whole number from 1 to 160", 0, false, false},
        {{"preview", "a.vlm", "-o", "a.png", "--scale", "-4"}, "--scale: \"-4\" is not a whole number from 1 to 160", 0, false, false},
        {{"preview", "a.vlm", "-o", ""}, "-o: the file name is empty", 0, false, false},
        {{"verify"}, "missing INDEX (the map's index file, FOLDER.vlm)", 0, false, false},
        {{"inspect", "a.vlm", "--json=yes"}, "--json takes no value", 0, false, false},
    };
    using Options = void (*)(OptionTable&, InspectionArguments&);
    const std::pair<std::string, Options> optionsOf[] = {
        {"inspect", inspectOptions}, {"verify", verifyOptions}, {"preview", previewOptions}};
    for (const Case& c : cases) {
        ParseResult result = parseCommandLine(c.args);
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        EXPECT_EQ(result.ok, c.error.empty()) << result.error;
        if (!result.ok) {
            EXPECT_EQ(result.error, c.error);
            EXPECT_EQ(result.errorCommand, c.args[0]);
            continue;
        }
        ASSERT_NE(result.command, nullptr);
        EXPECT_EQ(result.command->name, c.args[0]);
        // The same line through the command's own options, to see what they read.
        InspectionArguments read;
        OptionTable table;
        for (const auto& [name, options] : optionsOf)
            if (name == c.args[0]) options(table, read);
        EXPECT_EQ(table.read(c.args, 1).outcome, OptionTable::Outcome::Read);
        EXPECT_EQ(read.file, c.args[1]);
        EXPECT_EQ(read.scale, c.scale);
        EXPECT_EQ(read.json, c.json);
        EXPECT_EQ(read.compare, c.compare);
    }
}

}  // namespace

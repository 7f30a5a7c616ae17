// A command's table of options: values, flags, checks, and where help is asked for.

#include <gtest/gtest.h>

#include "OptionTable.h"

namespace {

// A command with one positional argument, two checked options and a flag.
struct Command {
    std::string input, count, size;
    bool json = false;
    int checksRun = 0;
    OptionTable table;

    Command() {
        table.positional("IN", "the input", input);
        table.value("--count", count).check([this](const std::string& value, std::vector<std::string>& warnings) {
            ++checksRun;
            if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos)
                return std::string("not a number");
            if (value.size() > 1) warnings.push_back(value + " is a lot");
            return std::string();
        });
        table.value("--size", size).required().check([this](const std::string& value, std::vector<std::string>&) {
            ++checksRun;
            return value == "huge" ? std::string("too big") : std::string();
        });
        table.flag("--json", json);
    }
};

struct ReadCase {
    std::vector<std::string> args;  // after the command's name
    OptionTable::Outcome outcome;
    std::string error;  // the whole error, or the warnings joined by '|'
    std::string input = "";
    std::string count = "";
};

using Outcome = OptionTable::Outcome;

TEST(OptionTable, ReadsValuesFlagsAndChecksThem) {
    const ReadCase cases[] = {
        {{"in", "--size", "1"}, Outcome::Read, "", "in"},
        {{"--size=1", "--count=7", "in"}, Outcome::Read, "", "in", "7"},
        {{"in", "--size", "1", "--count", "42"}, Outcome::Read, "--count: 42 is a lot", "in", "42"},
        // -h and --help as values are those values; where an option may stand, help.
        {{"in", "--size", "1", "--count", "-h"}, Outcome::Refused, "--count: not a number", "in", "-h"},
        {{"in", "--size=-h"}, Outcome::Read, "", "in"},
        {{"in", "--size", "1", "--count=--help"}, Outcome::Refused, "--count: not a number", "in", "--help"},
        {{"--", "-h", "--size", "1"}, Outcome::Refused, "unexpected argument \"--size\"", "-h"},
        {{"--size", "1", "--", "-h"}, Outcome::Read, "", "-h"},
        {{"in", "--count", "--help"}, Outcome::HelpAsked, ""},
        {{"in", "--bogus", "-h"}, Outcome::HelpAsked, ""},
        {{"in", "extra", "--help"}, Outcome::HelpAsked, ""},
        // Mistakes: the first one in the line is told.
        {{"in", "--size", "1", "--json=yes"}, Outcome::Refused, "--json takes no value"},
        {{"in", "--size", "1", "--json", "--json"}, Outcome::Refused, "--json is given more than once"},
        {{"in", "--colour", "red", "--size"}, Outcome::Refused, "unknown option \"--colour\""},
        {{"in", "--size"}, Outcome::Refused, "--size needs a value"},
        {{"in", "--size", "--count", "1"}, Outcome::Refused, "--size needs a value"},
        {{"--size", "1"}, Outcome::Refused, "missing IN (the input)"},
        {{"", "--size", "1"}, Outcome::Refused, "missing IN (the input)"},
        {{"in", "--count", "1"}, Outcome::Refused, "missing --size"},
        {{"in", "--size", "1", "more"}, Outcome::Refused, "unexpected argument \"more\""},
        // Checks run in the table's order, whatever the order typed.
        {{"in", "--size", "huge", "--count", "x"}, Outcome::Refused, "--count: not a number"},
        {{"in", "--size", "huge"}, Outcome::Refused, "--size: too big"},
    };
    for (const ReadCase& c : cases) {
        std::string line;
        for (const std::string& arg : c.args) line += arg + " ";
        SCOPED_TRACE(line);
        Command command;
        std::vector<std::string> args = {"cmd"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        OptionTable::Reading reading = command.table.read(args, 1);
        EXPECT_EQ(reading.outcome, c.outcome);
        std::string warnings;
        for (const std::string& w : reading.warnings) warnings += (warnings.empty() ? "" : "|") + w;
        EXPECT_EQ(c.outcome == Outcome::Refused ? reading.error : warnings, c.error);
        if (c.outcome == Outcome::Refused) {
            EXPECT_TRUE(reading.warnings.empty());
        }
        if (c.outcome == Outcome::Read || !c.input.empty()) {
            EXPECT_EQ(command.input, c.input);
            EXPECT_EQ(command.count, c.count);
        }
    }
}

TEST(OptionTable, ChecksRunOnlyForOptionsGiven) {
    Command command;
    OptionTable::Reading reading = command.table.read({"cmd", "in", "--size", "1", "--json"}, 1);
    EXPECT_EQ(reading.outcome, Outcome::Read);
    EXPECT_TRUE(command.json);
    EXPECT_EQ(command.checksRun, 1);  // --size's; --count was not given
}

// An option given any number of times: every value kept in order, each checked, a
// forgotten value still told.
TEST(OptionTable, RepeatedOptionKeepsEveryValueAndChecksEach) {
    struct {
        std::vector<std::string> args;
        std::string error;
        std::vector<std::string> values;
        int checks;
    } const cases[] = {
        {{"in"}, "", {}, 0},
        {{"in", "--point", "a", "--point=b", "--point", "c"}, "", {"a", "b", "c"}, 3},
        {{"in", "--point", "a", "--point", "bad", "--point", "bad"}, "--point: \"bad\" is refused", {}, 2},
        {{"in", "--point", "a", "--point"}, "--point needs a value", {}, 0},
        {{"in", "--point", "a", "--only", "1", "--only", "2"}, "--only is given more than once", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.size());
        std::string input, only;
        std::vector<std::string> points;
        int checks = 0;
        OptionTable table;
        table.positional("IN", "the input", input);
        table.values("--point", points).valueName("P").check([&checks](const std::string& value,
                                                                       std::vector<std::string>&) {
            ++checks;
            return value == "bad" ? std::string("\"bad\" is refused") : std::string();
        });
        table.value("--only", only);
        std::vector<std::string> args = {"cmd"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        OptionTable::Reading reading = table.read(args, 1);
        EXPECT_EQ(reading.error, c.error);
        EXPECT_EQ(checks, c.checks);
        EXPECT_TRUE(table.options().front().isRepeatable());
        EXPECT_TRUE(table.options().front().takesValue());
        if (c.error.empty()) {
            EXPECT_EQ(points, c.values);
        }
    }
}

// Options that need or exclude one another, an optional operand with a check, and what
// asks for GDAL.
struct Related {
    std::string topic, a, b, c, d, e, f, mode, picture;
    bool g = false, raw = false;
    OptionTable table;

    Related() {
        table.positional("TOPIC", "the topic", topic).optional().check([](const std::string& value,
                                                                          std::vector<std::string>&) {
            return value == "bad" ? std::string("no topic \"bad\"") : std::string();
        }).needsGdalWhen([](const std::string& value) { return value == "tif" ? "the topic tif" : std::string(); });
        table.value("--a", a).requiresOption("--b");
        table.value("--b", b).requiresOption("--a");
        table.value("--c", c).requiresOption("--a");
        table.value("--d", d).excludes("--b", "--b says otherwise");
        table.flag("--g", g).excludes("--f");
        table.value("--e", e).requiredUnless("--f");
        table.value("--f", f);
        table.value("--mode", mode).check([](const std::string& value, std::vector<std::string>&) {
            return value == "bad" ? std::string("not a mode") : std::string();
        });
        table.value("--picture", picture).needsGdalWhenGiven();
        table.flag("--raw", raw).needsGdalWhenGiven();
    }
};

struct RelationCase {
    std::vector<std::string> args;  // after the command's name
    std::string error;              // "" when read
    std::string needsGdal = "";
};

TEST(OptionTable, OptionsNeedOrExcludeOneAnother) {
    const RelationCase cases[] = {
        {{"--e", "1"}, ""},
        {{"--f", "1"}, ""},
        {{"topic", "--e", "1", "--a", "1", "--b", "2", "--c", "3"}, ""},
        {{}, "--e is required (unless --f is given)"},
        {{"--e", "1", "--a", "1"}, "--a and --b go together"},
        {{"--e", "1", "--b", "1"}, "--b and --a go together"},
        {{"--e", "1", "--c", "1"}, "--c needs --a"},
        {{"--e", "1", "--a", "1", "--b", "1", "--d", "1"}, "--d does not go with --b: --b says otherwise"},
        {{"--f", "1", "--g"}, "--g does not go with --f"},
        {{"--e", "1", "--d", "1"}, ""},
        // The operand's check tells its reason as it is, before the options' checks.
        {{"bad", "--e", "1", "--mode", "bad"}, "no topic \"bad\""},
        {{"--e", "1", "--mode", "bad"}, "--mode: not a mode"},
        {{"--e", "1", "--mode=auto"}, ""},
        // Options that ask for GDAL whatever their value, and an operand that may: the
        // options are told first, and nothing is told of a line refused.
        {{"--e", "1", "--picture", "x"}, "", "--picture"},
        {{"--e", "1", "--raw"}, "", "--raw"},
        {{"tif", "--e", "1"}, "", "the topic tif"},
        {{"png", "--e", "1"}, "", ""},
        {{"tif", "--e", "1", "--picture", "x"}, "", "--picture"},
        {{"tif", "--raw"}, "--e is required (unless --f is given)"},
        {{"--e", "1", "--raw", "--mode", "bad"}, "--mode: not a mode"},
        // Relations are told before checks, and help still wins over both.
        {{"--a", "1", "--mode", "bad"}, "--e is required (unless --f is given)"},
    };
    for (const RelationCase& c : cases) {
        std::string line;
        for (const std::string& arg : c.args) line += arg + " ";
        SCOPED_TRACE(line);
        Related command;
        std::vector<std::string> args = {"cmd"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        OptionTable::Reading reading = command.table.read(args, 1);
        EXPECT_EQ(reading.outcome, c.error.empty() ? Outcome::Read : Outcome::Refused);
        EXPECT_EQ(reading.error, c.error);
        EXPECT_EQ(reading.needsGdal, c.needsGdal);
        args.push_back("--help");
        EXPECT_EQ(Related().table.read(args, 1).outcome, Outcome::HelpAsked);
    }
}

}  // namespace

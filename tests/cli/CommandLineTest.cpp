// Reading the command line: what is accepted, what each mistake is told.

#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

std::vector<std::string> convertArgs(std::vector<std::string> changes = {}) {
    std::vector<std::string> args = {"convert", "map.bmp", "--name", "SAMPLE MAP", "--folder", "area01",
                                     "--top-left", "35:40:10,139:45:30", "--bottom-right",
                                     "35:39:0,139:46:0", "--east-west", "1852", "--north-south", "926"};
    args.insert(args.end(), changes.begin(), changes.end());
    return args;
}

// Removes an option and its value.
std::vector<std::string> without(std::vector<std::string> args, const std::string& option) {
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i] == option) args.erase(args.begin() + i, args.begin() + i + 2);
    return args;
}

TEST(CommandLine, ConvertReadsEveryOptionAsTyped) {
    ParseResult result = parseCommandLine(convertArgs({"--output-dir", "out"}));
    ASSERT_TRUE(result.ok) << result.error;
    const ConvertArguments& c = result.command.convert;
    EXPECT_EQ(result.command.kind, CommandKind::Convert);
    EXPECT_EQ(c.bitmap, "map.bmp");
    EXPECT_EQ(c.name, "SAMPLE MAP");
    EXPECT_EQ(c.folder, "area01");
    EXPECT_EQ(c.topLeft.latitude.degrees, "35");
    EXPECT_EQ(c.topLeft.latitude.minutes, "40");
    EXPECT_EQ(c.topLeft.latitude.seconds, "10");
    EXPECT_EQ(c.topLeft.longitude.degrees, "139");
    EXPECT_EQ(c.topLeft.longitude.minutes, "45");
    EXPECT_EQ(c.topLeft.longitude.seconds, "30");
    EXPECT_EQ(c.bottomRight.latitude.seconds, "0");
    EXPECT_EQ(c.eastWest, "1852");
    EXPECT_EQ(c.northSouth, "926");
    ASSERT_TRUE(c.outputDir.has_value());
    EXPECT_EQ(*c.outputDir, "out");
}

TEST(CommandLine, ConvertTakesEqualsFormAnyOrderAndDoubleDash) {
    ParseResult result = parseCommandLine(
        {"convert", "--north-south=926", "--name=--odd name", "--folder", "area01", "--top-left",
         "35:40:10,139:45:30", "--bottom-right=35:39:0,139:46:0", "--east-west", "1852", "--",
         "-map.bmp"});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.command.convert.bitmap, "-map.bmp");
    EXPECT_EQ(result.command.convert.name, "--odd name");
    EXPECT_FALSE(result.command.convert.outputDir.has_value());
}

TEST(CommandLine, EmptyNameAndEmptyFolderAreLeftToTheConversion) {
    // The conversion refuses them with its own messages, as the dialog does.
    ParseResult result = parseCommandLine(convertArgs({"--name=", "--folder="}));
    EXPECT_FALSE(result.ok);  // given twice
    std::vector<std::string> args = without(without(convertArgs(), "--name"), "--folder");
    args.insert(args.end(), {"--name=", "--folder="});
    result = parseCommandLine(args);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.command.convert.name, "");
    EXPECT_EQ(result.command.convert.folder, "");
}

struct TopLevelCase {
    std::vector<std::string> args;
    CommandKind kind;
    std::string helpTopic;
};

TEST(CommandLine, HelpAndVersion) {
    const TopLevelCase cases[] = {
        {{"--help"}, CommandKind::Help, ""},
        {{"-h"}, CommandKind::Help, ""},
        {{"help"}, CommandKind::Help, ""},
        {{"help", "convert"}, CommandKind::Help, "convert"},
        {{"help", "probe"}, CommandKind::Help, "probe"},
        {{"convert", "--help"}, CommandKind::Help, "convert"},
        {{"convert", "map.bmp", "--name", "x", "-h"}, CommandKind::Help, "convert"},
        {{"convert", "--bogus", "--help"}, CommandKind::Help, "convert"},
        {{"probe", "-h"}, CommandKind::Help, "probe"},
        {{"--version"}, CommandKind::Version, ""},
        {{"probe", "map.bmp"}, CommandKind::Probe, ""},
    };
    for (const TopLevelCase& c : cases) {
        ParseResult result = parseCommandLine(c.args);
        ASSERT_TRUE(result.ok) << c.args[0] << ": " << result.error;
        EXPECT_EQ(result.command.kind, c.kind) << c.args.back();
        EXPECT_EQ(result.command.helpTopic, c.helpTopic) << c.args.back();
    }
    EXPECT_EQ(parseCommandLine({"probe", "--", "--help"}).command.probe.bitmap, "--help");
    // Given as a value, -h and --help are that value.
    for (std::string name : {"-h", "--help"}) {
        std::vector<std::string> args = without(convertArgs(), "--name");
        args.insert(args.end(), {"--name=" + name, "--output-dir", "-h"});
        ParseResult result = parseCommandLine(args);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.command.kind, CommandKind::Convert);
        EXPECT_EQ(result.command.convert.name, name);
        EXPECT_EQ(result.command.convert.outputDir, "-h");
    }
}

struct ErrorCase {
    std::vector<std::string> args;
    std::string errorPart;     // a part of the error text
    std::string errorCommand;  // whose usage the hint names
};

TEST(CommandLine, MistakesAreRefusedWithAReason) {
    const ErrorCase cases[] = {
        {{}, "no command given", ""},
        {{"transform", "map.bmp"}, "unknown command \"transform\"", ""},
        {{"--verbose"}, "unknown option \"--verbose\"", ""},
        {{"help", "frobnicate"}, "no help on \"frobnicate\"", ""},
        {{"probe"}, "missing BITMAP", "probe"},
        {{"probe", "a.bmp", "b.bmp"}, "unexpected argument \"b.bmp\"", "probe"},
        {{"probe", "a.bmp", "--name", "x"}, "unknown option \"--name\"", "probe"},
        {without(convertArgs(), "--north-south"), "missing --north-south", "convert"},
        {without(without(convertArgs(), "--name"), "--folder"), "missing --name, --folder", "convert"},
        {{"convert", "--name", "x"}, "missing BITMAP", "convert"},
        {convertArgs({"--name", "again"}), "--name is given more than once", "convert"},
        {convertArgs({"--colour", "red"}), "unknown option \"--colour\"", "convert"},
        {convertArgs({"extra.bmp"}), "unexpected argument \"extra.bmp\"", "convert"},
        {convertArgs({"--output-dir"}), "--output-dir needs a value", "convert"},
        {convertArgs({"--output-dir="}), "--output-dir: the folder name is empty", "convert"},
        {{"convert", "map.bmp", "--name", "--folder", "area01"}, "--name needs a value", "convert"},
    };
    for (const ErrorCase& c : cases) {
        ParseResult result = parseCommandLine(c.args);
        EXPECT_FALSE(result.ok) << c.errorPart;
        EXPECT_NE(result.error.find(c.errorPart), std::string::npos)
            << "expected \"" << c.errorPart << "\" in \"" << result.error << "\"";
        EXPECT_EQ(result.errorCommand, c.errorCommand) << c.errorPart;
    }
}

struct CornerCase {
    std::string text;
    bool ok;
    std::string errorPart;
};

TEST(CommandLine, CornersAreTwoAnglesInTheDialogsFieldLengths) {
    const CornerCase cases[] = {
        {"35:40:10,139:45:30", true, ""},
        {"0:0:0,0:0:0", true, ""},
        {"99:99:99,999:99:99", true, ""},  // the fields bound them, nothing else does
        {"05:07:09,007:05:03", true, ""},
        {"35:40,139:45:30", false, "latitude \"35:40\" is not D:M:S"},
        {"35:40:10:5,139:45:30", false, "latitude \"35:40:10:5\" is not D:M:S"},
        {"35:40:10,139:45", false, "longitude \"139:45\" is not D:M:S"},
        {"35:40:10;139:45:30", false, "is not LAT,LON"},
        {"35:40:10", false, "is not LAT,LON"},
        {"35:40:10,139:45:30,1:1:1", false, "is not LAT,LON"},
        {"", false, "is not LAT,LON"},
        {"35:4O:10,139:45:30", false, "minutes must be digits"},
        {"35::10,139:45:30", false, "minutes must be digits"},
        {"-1:0:0,139:45:30", false, "degrees must be digits"},
        {"+35:0:0,139:45:30", false, "degrees must be digits"},
        {"35.5:0:0,139:45:30", false, "degrees must be digits"},
        {"035:40:10,139:45:30", false, "degrees \"035\" has more than 2 digits"},
        {"35:40:10,1390:45:30", false, "degrees \"1390\" has more than 3 digits"},
        {"35:40:100,139:45:30", false, "seconds \"100\" has more than 2 digits"},
        {"35:400:10,139:45:30", false, "minutes \"400\" has more than 2 digits"},
    };
    for (const CornerCase& c : cases) {
        std::string error;
        std::optional<CornerArgument> corner = parseCorner(c.text, error);
        EXPECT_EQ(corner.has_value(), c.ok) << c.text << ": " << error;
        if (!c.ok) {
            EXPECT_NE(error.find(c.errorPart), std::string::npos)
                << "expected \"" << c.errorPart << "\" in \"" << error << "\"";
        }
    }
}

TEST(CommandLine, DistancesAreWholeMetresOfAtMostSevenDigits) {
    const std::pair<std::string, bool> cases[] = {
        {"1852", true}, {"0", true}, {"9999999", true}, {"0000001", true},
        {"10000000", false}, {"", false}, {"1.5", false}, {"-5", false}, {"12m", false}, {" 12", false},
    };
    for (const auto& [text, ok] : cases) {
        std::string error;
        EXPECT_EQ(checkDistance(text, error), ok) << text << ": " << error;
        EXPECT_EQ(error.empty(), ok) << text;
    }
    ParseResult result = parseCommandLine(convertArgs({"--east-west=1.5"}));
    EXPECT_FALSE(result.ok);
    std::vector<std::string> args = without(convertArgs(), "--east-west");
    args.insert(args.end(), {"--east-west", "1.5"});
    result = parseCommandLine(args);
    EXPECT_NE(result.error.find("--east-west: \"1.5\" is not a whole number"), std::string::npos)
        << result.error;
}

}  // namespace

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

// What convert's options read from a line that is read without a mistake.
ConvertArguments convertRead(const std::vector<std::string>& args) {
    ConvertArguments convert;
    OptionTable table;
    convertOptions(table, convert);
    OptionTable::Reading reading = table.read(args, 1);
    EXPECT_EQ(reading.outcome, OptionTable::Outcome::Read) << reading.error;
    return convert;
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
    EXPECT_EQ(result.action, ParseResult::Action::Run);
    ASSERT_NE(result.command, nullptr);
    EXPECT_EQ(result.command->name, "convert");
    const ConvertArguments c = convertRead(convertArgs({"--output-dir", "out"}));
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
    const std::vector<std::string> args = {
        "convert", "--north-south=926", "--name=--odd name", "--folder", "area01", "--top-left",
        "35:40:10,139:45:30", "--bottom-right=35:39:0,139:46:0", "--east-west", "1852", "--", "-map.bmp"};
    ParseResult result = parseCommandLine(args);
    ASSERT_TRUE(result.ok) << result.error;
    ConvertArguments convert = convertRead(args);
    EXPECT_EQ(convert.bitmap, "-map.bmp");
    EXPECT_EQ(convert.name, "--odd name");
    EXPECT_FALSE(convert.outputDir.has_value());
}

TEST(CommandLine, EmptyNameAndEmptyFolderAreLeftToTheConversion) {
    // The conversion refuses them with its own messages, as the dialog does.
    ParseResult result = parseCommandLine(convertArgs({"--name=", "--folder="}));
    EXPECT_FALSE(result.ok);  // given twice
    std::vector<std::string> args = without(without(convertArgs(), "--name"), "--folder");
    args.insert(args.end(), {"--name=", "--folder="});
    result = parseCommandLine(args);
    ASSERT_TRUE(result.ok) << result.error;
    ConvertArguments convert = convertRead(args);
    EXPECT_EQ(convert.name, "");
    EXPECT_EQ(convert.folder, "");
}

using Action = ParseResult::Action;

struct TopLevelCase {
    std::vector<std::string> args;
    Action action;
    std::string command;    // the command named, or ""
    std::string helpTopic;  // when help is asked for with --help
};

TEST(CommandLine, HelpAndVersion) {
    const TopLevelCase cases[] = {
        {{"--help"}, Action::Help, "", ""},
        {{"-h"}, Action::Help, "", ""},
        {{"help"}, Action::Run, "help", ""},
        {{"help", "convert"}, Action::Run, "help", ""},
        {{"help", "import"}, Action::Run, "help", ""},
        {{"help", "--help"}, Action::Help, "", "help"},
        {{"convert", "--help"}, Action::Help, "", "convert"},
        {{"convert", "map.bmp", "--name", "x", "-h"}, Action::Help, "", "convert"},
        {{"convert", "--bogus", "--help"}, Action::Help, "", "convert"},
        {{"probe", "-h"}, Action::Help, "", "probe"},
        {{"import", "--help"}, Action::Help, "", "import"},
        {{"--version"}, Action::Version, "", ""},
        {{"probe", "map.bmp"}, Action::Run, "probe", ""},
    };
    for (const TopLevelCase& c : cases) {
        SCOPED_TRACE(c.args.back());
        ParseResult result = parseCommandLine(c.args);
        ASSERT_TRUE(result.ok) << c.args[0] << ": " << result.error;
        EXPECT_EQ(result.action, c.action);
        EXPECT_EQ(result.command == nullptr ? "" : result.command->name, c.command);
        EXPECT_EQ(result.helpTopic, c.helpTopic);
        EXPECT_EQ(static_cast<bool>(result.run), c.action == Action::Run);
    }
    ProbeArguments probe;
    OptionTable table;
    probeOptions(table, probe);
    EXPECT_EQ(table.read({"probe", "--", "--help"}, 1).outcome, OptionTable::Outcome::Read);
    EXPECT_EQ(probe.bitmap, "--help");
    ConvertArguments c = convertRead(convertArgs({"--overwrite", "--dry-run", "--json", "--quiet"}));
    EXPECT_TRUE(c.overwrite && c.dryRun && c.json && c.quiet);
    EXPECT_FALSE(convertRead(convertArgs()).overwrite);
    // Given as a value, -h and --help are that value.
    for (std::string name : {"-h", "--help"}) {
        std::vector<std::string> args = without(convertArgs(), "--name");
        args.insert(args.end(), {"--name=" + name, "--output-dir", "-h"});
        ParseResult result = parseCommandLine(args);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.action, Action::Run);
        ConvertArguments convert = convertRead(args);
        EXPECT_EQ(convert.name, name);
        EXPECT_EQ(convert.outputDir, "-h");
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
        {{"transform", "map.bmp"},
         "unknown command \"transform\"; the commands are convert, probe, inspect, verify, preview, import and help",
         ""},
        {{"--verbose"}, "unknown option \"--verbose\"", ""},
        {{"help", "frobnicate"},
         "no help on \"frobnicate\"; the commands are convert, probe, inspect, verify, preview, import and help",
         "help"},
        {{"help", "convert", "probe"}, "unexpected argument \"probe\"", "help"},
        {{"probe"}, "missing BITMAP", "probe"},
        {{"probe", "a.bmp", "b.bmp"}, "unexpected argument \"b.bmp\"", "probe"},
        {{"probe", "a.bmp", "--name", "x"}, "unknown option \"--name\"", "probe"},
        {{"probe", "a.bmp", "--json=yes"}, "--json takes no value", "probe"},
        {without(convertArgs(), "--north-south"), "missing --north-south", "convert"},
        {without(without(convertArgs(), "--name"), "--folder"), "missing --name, --folder", "convert"},
        {{"convert", "--name", "x"}, "missing BITMAP", "convert"},
        {convertArgs({"--name", "again"}), "--name is given more than once", "convert"},
        {convertArgs({"--colour", "red"}), "unknown option \"--colour\"", "convert"},
        {convertArgs({"extra.bmp"}), "unexpected argument \"extra.bmp\"", "convert"},
        {convertArgs({"--output-dir"}), "--output-dir needs a value", "convert"},
        {convertArgs({"--output-dir="}), "--output-dir: the folder name is empty", "convert"},
        {{"convert", "map.bmp", "--name", "--folder", "area01"}, "--name needs a value", "convert"},
        // import's options need or exclude one another.
        {{"import", "a.png", "--folder", "a"}, "--name is required (unless --bmp is given)", "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--top-left", "35:00:00,139:00:00"},
         "--top-left and --bottom-right go together", "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--output-dir", "d"},
         "--output-dir does not go with --bmp: --bmp names its own file", "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--json"}, "--json does not go with --bmp: --bmp reports in words",
         "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--fit", "stretch"}, "--fit: \"stretch\" is not one of pad, crop, scale",
         "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--srs="}, "--srs: the value is empty", "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--resolution", "1", "--size", "800x600"},
         "--resolution does not go with --size: each chooses the map's grid", "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--resolution", "0"}, "\"0\" is not SECONDS or LAT,LON", "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--resolution", "1,nan"}, "\"1,nan\" is not SECONDS or LAT,LON",
         "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--resolution", "1,2,3"}, "is not SECONDS or LAT,LON", "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--size", "800"}, "\"800\" is not WIDTHxHEIGHT", "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--size", "800x-6"}, "is not WIDTHxHEIGHT", "import"},
        {{"import", "a.png", "--bmp", "x.bmp", "--size", "2147483648x480"}, "is not WIDTHxHEIGHT", "import"},
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
    std::string error;  // a part of the error, or "" when the corner is taken
    uint32_t latitude = 0, longitude = 0;  // milliseconds of arc, when taken
    std::string warnings = "";             // joined by '|'
};

const std::string kNorthEastOnly = "Tessella converts maps north of the equator and east of Greenwich only";

TEST(CommandLine, CornersInDmsOrDecimalDegrees) {
    const CornerCase cases[] = {
        // D:M:S in the dialog's field lengths.
        {"35:40:10,139:45:30", "", 128410000, 503130000},
        {"0:0:0,0:0:0", "", 0, 0},
        {"05:07:09,007:05:03", "", 18429000, 25503000},
        {"90:0:0,180:0:0", "", 324000000, 648000000},
        {"35:40:10N,139:45:30E", "", 128410000, 503130000},
        // Past 59 minutes or seconds, 90 or 180 degrees: taken as the fields take them.
        {"35:75:00,139:45:30", "", 130500000, 503130000,
         "latitude \"35:75:00\" has 75 minutes: it amounts to 36:15:00 (36.250000 degrees)"},
        {"35:40:60,180:0:1", "", 128460000, 648001000,
         "latitude \"35:40:60\" has 60 seconds: it amounts to 35:41:00 (35.683333 degrees)|"
         "longitude \"180:0:1\" lies past 180 degrees: it amounts to 180:00:01 (180.000278 degrees)"},
        {"99:99:99,999:99:99", "", 362439000, 3602439000u,
         "latitude \"99:99:99\" has 99 minutes and 99 seconds and lies past 90 degrees: it amounts to "
         "100:40:39 (100.677500 degrees)|longitude \"999:99:99\" has 99 minutes and 99 seconds and lies "
         "past 180 degrees: it amounts to 1000:40:39 (1000.677500 degrees)"},
        // Decimal degrees, rounded to the nearest millisecond of arc.
        {"35.66944,139.7563", "", 128409984, 503122680},
        {"35.66944N, 139.7563E", "", 128409984, 503122680},
        {" 35.66944 n , 139.7563 e ", "", 128409984, 503122680},
        {"35.5\xC2\xB0N,139.75\xC2\xB0 E", "", 127800000, 503100000},
        {"35,139", "", 126000000, 500400000},
        {"90,180", "", 324000000, 648000000},
        {"90.000,.5", "", 324000000, 1800000},
        {"0.0000001388,0.0000001389", "", 0, 1},   // 0.49968 and 0.50004 ms
        {"0.00000125,0.00000124", "", 5, 4},        // 4.5 ms exactly: halves go up
        {"-0,0", "", 0, 0},
        {"1.123456789012345678901234567890,0", "", 4044444, 0},
        // Refused.
        {"35:40,139:45:30", "latitude \"35:40\" is not D:M:S"},
        {"35:40:10:5,139:45:30", "latitude \"35:40:10:5\" is not D:M:S"},
        {"35:40:10,139:45", "longitude \"139:45\" is not D:M:S"},
        {"35:40:10;139:45:30", "is not LAT,LON"},
        {"35:40:10", "is not LAT,LON"},
        {"35:40:10,139:45:30,1:1:1", "is not LAT,LON"},
        {"", "is not LAT,LON"},
        {"35:4O:10,139:45:30", "minutes must be digits"},
        {"35::10,139:45:30", "minutes must be digits"},
        {"+35:0:0,139:45:30", "degrees must be digits"},
        {"35.5:0:0,139:45:30", "degrees must be digits"},
        {"035:40:10,139:45:30", "degrees \"035\" has more than 2 digits"},
        {"35:40:10,1390:45:30", "degrees \"1390\" has more than 3 digits"},
        {"35:40:100,139:45:30", "seconds \"100\" has more than 2 digits"},
        {"35:400:10,139:45:30", "minutes \"400\" has more than 2 digits"},
        {"90.0000001,139", "latitude \"90.0000001\" is over 90 degrees"},
        {"35,180.5", "longitude \"180.5\" is over 180 degrees"},
        {"35,1000", "longitude \"1000\" is over 180 degrees"},
        {"35.5.5,139", "latitude \"35.5.5\" is neither D:M:S (degrees:minutes:seconds) nor decimal degrees"},
        {"abc,139", "latitude \"abc\" is neither"},
        {".,139", "latitude \".\" is neither"},
        {",139", "latitude \"\" is neither"},
        {"1.1234567890123456789012345678901,0", "latitude \"1.1234567890123456789012345678901\" has more than 30 decimals"},
        {"35.5E,139", "latitude \"35.5E\" ends in E; a latitude ends in N or in no letter"},
        {"35,139N", "longitude \"139N\" ends in N; a longitude ends in E or in no letter"},
        {"35.5S,139E", "latitude \"35.5S\" is south of the equator: " + kNorthEastOnly},
        {"35:40:10,139:45:30w", "longitude \"139:45:30w\" is west of Greenwich: " + kNorthEastOnly},
        {"-35.5,139", "latitude \"-35.5\" is south of the equator"},
        {"-1:0:0,139:45:30", "latitude \"-1:0:0\" is south of the equator"},
        {"35,-139", "longitude \"-139\" is west of Greenwich"},
    };
    for (const CornerCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        std::vector<std::string> warnings;
        std::optional<CornerArgument> corner = parseCorner(c.text, error, warnings);
        std::string joined;
        for (const std::string& w : warnings) joined += (joined.empty() ? "" : "|") + w;
        if (!c.error.empty()) {
            EXPECT_FALSE(corner.has_value());
            EXPECT_NE(error.find(c.error), std::string::npos) << "expected \"" << c.error << "\" in \"" << error << "\"";
            continue;
        }
        ASSERT_TRUE(corner.has_value()) << error;
        EXPECT_EQ(joined, c.warnings);
        EXPECT_EQ(angleFromText(corner->latitude, kLatitudeDegreesMaxLength), c.latitude);
        EXPECT_EQ(angleFromText(corner->longitude, kLongitudeDegreesMaxLength), c.longitude);
        // The texts, as the dialog's fields would show them, hold the whole seconds.
        for (AngleText text : {corner->latitude, corner->longitude}) {
            uint32_t exact = angleFromText(text, kLongitudeDegreesMaxLength);
            text.exactMilliseconds.reset();
            EXPECT_EQ(angleFromText(text, kLongitudeDegreesMaxLength), exact - exact % 1000) << text.degrees;
            EXPECT_LE(text.minutes.size(), 2u);
            EXPECT_LE(text.seconds.size(), 2u);
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

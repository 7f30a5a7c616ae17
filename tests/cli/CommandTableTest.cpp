// The command table: what every entry must declare for its help, manual page and
// completion to be whole, and the help made from it.

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "CommandLine.h"
#include "HelpText.h"

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CommandTable, EveryCommandDeclaresWhatItsHelpTells) {
    std::set<std::string> names;
    for (const Command& command : commandTable()) {
        SCOPED_TRACE(command.name);
        EXPECT_TRUE(names.insert(command.name).second) << "named twice";
        EXPECT_FALSE(command.summary.empty());
        OptionTable table;
        CommandRun run = command.declare(table);
        EXPECT_TRUE(static_cast<bool>(run));
        for (const OptionTable::Positional& p : table.positionals()) {
            EXPECT_FALSE(p.helpText().empty()) << p.name();
            EXPECT_FALSE(p.description().empty()) << p.name();
        }
        std::set<std::string> options;
        for (const OptionTable::Option& o : table.options()) {
            EXPECT_TRUE(options.insert(o.name()).second) << o.name() << " declared twice";
            EXPECT_FALSE(o.helpText().empty()) << o.name();
            EXPECT_EQ(o.takesValue(), !o.placeholder().empty()) << o.name();
        }
        // An option named in a relation is one of the command's.
        for (const OptionTable::Option& o : table.options()) {
            std::vector<std::string> related = o.requiredOptions();
            for (const auto& [other, reason] : o.excludedOptions()) related.push_back(other);
            if (!o.requiredUnlessOption().empty()) related.push_back(o.requiredUnlessOption());
            for (const std::string& other : related) EXPECT_EQ(options.count(other), 1u) << o.name() << ": " << other;
        }
    }
    EXPECT_EQ(commandNames(), "convert, probe, inspect, verify, preview, import and help");
    EXPECT_EQ(findCommand("import")->needsGdal, true);
    EXPECT_EQ(findCommand("convert")->needsGdal, false);
    EXPECT_EQ(findCommand("frobnicate"), nullptr);
}

TEST(CommandTable, HelpNamesEveryOptionWithinTheWidth) {
    std::vector<std::string> topics = {""};
    for (const Command& command : commandTable()) topics.push_back(command.name);
    for (const std::string& topic : topics) {
        SCOPED_TRACE(topic);
        std::string help = helpText(topic);
        for (const std::string& line : linesOf(help)) {
            EXPECT_LE(line.size(), 79u) << line;
            EXPECT_TRUE(line.empty() || line.back() != ' ') << "\"" << line << "\"";
        }
        if (topic.empty()) continue;
        EXPECT_EQ(help.rfind("Usage: tessella " + topic, 0), 0u) << help;
        OptionTable table;
        findCommand(topic)->declare(table);
        for (const OptionTable::Option& o : table.options())
            EXPECT_NE(help.find("\n  " + o.name() + (o.takesValue() ? " " + o.placeholder() : "")), std::string::npos)
                << o.name();
        EXPECT_NE(help.find("\n  -h, --help"), std::string::npos);
    }
    std::string overview = helpText("");
    for (const Command& command : commandTable()) {
        EXPECT_NE(overview.find("\n  tessella " + command.name + " "), std::string::npos) << command.name;
        EXPECT_NE(overview.find("\n  " + command.name + " "), std::string::npos) << command.name;
    }
}

TEST(CommandTable, UsageListsRequiredOptionsAndTheFormsAnOptionOpens) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // A command of many options says [options].
        {"probe", {"Usage: tessella probe BITMAP [options]"}},
        {"preview", {"Usage: tessella preview FILE -o PNG [options]"}},
        {"verify", {"Usage: tessella verify INDEX [--json]"}},
        {"help", {"Usage: tessella help [COMMAND]"}},
        // import's --name and --folder are required unless --bmp is given: two forms.
        {"import",
         {"Usage: tessella import SOURCE --name NAME --folder FOLDER [options]",
          "       tessella import SOURCE --bmp OUT.bmp [options]"}},
    };
    for (const auto& [name, usage] : cases) EXPECT_EQ(commandHelp(*findCommand(name)).usage, usage) << name;
    // A long line goes on under the first word after the command.
    std::vector<std::string> convert = commandHelp(*findCommand("convert")).usage;
    ASSERT_GT(convert.size(), 1u);
    for (size_t i = 1; i < convert.size(); ++i)
        EXPECT_EQ(convert[i].find_first_not_of(' '), std::string("Usage: tessella convert ").size()) << convert[i];
}

TEST(CommandTable, RowsSetTermsInAColumnAndWrapTheirTexts) {
    std::string words;
    for (int i = 0; i < 20; ++i) words += "word ";
    const std::string rows = formatRows({{"-a", "short"},
                                         {"--bee NAME", words},
                                         {"--a-term-too-long-to-fit", "stands above"},
                                         {"-c", ""}});
    EXPECT_EQ(rows,
              "  -a          short\n"
              "  --bee NAME  word word word word word word word word word word word word word\n"
              "              word word word word word word word\n"
              "  --a-term-too-long-to-fit\n"
              "              stands above\n"
              "  -c\n");
}

}  // namespace

#include "HelpText.h"

#include <algorithm>

#include "ColorQuantizer.h"
#include "CommandOutput.h"
#include "ExitCodes.h"
#include "GridRule.h"
#include "Quoted.h"

#ifndef TESSELLA_VERSION
#define TESSELLA_VERSION "unknown"
#endif

namespace {

constexpr size_t kWidth = 79;       // the longest line help prints
constexpr size_t kTermColumn = 20;  // a longer term stands on a line of its own

// Words filled into lines of at most width characters (a longer word stands alone).
std::vector<std::string> filled(const std::vector<std::string>& words, size_t width) {
    std::vector<std::string> lines;
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    size_t start = 0;
    while ((start = text.find_first_not_of(" \n", start)) != std::string::npos) {
        size_t end = text.find_first_of(" \n", start);
        words.push_back(text.substr(start, end - start));
        start = end;
    }
    return words;
}

// lead ("tessella convert") and its items, continued under the first item.
std::vector<std::string> usageLines(const std::string& lead, const std::vector<std::string>& items, size_t width) {
    const std::string indent(lead.size() + 1, ' ');
    std::vector<std::string> lines = {lead};
    for (const std::string& item : items) {
        std::string& line = lines.back();
        if (line.size() > indent.size() && line.size() + 1 + item.size() > width) lines.push_back(indent + item);
        else line += " " + item;
    }
    return lines;
}

std::string term(const OptionTable::Option& option) {
    return option.takesValue() ? option.name() + " " + option.placeholder() : option.name();
}

// "[word]", built in place (MinGW's GCC warns of an overlap in "[" + word + "]").
std::string bracketed(const std::string& word) {
    std::string text = "[";
    text += word;
    text += ']';
    return text;
}

// The forms of a command's line: operands, required options, the optional ones (or
// "[options]" when they are many). An option required unless another is given makes a
// second form with the other one instead.
std::vector<std::vector<std::string>> usageForms(const OptionTable& table) {
    constexpr size_t kMostListed = 6;
    std::vector<std::string> operands, required, optional, instead;
    for (const OptionTable::Positional& p : table.positionals())
        operands.push_back(p.isOptional() ? bracketed(p.name()) : p.name());
    for (const OptionTable::Option& o : table.options()) {
        const std::string& unless = o.requiredUnlessOption();
        if (o.isRequired() || !unless.empty()) required.push_back(term(o));
        if (!unless.empty() && std::find(instead.begin(), instead.end(), unless) == instead.end())
            instead.push_back(unless);
    }
    for (const OptionTable::Option& o : table.options()) {
        bool alternative = std::find(instead.begin(), instead.end(), o.name()) != instead.end();
        if (!o.isRequired() && o.requiredUnlessOption().empty() && !alternative)
            optional.push_back(bracketed(term(o)));
    }
    if (optional.size() > kMostListed || !instead.empty()) optional = {"[options]"};
    std::vector<std::vector<std::string>> forms;
    std::vector<std::string> form = operands;
    form.insert(form.end(), required.begin(), required.end());
    form.insert(form.end(), optional.begin(), optional.end());
    forms.push_back(form);
    for (const std::string& name : instead) {
        form = operands;
        for (const OptionTable::Option& o : table.options())
            if (o.isRequired() || o.name() == name) form.push_back(term(o));
        form.insert(form.end(), optional.begin(), optional.end());
        forms.push_back(form);
    }
    return forms;
}

std::string rowText(const OptionTable::Option& option) {
    std::string text = option.helpText();
    for (const std::string& other : option.requiredOptions()) text += "; given with " + other;
    for (const auto& [other, reason] : option.excludedOptions()) text += "; not with " + other;
    return text;
}

std::string overview() {
    std::string text;
    for (const std::string& line :
         filled(wordsOf("tessella " TESSELLA_VERSION ": " + programSummary() + ": " + overviewIntro()), kWidth))
        text += line + "\n";
#ifdef _WIN32
    // Windows does not tell tessella.exe from the dialog's Tessella.exe.
    text += "\n"
            "On Windows this command line is tessella-cli.exe, beside the dialog\n"
            "Tessella.exe: type tessella-cli where this help says tessella.\n";
#endif
    text += "\nUsage:\n";
    for (const std::string& line : overviewUsage()) text += "  " + line + "\n";
    return text + "\nCommands:\n" + formatRows(commandRows()) + "\n" + overviewClosing();
}

std::string formatted(const CommandHelp& help) {
    std::string text;
    // Appended piece by piece (MinGW's GCC warns of an overlap in "\n" + text).
    for (const std::string& line : help.usage) {
        text += line;
        text += '\n';
    }
    if (!help.description.empty()) {
        text += '\n';
        text += help.description;
    }
    text += '\n';
    text += formatRows(help.rows);
    if (!help.footer.empty()) {
        text += '\n';
        text += help.footer;
    }
    return text;
}

// tessella help [COMMAND]
struct HelpArguments {
    std::string topic;
};

void helpOptions(OptionTable& table, HelpArguments& help) {
    table.description("Shows what 'tessella --help' shows, or with COMMAND what\n"
                      "'tessella COMMAND --help' shows.\n");
    table.positional("COMMAND", "the command to tell of", help.topic)
        .optional()
        .help("one of " + commandNames())
        .check([](const std::string& value, std::vector<std::string>&) {
            return findCommand(value) != nullptr
                       ? std::string()
                       : "no help on " + quoted(value) + "; the commands are " + commandNames();
        });
}

int runHelp(const HelpArguments& help) {
    CommandOutput out(false);
    out.report(helpText(help.topic));
    return out.finish(kExitSuccess);
}

}  // namespace

Command helpCommand() {
    return {"help", "show this overview, or the help of one command", false,
            [](OptionTable& table) { return runWith<HelpArguments>(table, helpOptions, runHelp); }};
}

std::string formatRows(const std::vector<HelpRow>& rows) {
    size_t longest = 0;
    for (const HelpRow& row : rows)
        if (row.term.size() <= kTermColumn) longest = std::max(longest, row.term.size());
    const std::string indent(2 + longest + 2, ' ');
    std::string text;
    for (const HelpRow& row : rows) {
        std::vector<std::string> lines = filled(wordsOf(row.text), kWidth - indent.size());
        std::string head = "  " + row.term;
        size_t next = 0;
        if (row.term.size() <= longest && !lines.empty()) {
            head.resize(indent.size(), ' ');
            head += lines[next++];
        }
        text += head + "\n";
        for (; next < lines.size(); ++next) text += indent + lines[next] + "\n";
    }
    return text;
}

CommandHelp commandHelp(const Command& command) {
    OptionTable table;
    command.declare(table);
    CommandHelp help;
    for (const std::vector<std::string>& form : usageForms(table)) {
        std::string lead = std::string(help.usage.empty() ? "Usage: " : "       ") + "tessella " + command.name;
        for (std::string& line : usageLines(lead, form, kWidth)) help.usage.push_back(std::move(line));
    }
    help.description = table.description();
    for (const OptionTable::Positional& p : table.positionals()) help.rows.push_back({p.name(), p.helpText()});
    for (const OptionTable::Option& o : table.options()) help.rows.push_back({term(o), rowText(o)});
    help.rows.push_back({"-h, --help", "show this help"});
    help.footer = table.footer();
    return help;
}

std::string programSummary() { return "turns a map picture (a 24-bit Windows bitmap) into tiled map data"; }

std::string overviewIntro() {
    const std::string side = std::to_string(kTileSide);
    return "an index file FOLDER.vlm and one tile file per " + side + "x" + side +
           " pixels in FOLDER/layer1/levelRRR/smplCCCRRR.map.";
}

std::vector<std::string> overviewUsage() {
    std::vector<std::string> lines;
    for (const Command& command : commandTable()) {
        OptionTable table;
        command.declare(table);
        for (const std::vector<std::string>& form : usageForms(table))
            for (std::string& line : usageLines("tessella " + command.name, form, kWidth - 2))
                lines.push_back(std::move(line));
    }
    lines.push_back("tessella --help | --version");
    return lines;
}

std::vector<HelpRow> commandRows() {
    std::vector<HelpRow> rows;
    for (const Command& command : commandTable()) rows.push_back({command.name, command.summary});
    return rows;
}

std::string overviewClosing() {
    return "Run 'tessella COMMAND --help' for the details of a command.\n"
           "\n"
           "Example:\n" +
           convertExample() + "\n" + exitCodesText();
}

std::string convertExample() {
#ifdef _WIN32
    // As typed in cmd, which continues a line with ^, ready to paste.
    return "  tessella-cli convert tokyo.bmp --name \"Tokyo Bay\" --folder tokyo ^\n"
           "      --top-left 35:40:10,139:45:30 --bottom-right 35:38:40,139:47:20 ^\n"
           "      --east-west 2759 --north-south 2778\n";
#else
    return "  tessella convert tokyo.bmp --name \"Tokyo Bay\" --folder tokyo \\\n"
           "      --top-left 35:40:10,139:45:30 --bottom-right 35:38:40,139:47:20 \\\n"
           "      --east-west 2759 --north-south 2778\n";
#endif
}

std::string ditherHelp() {
    return "spread each pixel's difference from the colour it becomes to the pixels after it (Floyd-Steinberg "
           "error diffusion, serpentine: even rows west to east, odd rows east to west) before the reduction to "
           "the " + std::to_string(ColorQuantizer::kHighestIndex + 1) +
           " colours, so photographs keep their tones; flat palette colours stay exact. Off by default: each "
           "pixel then becomes the colour of its own value";
}

std::string exitCodesText() {
    return "Exit codes:\n"
           "  0  success: the map was written, or the bitmap can be converted\n"
           "  1  internal error\n"
           "  2  usage error: unknown command or option, missing or malformed value\n"
           "  3  bitmap refused: missing, unreadable, or not a bitmap that can be converted\n"
           "  4  settings refused: map name, folder name, corners or distances\n"
           "  5  output failed: the index file exists, or a file or folder could not be\n"
           "     made or written\n"
           "  6  inspect, verify, preview: the map or file is missing, unreadable or\n"
           "     damaged\n";
}

std::string helpText(std::string_view topic) {
    const Command* command = topic.empty() ? nullptr : findCommand(topic);
    return command == nullptr ? overview() : formatted(commandHelp(*command));
}

std::string versionText() { return "tessella " TESSELLA_VERSION "\n"; }

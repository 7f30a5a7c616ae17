#include "HelpOutline.h"

#include <algorithm>
#include <sstream>

#include "HelpText.h"

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> result;
    for (std::string word; in >> word;) result.push_back(word);
    return result;
}

bool isPlaceholder(const std::string& word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || c == ',' || c == '_' || c == '.';
    });
}

std::string trimmed(std::string word, const char* characters) {
    size_t first = word.find_first_not_of(characters);
    if (first == std::string::npos) return "";
    size_t last = word.find_last_not_of(characters);
    return word.substr(first, last - first + 1);
}

void addOption(HelpCommand& command, HelpOption option) {
    for (const HelpOption& known : command.options)
        for (const std::string& name : known.names)
            if (std::find(option.names.begin(), option.names.end(), name) != option.names.end())
                return;
    command.options.push_back(std::move(option));
}

// "--name NAME", "[--output-dir DIR]", "-h, --help": options in a run of words.
void readOptions(const std::vector<std::string>& line, HelpCommand& command) {
    for (size_t i = 0; i < line.size(); ++i) {
        std::string word = trimmed(line[i], "[]|");
        if (word.size() < 2 || word[0] != '-') continue;
        HelpOption option;
        while (!word.empty() && word.back() == ',' && i + 1 < line.size()) {  // "-h, --help"
            option.names.push_back(word.substr(0, word.size() - 1));
            word = trimmed(line[++i], "[]|");
        }
        option.names.push_back(word);
        if (i + 1 < line.size()) {
            std::string next = trimmed(line[i + 1], "[]|");
            if (isPlaceholder(next)) {
                option.value = next;
                ++i;
            }
        }
        addOption(command, std::move(option));
    }
}

// A command's help: its usage paragraph, and every line that starts with an option (the
// option table), give the options.
void readCommandHelp(HelpCommand& command) {
    for (const std::vector<std::string>& paragraph : helpParagraphs(helpText(command.name))) {
        bool usage = paragraph.front().rfind("Usage:", 0) == 0;
        for (const std::string& line : paragraph) {
            std::vector<std::string> lineWords = words(line);
            if (lineWords.empty()) continue;
            bool optionLine = line.rfind("  -", 0) == 0;
            if (usage || optionLine) readOptions(lineWords, command);
        }
    }
    // Every command takes --help, as the overview says ("tessella COMMAND --help").
    addOption(command, HelpOption{{"--help"}, ""});
}

}  // namespace

std::vector<std::vector<std::string>> helpParagraphs(const std::string& text) {
    std::vector<std::vector<std::string>> paragraphs(1);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find_first_not_of(' ') == std::string::npos) {
            if (!paragraphs.back().empty()) paragraphs.emplace_back();
        } else {
            paragraphs.back().push_back(line);
        }
    }
    if (paragraphs.back().empty()) paragraphs.pop_back();
    return paragraphs;
}

HelpOutline readHelpOutline() {
    HelpOutline outline;
    for (const std::vector<std::string>& paragraph : helpParagraphs(helpText(""))) {
        if (paragraph.front() != "Usage:") continue;
        for (const std::string& line : paragraph) {
            std::vector<std::string> lineWords = words(line);
            if (lineWords.size() < 2 || lineWords[0] != "tessella") continue;
            if (lineWords[1][0] == '-') {
                for (size_t i = 1; i < lineWords.size(); ++i)
                    if (lineWords[i][0] == '-') outline.programOptions.push_back(lineWords[i]);
                continue;
            }
            HelpCommand command;
            command.name = lineWords[1];
            if (lineWords.size() > 2 && isPlaceholder(lineWords[2])) command.positional = lineWords[2];
            outline.commands.push_back(std::move(command));
        }
    }
    for (HelpCommand& command : outline.commands)
        if (command.name != "help") readCommandHelp(command);
    return outline;
}

#include "ManPage.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "HelpText.h"

namespace {

using Paragraph = std::vector<std::string>;

// One line of text as roff shows it literally.
std::string escaped(const std::string& line) {
    std::string out;
    for (char c : line) {
        switch (c) {
            case '\\': out += "\\e"; break;
            case '-': out += "\\-"; break;
            case '\'': out += "\\(aq"; break;
            case '`': out += "\\(ga"; break;
            default: out += c;
        }
    }
    if (!out.empty() && out[0] == '.') out.insert(0, "\\&");
    return out;
}

bool indented(const std::string& line) { return !line.empty() && line[0] == ' '; }

// A line kept as it is, less the two spaces the help indents it by: the page indents it.
std::string literalLine(const std::string& line) {
    return escaped(line.substr(line.rfind("  ", 0) == 0 ? 2 : 0));
}

// The paragraphs of a help text: runs of lines between blank lines.
std::vector<Paragraph> paragraphsOf(const std::string& text) {
    std::vector<Paragraph> paragraphs(1);
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

// A paragraph as the help shows it: unindented lines are filled as prose, indented ones
// (examples, tables) are kept line for line. A first line such as "Exit codes:" over
// indented lines is a heading, the lines indented under it.
void writeParagraph(const Paragraph& paragraph, std::string& out) {
    out += ".PP\n";
    size_t first = 0;
    if (paragraph.size() > 1 && !indented(paragraph[0]) && paragraph[0].back() == ':' &&
        indented(paragraph[1])) {
        out += ".B \"" + escaped(paragraph[0]) + "\"\n.RS 2\n";
        first = 1;
    }
    bool keepLines = false;
    for (size_t i = first; i < paragraph.size(); ++i) {
        bool literal = indented(paragraph[i]);
        if (literal != keepLines) out += literal ? ".nf\n" : ".fi\n";
        keepLines = literal;
        out += (literal ? literalLine(paragraph[i]) : escaped(paragraph[i])) + "\n";
    }
    if (keepLines) out += ".fi\n";
    if (first == 1) out += ".RE\n";
}

// Each paragraph of the text once in the page: the exit codes, which convert's help
// repeats, are told in the description only.
void writeText(const std::string& text, std::vector<Paragraph>& written, std::string& out) {
    for (const Paragraph& paragraph : paragraphsOf(text)) {
        if (std::find(written.begin(), written.end(), paragraph) != written.end()) continue;
        written.push_back(paragraph);
        writeParagraph(paragraph, out);
    }
}

void writeLines(const std::vector<std::string>& lines, std::string& out) {
    out += ".nf\n";
    for (const std::string& line : lines) out += literalLine(line) + "\n";
    out += ".fi\n";
}

// indent: the width of the terms' column, "" for roff's own.
void writeRows(const std::vector<HelpRow>& rows, std::string& out, const char* indent = "") {
    for (const HelpRow& row : rows)
        out += ".TP" + std::string(indent) + "\n" + escaped(row.term) + "\n" + escaped(row.text) + "\n";
}

std::string withoutNewline(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace

std::string manPage() {
    const std::string version = withoutNewline(versionText());  // "tessella 1.0.1"
    std::vector<Paragraph> written;
    std::string out;
    out += ".\\\" The manual page of tessella, made from its command table and help texts.\n";
    out += ".TH TESSELLA 1 \"\" \"" + escaped(version) + "\" \"User Commands\"\n";
    out += ".nh\n.ad l\n";
    out += ".SH NAME\ntessella \\- " + escaped(programSummary()) + "\n";
    out += ".SH SYNOPSIS\n";
    writeLines(overviewUsage(), out);

    out += ".SH DESCRIPTION\n";
    writeText("tessella " + programSummary() + ": " + overviewIntro() + "\n", written, out);
    out += ".PP\n.B \"Commands:\"\n.RS 2\n.PD 0\n";
    writeRows(commandRows(), out, " 9");
    out += ".PD\n.RE\n";
    writeText(overviewClosing(), written, out);

    out += ".SH COMMANDS\n";
    for (const Command& command : commandTable()) {
        if (command.name == "help") continue;  // the synopsis says it all
        CommandHelp help = commandHelp(command);
        out += ".SS \"tessella " + escaped(command.name) + "\"\n.PP\n";
        writeLines(help.usage, out);
        writeText(help.description, written, out);
        out += ".PP\n";
        writeRows(help.rows, out);
        writeText(help.footer, written, out);
    }
    return out;
}

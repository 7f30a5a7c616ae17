#include "ManPage.h"

#include "HelpOutline.h"
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

// A paragraph as the help shows it: unindented lines are filled as prose, indented ones
// (usage, option tables, examples) are kept line for line. A first line such as
// "Commands:" over indented lines is a heading, the lines indented under it.
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

std::string withoutNewline(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace

std::string manPage() {
    const std::string version = withoutNewline(versionText());  // "tessella 1.0.1"
    std::vector<Paragraph> overview = helpParagraphs(helpText(""));

    // "tessella 1.0.1: turns a map picture ... into tiled map data:" opens the overview.
    std::string summary = overview.empty() ? std::string() : overview[0][0];
    const std::string prefix = version + ": ";
    if (summary.rfind(prefix, 0) == 0) {
        summary = summary.substr(prefix.size());
        overview[0][0] = "tessella " + summary;
    }
    if (!summary.empty() && (summary.back() == ':' || summary.back() == '.')) summary.pop_back();

    std::string out;
    out += ".\\\" The manual page of tessella, made from the text of tessella --help.\n";
    out += ".TH TESSELLA 1 \"\" \"" + escaped(version) + "\" \"User Commands\"\n";
    out += ".nh\n.ad l\n";
    out += ".SH NAME\ntessella \\- " + escaped(summary) + "\n";

    Paragraph exitCodes;
    std::string description;
    for (const Paragraph& paragraph : overview) {
        if (paragraph[0] == "Usage:") {
            out += ".SH SYNOPSIS\n.nf\n";
            for (size_t i = 1; i < paragraph.size(); ++i) out += literalLine(paragraph[i]) + "\n";
            out += ".fi\n";
            continue;
        }
        if (paragraph[0] == "Exit codes:") exitCodes = paragraph;
        writeParagraph(paragraph, description);
    }
    out += ".SH DESCRIPTION\n" + description;

    out += ".SH COMMANDS\n";
    for (const HelpCommand& command : readHelpOutline().commands) {
        if (command.name == "help") continue;
        out += ".SS \"tessella " + escaped(command.name) + "\"\n";
        for (const Paragraph& paragraph : helpParagraphs(helpText(command.name)))
            if (paragraph != exitCodes) writeParagraph(paragraph, out);  // said once above
    }
    return out;
}

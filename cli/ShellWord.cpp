#include "ShellWord.h"

#include <string_view>

namespace {

bool bareInAShell(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

}  // namespace

std::string shellWord(const std::string& text) {
    bool bare = !text.empty();
    for (char c : text) bare = bare && bareInAShell(c);
    if (bare) return text;
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

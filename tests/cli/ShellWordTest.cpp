// The words tessella prints in commands for a POSIX shell: what a shell would split,
// expand or glob is quoted, nothing else.

#include <gtest/gtest.h>

#include "ShellWord.h"

namespace {

TEST(ShellWord, QuotesOnlyWhatAShellWouldSplitOrExpand) {
    struct Case {
        std::string word, typed;
    };
    const Case cases[] = {
        {"map.bmp", "map.bmp"},
        {"dir/sub-dir/map_2.bmp", "dir/sub-dir/map_2.bmp"},
        {"a+b=c,d:e@f%g", "a+b=c,d:e@f%g"},  // none of these means anything to a shell
        {"-map.bmp", "-map.bmp"},
        {"'East Asia'", "East Asia"},
        {"'it'\\''s'", "it's"},
        {"''\\'''", "'"},
        {"''", ""},
        {"'$HOME'", "$HOME"},
        {"'~/map.bmp'", "~/map.bmp"},
        {"'*.bmp'", "*.bmp"},
        {"'map?.bmp'", "map?.bmp"},
        {"'a;b'", "a;b"},
        {"'a|b'", "a|b"},
        {"'a&b'", "a&b"},
        {"'`id`'", "`id`"},
        {"'a\"b'", "a\"b"},
        {"'a\\b'", "a\\b"},
        {"'#map'", "#map"},
        {"'{a,b}'", "{a,b}"},
        {"'[ab]'", "[ab]"},
        {"'a!b'", "a!b"},
        {"'tab\there'", "tab\there"},
        {"'line\nbreak'", "line\nbreak"},
        {"'\xE6\x9D\xB1\xE4\xBA\xAC.bmp'", "\xE6\x9D\xB1\xE4\xBA\xAC.bmp"},  // bytes past ASCII
    };
    for (const Case& c : cases) EXPECT_EQ(shellWord(c.typed), c.word) << c.typed;
}

}  // namespace

#pragma once
// A word as a POSIX shell reads it back unchanged, for the commands tessella prints for
// the user to run: bare when it holds only letters, digits and _ @ % + = : , . / -;
// otherwise in single quotes, each ' written as '\''. An empty word is ''.

#include <string>

std::string shellWord(const std::string& text);

#pragma once
// The manual page tessella.1, in roff, made from the command table and the texts of its
// help (HelpText.h), so that it says what --help says.

#include <string>

std::string manPage();

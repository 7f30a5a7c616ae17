#pragma once
// The manual page tessella.1, in roff, made from the --help texts.

#include <string>

std::string manPage();

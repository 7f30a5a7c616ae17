#pragma once
// The bash completion script for tessella, made from the --help texts: the commands, each
// command's options, and files, folders or nothing for their values.

#include <string>

std::string bashCompletion();

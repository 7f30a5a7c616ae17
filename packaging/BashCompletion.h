#pragma once
// The bash completion script for tessella, made from the command table: the commands,
// each command's options, and files, folders, command names or nothing for their values.

#include <string>

std::string bashCompletion();

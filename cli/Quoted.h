#pragma once
// What the user typed, in double quotes, as the command's messages show it.

#include <string>
#include <string_view>

std::string quoted(std::string_view text);

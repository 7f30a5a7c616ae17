#pragma once
// The texts of --help and --version.

#include <string>
#include <string_view>

// "" for the overview, "convert" or "probe" for a command.
std::string helpText(std::string_view topic);
std::string versionText();

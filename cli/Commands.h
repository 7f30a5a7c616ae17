#pragma once
// tessella convert: the run of its entry in the command table (ConvertCommand.cpp).
// Returns the process's exit code (ExitCodes.h).

#include <string>
#include <vector>

#include "CommandLine.h"
#include "Conversion.h"
#include "Settings.h"

// warnings: the command line's, about values taken as they are.
int runConvert(const ConvertArguments& args, const std::vector<std::string>& warnings = {});

// The sixteen texts of one CONVERT, as the dialog's fields would hold them: the map name
// in code page 932, everything else as typed.
SettingsText settingsTextFor(const ConvertArguments& args, const std::string& cp932Name);

// The folder of a file's path as typed, "" when it names none (the current folder).
std::string parentFolder(const std::string& path);


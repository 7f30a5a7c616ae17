#pragma once
// What the command needs of the operating system beyond the conversion's file services:
// its arguments as UTF-8, the terminal, and the paths it hands to the conversion.
// PlatformPosix.cpp and PlatformWin32.cpp implement it.

#include <string>
#include <string_view>
#include <vector>

// The arguments after the program name, as UTF-8. On Windows they are read from the
// wide command line, so names outside the ANSI code page survive.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Writes UTF-8 text to standard output or standard error (on a Windows console as wide
// text, elsewhere as the bytes).
void writeStandardOutput(std::string_view utf8);
void writeStandardError(std::string_view utf8);
bool standardErrorIsTerminal();

// The bitmap's path as the conversion takes it: absolute, so it stays valid when the
// command moves to the output folder, and in the encoding of the platform's file
// services (the bytes on POSIX, the ANSI code page on Windows). False with a reason when
// it cannot be given so.
bool conversionBitmapPath(const std::string& utf8Path, std::string& path, std::string& reason);

// A path from the conversion's encoding back to UTF-8, for messages.
std::string displayPath(const std::string& conversionPath);

bool isFolder(const std::string& utf8Path);
// Makes the folder and any missing parents. False with a reason on failure.
bool makeFolders(const std::string& utf8Path, std::string& reason);
// Makes the folder the current directory, where the conversion writes.
bool enterFolder(const std::string& utf8Path, std::string& reason);
// The current directory, as UTF-8.
std::string currentFolder();

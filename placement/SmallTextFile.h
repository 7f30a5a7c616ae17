#pragma once
// The text of a small companion file (.prj, world file) read through the file services:
// a regular file only, so a named pipe never holds the import.

#include <cstdint>
#include <string>

class FileReading;

// Files larger than this are not companions.
constexpr int64_t kLargestSmallTextFile = 1 << 20;

// False when the file cannot be opened or read, or is larger than kLargestSmallTextFile.
bool readSmallTextFile(FileReading& files, const std::string& path, std::string& text);

#pragma once
// Reading map files back: whole small files into memory, through the file services' one
// way of opening an input (regular files only, never waiting on a pipe).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "FileServices.h"

enum class ReadStatus {
    Read,       // bytes read, up to the buffer's capacity
    Missing,    // nothing stands at the path
    Failed,     // it could not be opened or read (a folder, a pipe, no permission, I/O error)
};

struct ReadResult {
    ReadStatus status = ReadStatus::Failed;
    size_t size = 0;      // bytes read; capacity means the file may hold more
    std::string reason;   // why it failed, for messages
    FileIdentity identity;  // the file read
};

// Reads the file's first `capacity` bytes into buffer.
ReadResult readFileStart(const std::filesystem::path& path, uint8_t* buffer, size_t capacity);

// The path as the file services take it: the system's narrow encoding (UTF-8 on Linux,
// the ANSI code page on Windows).
std::string systemPath(const std::filesystem::path& path);

// The path as UTF-8 text for messages.
std::string displayText(const std::filesystem::path& path);

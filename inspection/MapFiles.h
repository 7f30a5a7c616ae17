#pragma once
// Reading map files back: whole small files into memory. Paths are std::filesystem paths,
// so names outside the system's code page reach the file on Windows too.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

enum class ReadStatus {
    Read,       // bytes read, up to the buffer's capacity
    Missing,    // nothing stands at the path
    Failed,     // it could not be opened or read (a folder, no permission, I/O error)
};

struct ReadResult {
    ReadStatus status = ReadStatus::Failed;
    size_t size = 0;      // bytes read; capacity means the file may hold more
    std::string reason;   // why it failed, for messages
};

// Reads the file's first `capacity` bytes into buffer.
ReadResult readFileStart(const std::filesystem::path& path, uint8_t* buffer, size_t capacity);

// The path as UTF-8 text for messages.
std::string displayText(const std::filesystem::path& path);

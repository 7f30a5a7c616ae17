#pragma once
// File services over one file held in memory, for fuzzing the probe without touching the
// disk. Remembers how far into the file anything was read; it offers no way to write.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FileServices.h"

class MemoryFileServices : public FileReading {
public:
    MemoryFileServices(std::string path, const uint8_t* data, size_t size)
        : path_(std::move(path)), bytes_(data, data + size) {}

    bool fileExists(const char* path) override { return path_ == path; }
    Handle openForReading(const char* path) override {
        if (path_ != path) return kNoFile;
        ++openFiles;
        return 3;
    }
    int64_t fileSize(Handle) override { return static_cast<int64_t>(bytes_.size()); }
    int64_t readAt(Handle, uint64_t offset, void* buffer, size_t size) override {
        if (offset >= bytes_.size()) return 0;
        size_t count = std::min(size, bytes_.size() - static_cast<size_t>(offset));
        std::memcpy(buffer, bytes_.data() + offset, count);
        furthestRead = std::max<uint64_t>(furthestRead, offset + size);
        return static_cast<int64_t>(count);
    }
    bool identify(Handle, FileIdentity& identity) override { return identifyPath(path_.c_str(), identity); }
    bool identifyPath(const char* path, FileIdentity& identity) override {
        if (path_ != path) return false;
        identity.file = 1;
        identity.size = static_cast<int64_t>(bytes_.size());
        return true;
    }
    void close(Handle) override { --openFiles; }
    int lastError() override { return 0; }

    int openFiles = 0;
    uint64_t furthestRead = 0;  // end of the furthest read asked for

private:
    std::string path_;
    std::vector<uint8_t> bytes_;
};

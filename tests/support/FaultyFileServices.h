#pragma once
// Passes every call to real file services, but fails the calls a test names: the n-th
// call of a kind (counted from 1) fails, or every call from then on.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FileServices.h"

class FaultyFileServices : public FileServices {
public:
    explicit FaultyFileServices(FileServices& real) : real_(real) {}

    // 0 means never. The n-th call of that kind fails.
    int failOpenForReadingAt = 0;
    int failCreateNewAt = 0;
    int failReplaceAt = 0;
    int failWriteAt = 0;      // the write returns false after writing part of the data
    int shortReadAt = 0;      // the read delivers half of what was asked
    int failReadAt = 0;       // the read returns -1
    int failCloseAt = 0;
    bool failFromThenOn = false;  // once a call of a kind failed, every later one fails too
    // The disk fills up after this many bytes in all (-1: never): the write that crosses
    // the limit writes what fits and fails, as do all writes after it.
    int64_t diskSpace = -1;

    // Faults named by place rather than by count, so they hold whatever the order of calls.
    std::string failCreateOf;   // creating a file whose path ends with this fails
    std::string failWriteTo;    // writes to the file created at a path ending with this stop
                                // halfway and fail, as on a full disk
    uint64_t shortReadFrom = UINT64_MAX;  // reads end at this offset, as if the file had been cut
    // Reads of the bytes this names fail, as on a damaged disk: given offset and size.
    std::function<bool(uint64_t, size_t)> readFails;
    bool failMakeFolder = false;          // no folder can be made

    // Every path given to a creating call, in order.
    std::vector<std::string> created;
    std::vector<std::string> removed;

    bool fileExists(const char* path) override { return real_.fileExists(path); }
    Handle openForReading(const char* path) override;
    int64_t fileSize(Handle file) override { return real_.fileSize(file); }
    int64_t readAt(Handle file, uint64_t offset, void* buffer, size_t size) override;
    Handle createNewFile(const char* path) override;
    Handle replaceFile(const char* path) override;
    bool writeAll(Handle file, const void* data, size_t size) override;
    bool close(Handle file) override;
    bool makeFolder(const char* path) override { return !failMakeFolder && real_.makeFolder(path); }
    bool removeFile(const char* path) override {
        removed.push_back(path);
        return real_.removeFile(path);
    }

    int openForReadingCalls = 0, createNewCalls = 0, replaceCalls = 0, writeCalls = 0,
        readCalls = 0, closeCalls = 0;

private:
    bool hits(int& calls, int failAt);
    bool endsWith(const std::string& path, const std::string& end) const;
    Handle remember(Handle file, const char* path);

    std::map<Handle, std::string> createdPaths_;

    FileServices& real_;
};

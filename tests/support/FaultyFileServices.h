#pragma once
// Passes every call to real file services, but fails the calls a test names: the n-th
// call of a kind (counted from 1) fails, or every call from then on.

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
    bool failFromThenOn = false;
    // The disk fills up after this many bytes in all (-1: never): the write that crosses
    // the limit writes what fits and fails, as do all writes after it.
    int64_t diskSpace = -1;  // once a call of a kind failed, every later one fails too

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
    bool makeFolder(const char* path) override { return real_.makeFolder(path); }
    bool removeFile(const char* path) override {
        removed.push_back(path);
        return real_.removeFile(path);
    }

    int openForReadingCalls = 0, createNewCalls = 0, replaceCalls = 0, writeCalls = 0,
        readCalls = 0, closeCalls = 0;

private:
    bool hits(int& calls, int failAt);

    FileServices& real_;
};

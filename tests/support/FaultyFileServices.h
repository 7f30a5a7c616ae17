#pragma once
// Passes every call to real file services, but fails the calls a test names: the n-th
// call of a kind (counted from 1) fails, or every call from then on. One object holds the
// faults; reading() and output() are the two seams a conversion takes.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FileServices.h"

class FaultyFileServices {
public:
    FaultyFileServices(FileReading& realReading, OutputFolder& realOutput)
        : reading_(*this, realReading), output_(*this, realOutput) {}

    FileReading& reading() { return reading_; }
    OutputFolder& output() { return output_; }

    // 0 means never. The n-th call of that kind fails.
    int failOpenForReadingAt = 0;
    int failLockAt = 0;       // taking the index's lock (creating <folder>.vlm.part)
    int failCreateAt = 0;     // creating a tile's .part file
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
    std::string failRenameTo;   // putting a file in place under a name ending with this fails
    uint64_t shortReadFrom = UINT64_MAX;  // reads end at this offset, as if the file had been cut
    // Reads of the bytes this names fail, as on a damaged disk: given offset and size.
    std::function<bool(uint64_t, size_t)> readFails;
    bool failMakeFolder = false;          // no folder can be made
    // Called after a file has been put in place under its final name.
    std::function<void(const std::string& path)> onPutInPlace;

    // Every path given to a creating call, in order, and every path removed.
    std::vector<std::string> created;
    std::vector<std::string> removed;

    int openForReadingCalls = 0, lockCalls = 0, createCalls = 0, writeCalls = 0, readCalls = 0, closeCalls = 0;

private:
    class Reading final : public FileReading {
    public:
        Reading(FaultyFileServices& faults, FileReading& real) : faults_(faults), real_(real) {}
        bool fileExists(const char* path) override { return real_.fileExists(path); }
        Handle openForReading(const char* path) override;
        int64_t fileSize(Handle file) override { return real_.fileSize(file); }
        int64_t readAt(Handle file, uint64_t offset, void* buffer, size_t size) override;
        bool identify(Handle file, FileIdentity& identity) override { return real_.identify(file, identity); }
        bool identifyPath(const char* path, FileIdentity& identity) override {
            return real_.identifyPath(path, identity);
        }
        void close(Handle file) override { real_.close(file); }
        int lastError() override { return real_.lastError(); }

    private:
        FaultyFileServices& faults_;
        FileReading& real_;
    };

    class Output final : public OutputFolder {
    public:
        Output(FaultyFileServices& faults, OutputFolder& real) : faults_(faults), real_(real) {}
        Entry entryAt(const char* path) override { return real_.entryAt(path); }
        bool fileExists(const char* path) override { return real_.fileExists(path); }
        bool makeFolder(const char* path) override { return !faults_.failMakeFolder && real_.makeFolder(path); }
        Handle createFile(const char* path) override;
        Handle createUniqueFile(const char* prefix, char* path, size_t pathSize) override {
            return real_.createUniqueFile(prefix, path, pathSize);
        }
        LockResult lockFile(const char* path, Handle& file) override;
        bool writeAll(Handle file, const void* data, size_t size) override;
        bool writeAllAt(Handle file, uint64_t offset, const void* data, size_t size) override {
            return real_.writeAllAt(file, offset, data, size);
        }
        bool close(Handle file) override;
        bool replaceWith(const char* from, const char* to) override;
        MoveResult moveNoReplace(const char* from, const char* to) override;
        bool removeFile(const char* path) override;
        bool removeFolder(const char* path) override { return real_.removeFolder(path); }
        bool identify(const char* path, FileIdentity& identity) override { return real_.identify(path, identity); }
        bool listFolder(const char* path, EntryCallback found, void* context) override {
            return real_.listFolder(path, found, context);
        }
        int lastError() override { return real_.lastError(); }
        const char* location() const override { return real_.location(); }

    private:
        FaultyFileServices& faults_;
        OutputFolder& real_;
        std::map<Handle, std::string> createdPaths_;
    };

    bool hits(int& calls, int failAt) const;
    static bool endsWith(const std::string& path, const std::string& end);
    static bool named(const std::string& path, const std::string& end);

    Reading reading_;
    Output output_;
};

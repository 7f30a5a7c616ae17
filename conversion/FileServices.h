#pragma once
// The file operations the conversion needs, behind two small seams: reading the bitmap
// (FileReading) and writing one output folder (OutputFolder). Each has a POSIX and a Win32
// (ANSI) implementation; the tests put failing ones in their place.
//
// Threads: while the tile writer runs, the reader thread calls readAt on the bitmap's
// handle and nothing else; every other call, of both seams, comes from the thread that
// runs the conversion. Implementations keep what a failed call leaves for lastError per
// thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Which file a handle or path leads to, and what it held when looked at: a file replaced,
// rewritten or grown in between compares unequal.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t file = 0;      // inode, or the volume's file index
    int64_t size = -1;
    int64_t modified = 0;   // modification time in the system's finest unit

    bool sameFile(const FileIdentity& other) const {
        return device == other.device && file == other.file;
    }
    bool operator==(const FileIdentity& other) const {
        return sameFile(other) && size == other.size && modified == other.modified;
    }
};

// The bitmap side. Paths are taken as the system resolves them: absolute, or relative to
// the process's current folder; links are followed.
class FileReading {
public:
    using Handle = intptr_t;
    static constexpr Handle kNoFile = -1;

    virtual ~FileReading() = default;

    // A file (not a folder) can be found at the path, following links.
    virtual bool fileExists(const char* path) = 0;
    // Opens a regular file for reading without ever waiting: a named pipe, a device or a
    // folder is refused at once (lastError then says what stands there).
    virtual Handle openForReading(const char* path) = 0;
    // Size of an open file in bytes, or -1 when it is no disk file or cannot be measured.
    virtual int64_t fileSize(Handle file) = 0;
    // Reads up to size bytes at an absolute offset. Returns the count read, which is less
    // than size only at the end of the file, or -1 on an error.
    virtual int64_t readAt(Handle file, uint64_t offset, void* buffer, size_t size) = 0;
    // What the open file is now; false if that cannot be told.
    virtual bool identify(Handle file, FileIdentity& identity) = 0;
    // What the path leads to now; false if nothing is there.
    virtual bool identifyPath(const char* path, FileIdentity& identity) = 0;
    virtual void close(Handle file) = 0;
    // The system's error code of this thread's last failed call.
    virtual int lastError() = 0;
};

// The platform's implementation.
FileReading& platformFileReading();

// One output folder, opened once for one run. Paths are relative to it (the names of
// OutputPaths.h); no link below the folder is ever followed, so nothing is written or
// removed outside it. Links in the path to the folder itself are followed when it is
// opened, as the system follows them.
class OutputFolder {
public:
    using Handle = intptr_t;
    static constexpr Handle kNoFile = -1;

    // What stands at a path, links not followed.
    enum class Entry { Missing, File, Folder, Link, Other };
    enum class LockResult { Locked, Busy, Failed };
    enum class MoveResult { Moved, TargetExists, Failed };

    virtual ~OutputFolder() = default;

    virtual Entry entryAt(const char* path) = 0;
    // A file stands at the path, or a link that leads to one (the link is only looked
    // through, never written through).
    virtual bool fileExists(const char* path) = 0;
    // Makes a folder; true if it was made or a real folder (not a link) is there already.
    virtual bool makeFolder(const char* path) = 0;
    // Creates a new, empty file, removing a file or link that stands at the path first
    // (by name: the data of its other hard links, or a link's target, stay untouched).
    // Never opens anything that was there.
    virtual Handle createFile(const char* path) = 0;
    // Creates a new, empty file at path with a random part in its name that no other run
    // can pick: "<prefix>.XXXXXX.part". The name made is written to path.
    virtual Handle createUniqueFile(const char* prefix, char* path, size_t pathSize) = 0;
    // Takes the run's lock at path, held until close or the end of the process: Busy when
    // another process holds it. A file left there by a run that is over is removed by name,
    // and a new, empty one created and locked; only a file the path still names once locked
    // is returned. A folder, link or anything but a regular file there fails, with
    // lastError saying what stands there.
    virtual LockResult lockFile(const char* path, Handle& file) = 0;
    // Writes all bytes or returns false (disk full, file too large, I/O error).
    virtual bool writeAll(Handle file, const void* data, size_t size) = 0;
    // The same at an absolute offset.
    virtual bool writeAllAt(Handle file, uint64_t offset, const void* data, size_t size) = 0;
    // Closes the file; false when data written may not have reached the file.
    virtual bool close(Handle file) = 0;
    // Renames a file, replacing a file or link at the target (never a folder).
    virtual bool replaceWith(const char* from, const char* to) = 0;
    // Renames a file only if nothing stands at the target.
    virtual MoveResult moveNoReplace(const char* from, const char* to) = 0;
    // Removes a file or link, never a folder; false if nothing was removed.
    virtual bool removeFile(const char* path) = 0;
    // Removes an empty folder (not a link); false if it was not removed.
    virtual bool removeFolder(const char* path) = 0;
    // What stands at the path, links not followed; false if nothing.
    virtual bool identify(const char* path, FileIdentity& identity) = 0;
    // Calls found(name, isFolder) for each entry of the folder (not "." and ".."), and
    // stops early when it returns false. False if the folder cannot be read.
    using EntryCallback = bool (*)(void* context, const char* name, bool isFolder);
    virtual bool listFolder(const char* path, EntryCallback found, void* context) = 0;
    // The system's error code of this thread's last failed call.
    virtual int lastError() = 0;
    // The folder as the system resolved it when it was opened (for messages).
    virtual const char* location() const = 0;
};

// Opens the output folder at path (absolute, or relative to the current folder) for one
// run. Null when it cannot be opened; errorCode then holds the system's reason.
std::unique_ptr<OutputFolder> openOutputFolder(const char* path, int& errorCode);

// Error codes of the seams' own, beside the system's, for what stands where a file was
// wanted: lastError gives them and describeSystemError words them.
inline constexpr int kErrorFolderStands = -1001;
inline constexpr int kErrorLinkStands = -1002;
inline constexpr int kErrorPipeStands = -1003;
inline constexpr int kErrorDeviceStands = -1004;
inline constexpr int kErrorNameTooLong = -1005;

// The words for one of those codes; null for a system's code.
inline const char* standingErrorText(int errorCode) {
    switch (errorCode) {
        case kErrorFolderStands: return "a folder stands there, not a file";
        case kErrorLinkStands: return "a link stands there; Tessella does not write through links";
        case kErrorPipeStands: return "a named pipe stands there, not a file";
        case kErrorDeviceStands: return "a device or socket stands there, not a file";
        case kErrorNameTooLong: return "the name is too long";
    }
    return nullptr;
}

// The system's text for an error code of these seams, in UTF-8 on POSIX and in the ANSI
// code page on Windows, without a trailing line end.
void describeSystemError(int errorCode, char* text, size_t size);
// The same words as UTF-8 text, for messages.
std::string systemErrorText(int errorCode);

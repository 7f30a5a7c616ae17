#pragma once
// The file operations the conversion needs, behind one seam: a POSIX implementation, a
// Win32 (ANSI) one, and failing ones in the tests.
//
// Relative paths are resolved against the output folder the implementation was made
// for (by default the current directory); absolute paths are used as they are.

#include <cstddef>
#include <cstdint>

class FileServices {
public:
    using Handle = intptr_t;
    static constexpr Handle kNoFile = -1;

    virtual ~FileServices() = default;

    // A file (not a folder) can be found at the path, following links.
    virtual bool fileExists(const char* path) = 0;
    virtual Handle openForReading(const char* path) = 0;
    // Size of an open file in bytes, or -1.
    virtual int64_t fileSize(Handle file) = 0;
    // Reads up to size bytes at an absolute offset. Returns the count read, which is less
    // than size only at the end of the file, or -1 on an error.
    virtual int64_t readAt(Handle file, uint64_t offset, void* buffer, size_t size) = 0;
    // Creates a new file for writing; fails if anything already stands at the path.
    virtual Handle createNewFile(const char* path) = 0;
    // Replaces whatever file or link stands at the path (never a folder) by a new, empty
    // file: the old entry is removed, not written through, so a link never leads the
    // write elsewhere.
    virtual Handle replaceFile(const char* path) = 0;
    // Writes all bytes or returns false (disk full, I/O error).
    virtual bool writeAll(Handle file, const void* data, size_t size) = 0;
    // Closes the file; false when data written may not have reached the file.
    virtual bool close(Handle file) = 0;
    // Makes a folder; false if it could not be made (it may exist already).
    virtual bool makeFolder(const char* path) = 0;
    // Removes a file or link; false if nothing was removed.
    virtual bool removeFile(const char* path) = 0;
};

// The platform's implementation, resolving relative paths against the current directory.
FileServices& platformFileServices();

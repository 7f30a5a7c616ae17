#pragma once
// One file written whole: every file Tessella creates (tiles, the index, a preview, an
// imported bitmap) goes through this. The file is made as a fresh temporary beside its
// final name, created exclusively and never through a link or over a file that was there;
// it takes its final name only when complete, by one rename, under an explicit policy.
// Whatever stops the writing (a failure, a signal that ends the run between two writes),
// only the temporary this writer made is removed, never anything else.
//
// Temporaries:
//   Shared   "<final>.part": the map's own files, written under the run's lock, so no
//            other run writes the same name at the same time; a stale one is removed
//            by name first.
//   Unique   "<final>.XXXXXX.part": a file anybody may be writing at the same time; two
//            runs to one name never share a temporary.
//   Lock     "<final>.part" taken as the run's lock (OutputFolder::lockFile): the index.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FileServices.h"
#include "OutputPaths.h"

enum class Temporary { Shared, Unique, Lock };

// How the finished file takes its final name.
enum class Placing {
    NeverReplace,  // fails with Exists when anything stands there
    Replace,       // a file or link there is replaced (a link's target is left alone); never a folder
};

enum class OutputFileResult {
    Done = 0,
    Exists,        // NeverReplace found something at the final name, or the lock is another run's
    CreateFailed,  // the temporary could not be made, or the file could not be put in place
    WriteFailed,   // disk full, file too large or I/O error
};

class OutputFile {
public:
    explicit OutputFile(OutputFolder& folder) : folder_(folder) {}
    // Removes the temporary unless the file was put in place.
    ~OutputFile() { abandon(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Makes the temporary for the file at finalPath (relative to the folder).
    OutputFileResult create(const char* finalPath, Temporary kind);
    bool write(const void* data, size_t size);
    bool writeAt(uint64_t offset, const void* data, size_t size);
    // Completes the file and gives it its final name. On any failure the temporary is
    // removed.
    OutputFileResult place(Placing policy);
    // Closes and removes the temporary, if one is open.
    void abandon();

    bool isOpen() const { return file_ != OutputFolder::kNoFile; }
    // The system's reason for the last failure (or one of FileServices.h's own codes).
    int error() const { return error_; }
    const char* finalPath() const { return final_; }
    const char* temporaryPath() const { return temporary_; }

private:
    OutputFileResult fail(OutputFileResult result);
    bool closeFile();

    // Room for a name of the user's (255 bytes) below a few folders, and its temporary.
    static constexpr size_t kPathSize = 512;

    OutputFolder& folder_;
    OutputFolder::Handle file_ = OutputFolder::kNoFile;
    Temporary kind_ = Temporary::Shared;
    char final_[kPathSize] = {};
    char temporary_[kPathSize] = {};
    int error_ = 0;
};

// A single file named by a path of the user's: the folder it goes in, opened as the
// output folder (links in that path followed, as the system follows them), and its name
// there.
struct OutputTarget {
    std::unique_ptr<OutputFolder> folder;
    std::string name;
};

// False with error set when the folder cannot be opened or the path ends in no name.
bool openOutputTarget(const char* path, OutputTarget& target, int& error);

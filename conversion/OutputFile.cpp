#include "OutputFile.h"

#include <cstdio>
#include <cstring>

OutputFileResult OutputFile::fail(OutputFileResult result) {
    if (error_ == 0) error_ = folder_.lastError();
    abandon();
    return result;
}

OutputFileResult OutputFile::create(const char* finalPath, Temporary kind) {
    abandon();
    error_ = 0;
    kind_ = kind;
    const size_t length = std::strlen(finalPath);
    if (length + sizeof kPartSuffix > sizeof final_) {
        error_ = kErrorNameTooLong;
        return OutputFileResult::CreateFailed;
    }
    std::memcpy(final_, finalPath, length + 1);
    if (kind != Temporary::Unique) {
        std::memcpy(temporary_, final_, length);
        std::memcpy(temporary_ + length, kPartSuffix, sizeof kPartSuffix);
    }
    switch (kind) {
        case Temporary::Shared:
            file_ = folder_.createFile(temporary_);
            break;
        case Temporary::Unique:
            file_ = folder_.createUniqueFile(final_, temporary_, sizeof temporary_);
            break;
        case Temporary::Lock:
            switch (folder_.lockFile(temporary_, file_)) {
                case OutputFolder::LockResult::Locked: break;
                case OutputFolder::LockResult::Busy:
                    file_ = OutputFolder::kNoFile;
                    temporary_[0] = '\0';  // another run's: never ours to remove
                    return OutputFileResult::Exists;
                case OutputFolder::LockResult::Failed:
                    error_ = folder_.lastError();
                    file_ = OutputFolder::kNoFile;
                    temporary_[0] = '\0';
                    return OutputFileResult::CreateFailed;
            }
            break;
    }
    if (file_ == OutputFolder::kNoFile) {
        error_ = folder_.lastError();
        temporary_[0] = '\0';  // nothing of ours stands there
        return OutputFileResult::CreateFailed;
    }
    return OutputFileResult::Done;
}

bool OutputFile::write(const void* data, size_t size) {
    if (folder_.writeAll(file_, data, size)) return true;
    error_ = folder_.lastError();
    return false;
}

bool OutputFile::writeAt(uint64_t offset, const void* data, size_t size) {
    if (folder_.writeAllAt(file_, offset, data, size)) return true;
    error_ = folder_.lastError();
    return false;
}

bool OutputFile::closeFile() {
    const bool closed = folder_.close(file_);
    file_ = OutputFolder::kNoFile;
    if (!closed) error_ = folder_.lastError();
    return closed;
}

OutputFileResult OutputFile::place(Placing policy) {
    // The lock is held until the file has its final name, so no other run can take the
    // temporary over in between; any other file is closed first, so that a failure to
    // write its last bytes is seen before it takes its name.
    if (kind_ != Temporary::Lock && !closeFile()) return fail(OutputFileResult::WriteFailed);
    if (policy == Placing::Replace) {
        if (!folder_.replaceWith(temporary_, final_)) return fail(OutputFileResult::CreateFailed);
    } else {
        switch (folder_.moveNoReplace(temporary_, final_)) {
            case OutputFolder::MoveResult::Moved: break;
            case OutputFolder::MoveResult::TargetExists: return fail(OutputFileResult::Exists);
            case OutputFolder::MoveResult::Failed: return fail(OutputFileResult::CreateFailed);
        }
    }
    temporary_[0] = '\0';
    // The lock's data is complete and in place: a close failure changes nothing now.
    if (file_ != OutputFolder::kNoFile) closeFile();
    return OutputFileResult::Done;
}

void OutputFile::abandon() {
    // A lock's temporary is removed while the lock is still held, so no other run can
    // have taken it over.
    if (temporary_[0] != '\0') folder_.removeFile(temporary_);
    temporary_[0] = '\0';
    if (file_ != OutputFolder::kNoFile) folder_.close(file_);
    file_ = OutputFolder::kNoFile;
}

bool openOutputTarget(const char* path, OutputTarget& target, int& error) {
    const char* name = std::strrchr(path, '/');
#ifdef _WIN32
    const char* backslash = std::strrchr(path, '\\');
    if (backslash != nullptr && (name == nullptr || backslash > name)) name = backslash;
    if (name == nullptr && path[0] != '\0' && path[1] == ':') name = path + 1;  // "C:name"
#endif
    std::string folder;
    if (name == nullptr) {
        folder = ".";
        name = path;
    } else {
        folder.assign(path, static_cast<size_t>(name - path) + 1);  // "/" and "C:\" stay roots
        ++name;
    }
    if (*name == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
        error = kErrorFolderStands;
        return false;
    }
    target.name = name;
    target.folder = openOutputFolder(folder.c_str(), error);
    return target.folder != nullptr;
}

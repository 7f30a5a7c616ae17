#include "FaultyFileServices.h"

#include <cerrno>

bool FaultyFileServices::hits(int& calls, int failAt) const {
    ++calls;
    if (failAt == 0) return false;
    return failFromThenOn ? calls >= failAt : calls == failAt;
}

bool FaultyFileServices::endsWith(const std::string& path, const std::string& end) {
    return !end.empty() && path.size() >= end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
}

// Whether path is the temporary of a file whose name ends with `end`.
bool FaultyFileServices::named(const std::string& path, const std::string& end) {
    return !end.empty() && endsWith(path, end + ".part");
}

FileReading::Handle FaultyFileServices::Reading::openForReading(const char* path) {
    if (faults_.hits(faults_.openForReadingCalls, faults_.failOpenForReadingAt)) return kNoFile;
    return real_.openForReading(path);
}

int64_t FaultyFileServices::Reading::readAt(Handle file, uint64_t offset, void* buffer, size_t size) {
    FaultyFileServices& f = faults_;
    ++f.readCalls;
    if (f.readFails && f.readFails(offset, size)) return -1;
    if (offset + size > f.shortReadFrom)
        return offset >= f.shortReadFrom ? 0 : real_.readAt(file, offset, buffer, f.shortReadFrom - offset);
    if (f.failReadAt != 0 && (f.failFromThenOn ? f.readCalls >= f.failReadAt : f.readCalls == f.failReadAt))
        return -1;
    if (f.shortReadAt != 0 && (f.failFromThenOn ? f.readCalls >= f.shortReadAt : f.readCalls == f.shortReadAt))
        return real_.readAt(file, offset, buffer, size / 2);
    return real_.readAt(file, offset, buffer, size);
}

OutputFolder::Handle FaultyFileServices::Output::createFile(const char* path) {
    faults_.created.push_back(path);
    if (faults_.hits(faults_.createCalls, faults_.failCreateAt) || named(path, faults_.failCreateOf))
        return kNoFile;
    Handle file = real_.createFile(path);
    if (file != kNoFile) createdPaths_[file] = path;
    return file;
}

OutputFolder::LockResult FaultyFileServices::Output::lockFile(const char* path, Handle& file) {
    faults_.created.push_back(path);
    if (faults_.hits(faults_.lockCalls, faults_.failLockAt) || named(path, faults_.failCreateOf))
        return LockResult::Failed;
    LockResult result = real_.lockFile(path, file);
    if (result == LockResult::Locked) createdPaths_[file] = path;
    return result;
}

bool FaultyFileServices::Output::writeAll(Handle file, const void* data, size_t size) {
    FaultyFileServices& f = faults_;
    if (f.diskSpace >= 0) {
        size_t fits = static_cast<size_t>(f.diskSpace) < size ? static_cast<size_t>(f.diskSpace) : size;
        f.diskSpace -= static_cast<int64_t>(fits);
        if (fits < size) {
            real_.writeAll(file, data, fits);
            ++f.writeCalls;
            errno = ENOSPC;
            return false;
        }
    }
    auto created = createdPaths_.find(file);
    bool fullDisk = created != createdPaths_.end() && named(created->second, f.failWriteTo);
    if (f.hits(f.writeCalls, f.failWriteAt) || fullDisk) {
        real_.writeAll(file, data, size / 2);
        return false;
    }
    return real_.writeAll(file, data, size);
}

bool FaultyFileServices::Output::close(Handle file) {
    createdPaths_.erase(file);
    bool closed = real_.close(file);
    if (faults_.hits(faults_.closeCalls, faults_.failCloseAt)) return false;
    return closed;
}

bool FaultyFileServices::Output::replaceWith(const char* from, const char* to) {
    if (endsWith(to, faults_.failRenameTo)) return false;
    if (!real_.replaceWith(from, to)) return false;
    if (faults_.onPutInPlace) faults_.onPutInPlace(to);
    return true;
}

OutputFolder::MoveResult FaultyFileServices::Output::moveNoReplace(const char* from, const char* to) {
    if (endsWith(to, faults_.failRenameTo)) return MoveResult::Failed;
    MoveResult result = real_.moveNoReplace(from, to);
    if (result == MoveResult::Moved && faults_.onPutInPlace) faults_.onPutInPlace(to);
    return result;
}

bool FaultyFileServices::Output::removeFile(const char* path) {
    faults_.removed.push_back(path);
    return real_.removeFile(path);
}

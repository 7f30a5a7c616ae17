#include "FaultyFileServices.h"

bool FaultyFileServices::hits(int& calls, int failAt) {
    ++calls;
    if (failAt == 0) return false;
    return failFromThenOn ? calls >= failAt : calls == failAt;
}

FileServices::Handle FaultyFileServices::openForReading(const char* path) {
    if (hits(openForReadingCalls, failOpenForReadingAt)) return kNoFile;
    return real_.openForReading(path);
}

bool FaultyFileServices::endsWith(const std::string& path, const std::string& end) const {
    return !end.empty() && path.size() >= end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
}

FileServices::Handle FaultyFileServices::remember(Handle file, const char* path) {
    if (file != kNoFile) createdPaths_[file] = path;
    return file;
}

int64_t FaultyFileServices::readAt(Handle file, uint64_t offset, void* buffer, size_t size) {
    ++readCalls;
    if (readFails && readFails(offset, size)) return -1;
    if (offset + size > shortReadFrom)
        return offset >= shortReadFrom ? 0 : real_.readAt(file, offset, buffer, shortReadFrom - offset);
    if (failReadAt != 0 && (failFromThenOn ? readCalls >= failReadAt : readCalls == failReadAt))
        return -1;
    if (shortReadAt != 0 &&
        (failFromThenOn ? readCalls >= shortReadAt : readCalls == shortReadAt))
        return real_.readAt(file, offset, buffer, size / 2);
    return real_.readAt(file, offset, buffer, size);
}

FileServices::Handle FaultyFileServices::createNewFile(const char* path) {
    created.push_back(path);
    if (hits(createNewCalls, failCreateNewAt) || endsWith(path, failCreateOf)) return kNoFile;
    return remember(real_.createNewFile(path), path);
}

FileServices::Handle FaultyFileServices::replaceFile(const char* path) {
    created.push_back(path);
    if (hits(replaceCalls, failReplaceAt) || endsWith(path, failCreateOf)) return kNoFile;
    return remember(real_.replaceFile(path), path);
}

bool FaultyFileServices::writeAll(Handle file, const void* data, size_t size) {
    if (diskSpace >= 0) {
        size_t fits = static_cast<size_t>(diskSpace) < size ? static_cast<size_t>(diskSpace) : size;
        diskSpace -= static_cast<int64_t>(fits);
        if (fits < size) {
            real_.writeAll(file, data, fits);
            ++writeCalls;
            return false;
        }
    }
    auto created = createdPaths_.find(file);
    bool fullDisk = created != createdPaths_.end() && endsWith(created->second, failWriteTo);
    if (hits(writeCalls, failWriteAt) || fullDisk) {
        real_.writeAll(file, data, size / 2);
        return false;
    }
    return real_.writeAll(file, data, size);
}

bool FaultyFileServices::close(Handle file) {
    createdPaths_.erase(file);
    bool closed = real_.close(file);
    if (hits(closeCalls, failCloseAt)) return false;
    return closed;
}

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

int64_t FaultyFileServices::readAt(Handle file, uint64_t offset, void* buffer, size_t size) {
    ++readCalls;
    if (failReadAt != 0 && (failFromThenOn ? readCalls >= failReadAt : readCalls == failReadAt))
        return -1;
    if (shortReadAt != 0 &&
        (failFromThenOn ? readCalls >= shortReadAt : readCalls == shortReadAt))
        return real_.readAt(file, offset, buffer, size / 2);
    return real_.readAt(file, offset, buffer, size);
}

FileServices::Handle FaultyFileServices::createNewFile(const char* path) {
    created.push_back(path);
    if (hits(createNewCalls, failCreateNewAt)) return kNoFile;
    return real_.createNewFile(path);
}

FileServices::Handle FaultyFileServices::replaceFile(const char* path) {
    created.push_back(path);
    if (hits(replaceCalls, failReplaceAt)) return kNoFile;
    return real_.replaceFile(path);
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
    if (hits(writeCalls, failWriteAt)) {
        real_.writeAll(file, data, size / 2);
        return false;
    }
    return real_.writeAll(file, data, size);
}

bool FaultyFileServices::close(Handle file) {
    bool closed = real_.close(file);
    if (hits(closeCalls, failCloseAt)) return false;
    return closed;
}

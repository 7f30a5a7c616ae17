#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileServices.h"

namespace {

class PosixFileServices : public FileServices {
public:
    bool fileExists(const char* path) override {
        struct stat info;
        return ::stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
    }

    Handle openForReading(const char* path) override {
        // Opened without waiting: a named pipe that nobody writes to would otherwise hold
        // the open for ever. Reads wait as usual once it is open.
        int fd;
        do fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        while (fd < 0 && errno == EINTR);
        if (fd < 0) return kNoFile;
        int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        return fd;
    }

    int64_t fileSize(Handle file) override {
        struct stat info;
        if (::fstat(static_cast<int>(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
        return info.st_size;
    }

    int64_t readAt(Handle file, uint64_t offset, void* buffer, size_t size) override {
        size_t done = 0;
        while (done < size) {
            ssize_t got = ::pread(static_cast<int>(file), static_cast<char*>(buffer) + done, size - done,
                                  static_cast<off_t>(offset + done));
            if (got < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (got == 0) break;
            done += static_cast<size_t>(got);
        }
        return static_cast<int64_t>(done);
    }

    Handle createNewFile(const char* path) override {
        int fd;
        do fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        while (fd < 0 && errno == EINTR);
        return fd < 0 ? kNoFile : fd;
    }

    Handle replaceFile(const char* path) override {
        struct stat info;
        if (::lstat(path, &info) == 0 && !S_ISDIR(info.st_mode)) ::unlink(path);
        return createNewFile(path);
    }

    bool writeAll(Handle file, const void* data, size_t size) override {
        size_t done = 0;
        while (done < size) {
            ssize_t put = ::write(static_cast<int>(file), static_cast<const char*>(data) + done, size - done);
            if (put < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (put == 0) return false;
            done += static_cast<size_t>(put);
        }
        return true;
    }

    bool close(Handle file) override { return ::close(static_cast<int>(file)) == 0; }

    bool makeFolder(const char* path) override { return ::mkdir(path, 0755) == 0; }

    bool removeFile(const char* path) override { return ::unlink(path) == 0; }
};

}  // namespace

FileServices& platformFileServices() {
    static PosixFileServices services;
    return services;
}

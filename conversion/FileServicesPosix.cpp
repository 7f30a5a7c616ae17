// File services on POSIX systems. The output folder is one directory descriptor, opened
// once; every output path below it is reached with the *at calls, one folder at a time,
// none of them following a link, so a link planted anywhere below the folder can neither
// lead a write elsewhere nor be removed through.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "FileServices.h"
#include "OutputPaths.h"
#include "PosixCalls.h"

namespace posix_calls {

Calls& calls() {
    static Calls table{::write, ::pread};
    return table;
}

}  // namespace posix_calls

namespace {

thread_local int lastFailure = 0;

// Records errno for lastError and passes the result on.
template <typename T>
T failed(T result) {
    lastFailure = errno;
    return result;
}

int64_t modifiedTime(const struct stat& info) {
    return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

FileIdentity identityOf(const struct stat& info) {
    FileIdentity identity;
    identity.device = static_cast<uint64_t>(info.st_dev);
    identity.file = static_cast<uint64_t>(info.st_ino);
    identity.size = static_cast<int64_t>(info.st_size);
    identity.modified = modifiedTime(info);
    return identity;
}

int openRetrying(int folder, const char* path, int flags, mode_t mode = 0) {
    int fd;
    do fd = ::openat(folder, path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The seams' own code for what a file's mode says stands there; 0 for a regular file.
int standingError(mode_t mode) {
    if (S_ISREG(mode)) return 0;
    if (S_ISDIR(mode)) return kErrorFolderStands;
    if (S_ISLNK(mode)) return kErrorLinkStands;
    if (S_ISFIFO(mode)) return kErrorPipeStands;
    return kErrorDeviceStands;
}

// Records one of the seams' own codes for lastError.
template <typename T>
T refused(int code, T result) {
    lastFailure = code;
    return result;
}

class PosixFileReading final : public FileReading {
public:
    bool fileExists(const char* path) override {
        struct stat info;
        return ::stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
    }

    Handle openForReading(const char* path) override {
        // Opened without waiting: a named pipe that nobody writes to would otherwise hold
        // the open for ever. Reads wait as usual once it is open.
        int fd = openRetrying(AT_FDCWD, path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return failed(kNoFile);
        // Regular files only: a pipe or a device would block a read, or never end.
        struct stat info;
        if (::fstat(fd, &info) != 0) {
            failed(0);
            ::close(fd);
            return kNoFile;
        }
        if (int standing = standingError(info.st_mode)) {
            ::close(fd);
            return refused(standing, kNoFile);
        }
        int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        return fd;
    }

    int64_t fileSize(Handle file) override {
        struct stat info;
        if (::fstat(static_cast<int>(file), &info) != 0) return failed<int64_t>(-1);
        return S_ISREG(info.st_mode) ? info.st_size : -1;
    }

    int64_t readAt(Handle file, uint64_t offset, void* buffer, size_t size) override {
        size_t done = 0;
        while (done < size) {
            ssize_t got = posix_calls::calls().pread(static_cast<int>(file), static_cast<char*>(buffer) + done,
                                                     size - done, static_cast<off_t>(offset + done));
            if (got < 0) {
                if (errno == EINTR) continue;
                return failed<int64_t>(-1);
            }
            if (got == 0) break;
            done += static_cast<size_t>(got);
        }
        return static_cast<int64_t>(done);
    }

    bool identify(Handle file, FileIdentity& identity) override {
        struct stat info;
        if (::fstat(static_cast<int>(file), &info) != 0) return failed(false);
        identity = identityOf(info);
        return true;
    }

    bool identifyPath(const char* path, FileIdentity& identity) override {
        struct stat info;
        if (::stat(path, &info) != 0) return failed(false);
        identity = identityOf(info);
        return true;
    }

    void close(Handle file) override { ::close(static_cast<int>(file)); }

    int lastError() override { return lastFailure; }
};

bool writeWhole(int fd, const void* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t put = posix_calls::calls().write(fd, static_cast<const char*>(data) + done, size - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return failed(false);
        }
        if (put == 0) {
            errno = ENOSPC;
            return failed(false);
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

class PosixOutputFolder final : public OutputFolder {
public:
    PosixOutputFolder(int root, const char* location) : root_(root) {
        std::snprintf(location_, sizeof location_, "%s", location);
    }

    ~PosixOutputFolder() override {
        forgetFolder();
        ::close(root_);
    }

    Entry entryAt(const char* path) override {
        Place place;
        if (!reach(path, place)) return Entry::Missing;
        struct stat info;
        if (::fstatat(place.folder, place.name, &info, AT_SYMLINK_NOFOLLOW) != 0) return Entry::Missing;
        if (S_ISREG(info.st_mode)) return Entry::File;
        if (S_ISDIR(info.st_mode)) return Entry::Folder;
        if (S_ISLNK(info.st_mode)) return Entry::Link;
        return Entry::Other;
    }

    bool fileExists(const char* path) override {
        Place place;
        struct stat info;
        return reach(path, place) && ::fstatat(place.folder, place.name, &info, 0) == 0 &&
               !S_ISDIR(info.st_mode);
    }

    bool makeFolder(const char* path) override {
        Place place;
        if (!reach(path, place)) return false;
        if (::mkdirat(place.folder, place.name, 0755) == 0) return true;
        if (errno != EEXIST) return failed(false);
        struct stat info;
        if (::fstatat(place.folder, place.name, &info, AT_SYMLINK_NOFOLLOW) != 0) return failed(false);
        if (S_ISDIR(info.st_mode)) return true;
        errno = S_ISLNK(info.st_mode) ? ELOOP : ENOTDIR;
        return failed(false);
    }

    Handle createFile(const char* path) override {
        Place place;
        if (!reach(path, place)) return kNoFile;
        removeNonFolder(place);
        return createNew(place);
    }

    Handle createUniqueFile(const char* prefix, char* path, size_t pathSize) override {
        for (int attempt = 0; attempt < 64; ++attempt) {
            if (!formatUniquePartPath(path, pathSize, prefix)) {
                path[0] = '\0';
                return refused(ENAMETOOLONG, kNoFile);
            }
            Place place;
            if (!reach(path, place)) return kNoFile;
            Handle fd = createNew(place);
            if (fd != kNoFile || lastFailure != EEXIST) return fd;
        }
        return kNoFile;
    }

    LockResult lockFile(const char* path, Handle& file) override {
        Place place;
        if (!reach(path, place)) return LockResult::Failed;
        // The lock belongs to the file, so it must be the file the path names once it is
        // held. A file found there is only ever locked and removed by name, never written:
        // it may be another name of a file elsewhere. The run's own lock file is one it
        // made itself, exclusively.
        for (int attempt = 0; attempt < 16; ++attempt) {
            int fd = openRetrying(place.folder, place.name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            const bool found = fd >= 0;
            if (!found) {
                if (errno == ELOOP) return refused(kErrorLinkStands, LockResult::Failed);
                if (errno != ENOENT) return failed(LockResult::Failed);
                fd = createNew(place, O_RDWR);
                if (fd < 0) {
                    if (lastFailure == EEXIST) continue;  // another run made one just now
                    return LockResult::Failed;
                }
            }
            struct stat held;
            if (::fstat(fd, &held) != 0) {
                failed(0);
                ::close(fd);
                return LockResult::Failed;
            }
            if (int standing = standingError(held.st_mode)) {
                ::close(fd);
                return refused(standing, LockResult::Failed);
            }
            int locked;
            do locked = ::flock(fd, LOCK_EX | LOCK_NB);
            while (locked != 0 && errno == EINTR);
            if (locked != 0) {
                const bool busy = errno == EWOULDBLOCK;
                failed(0);
                ::close(fd);
                if (busy && !found) continue;  // a run that found ours a moment ago: it goes on
                return busy ? LockResult::Busy : LockResult::Failed;
            }
            struct stat named;
            const bool same = ::fstatat(place.folder, place.name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                              held.st_dev == named.st_dev && held.st_ino == named.st_ino;
            if (same && !found) {
                file = fd;
                return LockResult::Locked;
            }
            // Left by a run that is over (its lock was free): removed by name while locked,
            // so no run that finds it later can take it for a live lock.
            if (same && ::unlinkat(place.folder, place.name, 0) != 0) {
                failed(0);  // a folder that cannot be written in: the lock cannot be made there
                ::close(fd);
                return LockResult::Failed;
            }
            ::close(fd);
        }
        errno = EAGAIN;
        return failed(LockResult::Busy);
    }

    bool writeAll(Handle file, const void* data, size_t size) override {
        return writeWhole(static_cast<int>(file), data, size);
    }

    bool writeAllAt(Handle file, uint64_t offset, const void* data, size_t size) override {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            ssize_t put = ::pwrite(static_cast<int>(file), bytes, size, static_cast<off_t>(offset));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                if (put == 0) errno = ENOSPC;
                return failed(false);
            }
            bytes += put;
            size -= static_cast<size_t>(put);
            offset += static_cast<uint64_t>(put);
        }
        return true;
    }

    bool close(Handle file) override { return ::close(static_cast<int>(file)) == 0 || failed(false); }

    bool replaceWith(const char* from, const char* to) override {
        Place source, target;
        if (!reach(from, source) || !reachSecond(to, target)) return false;
        return ::renameat(source.folder, source.name, target.folder, target.name) == 0 || failed(false);
    }

    MoveResult moveNoReplace(const char* from, const char* to) override {
        Place source, target;
        if (!reach(from, source) || !reachSecond(to, target)) return MoveResult::Failed;
        if (::renameat2(source.folder, source.name, target.folder, target.name, RENAME_NOREPLACE) == 0)
            return MoveResult::Moved;
        if (errno == EEXIST) return failed(MoveResult::TargetExists);
        if (errno != EINVAL && errno != ENOSYS) return failed(MoveResult::Failed);
        // A file system without the no-replace rename: a new name that fails where
        // anything stands already, then the old name goes.
        if (::linkat(source.folder, source.name, target.folder, target.name, 0) != 0)
            return failed(errno == EEXIST ? MoveResult::TargetExists : MoveResult::Failed);
        ::unlinkat(source.folder, source.name, 0);
        return MoveResult::Moved;
    }

    bool removeFile(const char* path) override {
        Place place;
        if (!reach(path, place)) return false;
        return ::unlinkat(place.folder, place.name, 0) == 0 || failed(false);
    }

    bool removeFolder(const char* path) override {
        // The kept descriptors may be this folder's: they go first, then its parent is
        // reached afresh.
        forgetFolder();
        Place place;
        if (!reach(path, place)) return false;
        return ::unlinkat(place.folder, place.name, AT_REMOVEDIR) == 0 || failed(false);
    }

    bool identify(const char* path, FileIdentity& identity) override {
        Place place;
        struct stat info;
        if (!reach(path, place)) return false;
        if (::fstatat(place.folder, place.name, &info, AT_SYMLINK_NOFOLLOW) != 0) return failed(false);
        identity = identityOf(info);
        return true;
    }

    bool listFolder(const char* path, EntryCallback found, void* context) override {
        int fd = openFolder(path);
        if (fd < 0) return false;
        DIR* folder = ::fdopendir(fd);
        if (folder == nullptr) {
            failed(0);
            ::close(fd);
            return false;
        }
        while (struct dirent* entry = ::readdir(folder)) {
            const char* name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
            bool isFolder = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN) {
                struct stat info;
                isFolder = ::fstatat(::dirfd(folder), name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
            }
            if (!found(context, name, isFolder)) break;
        }
        ::closedir(folder);
        return true;
    }

    int lastError() override { return lastFailure; }
    const char* location() const override { return location_; }

private:
    // A path split into the descriptor of its folder and its last name.
    struct Place {
        int folder = -1;
        const char* name = nullptr;
    };

    // Opens the folder part of path below the root, one name at a time, following no link.
    // Returns a new descriptor (the root's own for a path without folders: then a dup).
    int openFolder(const char* path) {
        int folder = ::fcntl(root_, F_DUPFD_CLOEXEC, 0);
        if (folder < 0) return failed(-1);
        const char* start = path;
        while (*start != '\0') {
            const char* end = std::strchr(start, '/');
            size_t length = end == nullptr ? std::strlen(start) : static_cast<size_t>(end - start);
            char name[NAME_MAX + 1];
            if (length == 0 || length > NAME_MAX) {
                ::close(folder);
                errno = ENOENT;
                return failed(-1);
            }
            std::memcpy(name, start, length);
            name[length] = '\0';
            int next = openRetrying(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            int error = errno;
            struct stat info;
            // A link where a folder goes is named as what it is, not as "not a folder".
            if (next < 0 && error == ENOTDIR && ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode))
                error = ELOOP;
            ::close(folder);
            if (next < 0) {
                errno = error;
                return failed(-1);
            }
            folder = next;
            if (end == nullptr) break;
            start = end + 1;
        }
        return folder;
    }

    // The last folder reached is kept open: tiles are written row by row, so one level
    // folder serves a whole row of tiles.
    bool reachInto(const char* path, Place& place, int& cacheFd, char* cachePath) {
        const char* slash = std::strrchr(path, '/');
        place.name = slash == nullptr ? path : slash + 1;
        if (slash == nullptr) {
            place.folder = root_;
            return true;
        }
        size_t length = static_cast<size_t>(slash - path);
        if (length >= kCachedPathSize) {
            errno = ENAMETOOLONG;
            return failed(false);
        }
        if (cacheFd >= 0 && std::strncmp(cachePath, path, length) == 0 && cachePath[length] == '\0') {
            place.folder = cacheFd;
            return true;
        }
        char folderPath[kCachedPathSize];
        std::memcpy(folderPath, path, length);
        folderPath[length] = '\0';
        int fd = openFolder(folderPath);
        if (fd < 0) return false;
        if (cacheFd >= 0) ::close(cacheFd);
        cacheFd = fd;
        std::memcpy(cachePath, folderPath, length + 1);
        place.folder = fd;
        return true;
    }

    bool reach(const char* path, Place& place) { return reachInto(path, place, cacheFd_, cachePath_); }
    // For the second path of a rename, so that the first one's folder stays open.
    bool reachSecond(const char* path, Place& place) {
        return reachInto(path, place, secondFd_, secondPath_);
    }

    void forgetFolder() {
        if (cacheFd_ >= 0) ::close(cacheFd_);
        if (secondFd_ >= 0) ::close(secondFd_);
        cacheFd_ = secondFd_ = -1;
    }

    // A new file at the place, created exclusively, never through a link.
    static Handle createNew(const Place& place, int access = O_WRONLY) {
        int fd = openRetrying(place.folder, place.name, access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) return fd;
        const int error = errno;
        struct stat info;
        // Named as what stands there, when that is why.
        if (error == EEXIST && ::fstatat(place.folder, place.name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            !S_ISREG(info.st_mode))
            return refused(standingError(info.st_mode), kNoFile);
        errno = error;
        return failed(kNoFile);
    }

    // Removes whatever file or link stands at the place; never a folder.
    static void removeNonFolder(const Place& place) {
        struct stat info;
        if (::fstatat(place.folder, place.name, &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(info.st_mode))
            ::unlinkat(place.folder, place.name, 0);
    }

    static constexpr size_t kCachedPathSize = 256;
    int root_;
    int cacheFd_ = -1;
    int secondFd_ = -1;
    char cachePath_[kCachedPathSize] = {};
    char secondPath_[kCachedPathSize] = {};
    char location_[PATH_MAX + 1] = {};
};

}  // namespace

FileReading& platformFileReading() {
    static PosixFileReading reading;
    return reading;
}

std::unique_ptr<OutputFolder> openOutputFolder(const char* path, int& errorCode) {
    int root = openRetrying(AT_FDCWD, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        errorCode = errno;
        return nullptr;
    }
    char resolved[PATH_MAX + 1];
    if (::realpath(path, resolved) == nullptr) std::snprintf(resolved, sizeof resolved, "%s", path);
    std::unique_ptr<OutputFolder> folder(new (std::nothrow) PosixOutputFolder(root, resolved));
    if (!folder) {
        ::close(root);
        errorCode = ENOMEM;
    }
    return folder;
}

void describeSystemError(int errorCode, char* text, size_t size) {
    if (size == 0) return;
    const char* standing = standingErrorText(errorCode);
    std::snprintf(text, size, "%s", standing != nullptr ? standing : std::strerror(errorCode));
}

std::string systemErrorText(int errorCode) {
    char text[256];
    describeSystemError(errorCode, text, sizeof text);
    return text;
}

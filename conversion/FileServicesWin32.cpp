// File services on Windows, through the ANSI file API. The output folder is resolved to a
// full path once, when it is opened; below it, every folder a path passes through is
// checked for a reparse point (a link or junction) before anything is made, written,
// renamed or removed in it. Unlike the POSIX descriptors this is not free of races: a
// folder swapped for a junction between the check and the call would be followed.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "FileServices.h"
#include "OutputPaths.h"

namespace {

thread_local DWORD lastFailure = 0;

template <typename T>
T failed(T result) {
    lastFailure = GetLastError();
    return result;
}

HANDLE toHandle(intptr_t file) { return reinterpret_cast<HANDLE>(file); }

intptr_t fromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(handle);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLargestChunk = 1u << 30;
// The reason given for a link or junction that output would have to pass through: the
// system's own word for a name it will not resolve.
constexpr DWORD kLinkRefused = ERROR_CANT_RESOLVE_FILENAME;

bool identityOf(HANDLE handle, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) return failed(false);
    identity.device = info.dwVolumeSerialNumber;
    identity.file = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.size = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    identity.modified = static_cast<int64_t>((static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                             info.ftLastWriteTime.dwLowDateTime);
    return true;
}

template <typename T>
T refused(int code, T result) {
    lastFailure = static_cast<DWORD>(code);
    return result;
}

// The seams' own code for what the attributes say stands there; 0 for a file.
int standingError(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return kErrorLinkStands;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kErrorFolderStands;
    return 0;
}

// Removes exactly the file or link the handle has open (opened with DELETE access),
// never what a link leads to.
bool deleteOpenFile(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0 ||
           failed(false);
}

// Opens whatever the path names without access rights (works on files in use); with
// openLink, a link itself rather than its target.
HANDLE openForQuery(const char* path, bool openLink) {
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (openLink ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    return CreateFileA(path, 0, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
}

class Win32FileReading final : public FileReading {
public:
    bool fileExists(const char* path) override {
        HANDLE handle = openForQuery(path, false);
        if (handle == INVALID_HANDLE_VALUE) return false;
        BY_HANDLE_FILE_INFORMATION info;
        const bool isFile = GetFileInformationByHandle(handle, &info) &&
                            !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        CloseHandle(handle);
        return isFile;
    }

    Handle openForReading(const char* path) override {
        HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            // A folder cannot be opened as a file: say so rather than "access denied".
            const DWORD error = GetLastError();
            const DWORD attributes = GetFileAttributesA(path);
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return refused(kErrorFolderStands, kNoFile);
            SetLastError(error);
            return failed(kNoFile);
        }
        // Disk files only: a pipe or a device would block a read, or never end.
        if (GetFileType(handle) != FILE_TYPE_DISK) {
            CloseHandle(handle);
            return refused(kErrorDeviceStands, kNoFile);
        }
        return fromHandle(handle);
    }

    int64_t fileSize(Handle file) override {
        LARGE_INTEGER size;
        if (GetFileType(toHandle(file)) != FILE_TYPE_DISK) return -1;  // a device or pipe
        if (!GetFileSizeEx(toHandle(file), &size)) return failed<int64_t>(-1);
        return size.QuadPart;
    }

    int64_t readAt(Handle file, uint64_t offset, void* buffer, size_t size) override {
        auto* bytes = static_cast<char*>(buffer);
        size_t done = 0;
        while (done < size) {
            const uint64_t at = offset + done;
            OVERLAPPED position = {};
            position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
            position.OffsetHigh = static_cast<DWORD>(at >> 32);
            const DWORD wanted = size - done > kLargestChunk ? kLargestChunk : static_cast<DWORD>(size - done);
            DWORD got = 0;
            if (!ReadFile(toHandle(file), bytes + done, wanted, &got, &position)) {
                if (GetLastError() == ERROR_HANDLE_EOF) break;
                return failed<int64_t>(-1);
            }
            if (got == 0) break;  // end of file
            done += got;
        }
        return static_cast<int64_t>(done);
    }

    bool identify(Handle file, FileIdentity& identity) override { return identityOf(toHandle(file), identity); }

    bool identifyPath(const char* path, FileIdentity& identity) override {
        HANDLE handle = openForQuery(path, false);
        if (handle == INVALID_HANDLE_VALUE) return failed(false);
        bool known = identityOf(handle, identity);
        CloseHandle(handle);
        return known;
    }

    void close(Handle file) override { CloseHandle(toHandle(file)); }

    int lastError() override { return static_cast<int>(lastFailure); }
};

class Win32OutputFolder final : public OutputFolder {
public:
    explicit Win32OutputFolder(const char* root) { std::snprintf(root_, sizeof root_, "%s", root); }

    Entry entryAt(const char* path) override {
        char full[kPathSize];
        if (!resolve(path, full)) return Entry::Missing;
        const DWORD attributes = GetFileAttributesA(full);
        if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::Missing;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Entry::Link;
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Entry::Folder : Entry::File;
    }

    bool fileExists(const char* path) override {
        char full[kPathSize];
        return resolve(path, full) && Win32FileReading().fileExists(full);
    }

    bool makeFolder(const char* path) override {
        char full[kPathSize];
        if (!resolve(path, full)) return false;
        if (CreateDirectoryA(full, nullptr)) return true;
        failed(0);
        const DWORD attributes = GetFileAttributesA(full);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            SetLastError(kLinkRefused);
            return failed(false);
        }
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    Handle createFile(const char* path) override {
        char full[kPathSize];
        if (!resolve(path, full)) return kNoFile;
        removeEntry(full);
        return createNew(full, GENERIC_WRITE);
    }

    Handle createUniqueFile(const char* prefix, char* path, size_t pathSize) override {
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 64; ++attempt) {
            LARGE_INTEGER now = {};
            QueryPerformanceCounter(&now);
            uint64_t seed = static_cast<uint64_t>(now.QuadPart) * 0x9E3779B97F4A7C15u ^
                            (static_cast<uint64_t>(GetCurrentProcessId()) << 20) ^ ++counter;
            char random[7];
            static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
            for (int i = 0; i < 6; ++i, seed /= 36) random[i] = kLetters[seed % 36];
            random[6] = '\0';
            int length = std::snprintf(path, pathSize, "%s.%s%s", prefix, random, kPartSuffix);
            if (length < 0 || static_cast<size_t>(length) >= pathSize) {
                path[0] = '\0';
                return refused(ERROR_FILENAME_EXCED_RANGE, kNoFile);
            }
            char full[kPathSize];
            if (!resolve(path, full)) return kNoFile;
            Handle file = createNew(full, GENERIC_WRITE);
            if (file != kNoFile || (lastFailure != ERROR_FILE_EXISTS && lastFailure != ERROR_ALREADY_EXISTS))
                return file;
        }
        return kNoFile;
    }

    LockResult lockFile(const char* path, Handle& file) override {
        char full[kPathSize];
        if (!resolve(path, full)) return LockResult::Failed;
        // As on POSIX: a file found there is only locked and removed, never written; the
        // run's own lock file is one it made itself. Shared for reading, writing and
        // deleting, so that the run can rename it while it holds it and another run can
        // open it to find the lock taken.
        for (int attempt = 0; attempt < 16; ++attempt) {
            const DWORD attributes = GetFileAttributesA(full);
            if (attributes != INVALID_FILE_ATTRIBUTES && standingError(attributes) != 0)
                return refused(standingError(attributes), LockResult::Failed);
            HANDLE handle = CreateFileA(full, GENERIC_READ | DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
            const bool found = handle != INVALID_HANDLE_VALUE;
            if (!found) {
                const DWORD error = GetLastError();
                if (error != ERROR_FILE_NOT_FOUND) return failed(LockResult::Failed);
                handle = toHandle(createNew(full, GENERIC_READ | GENERIC_WRITE, kShareAll));
                if (handle == INVALID_HANDLE_VALUE) {
                    if (lastFailure == ERROR_FILE_EXISTS || lastFailure == ERROR_ALREADY_EXISTS) continue;
                    return LockResult::Failed;
                }
            } else if (GetFileType(handle) != FILE_TYPE_DISK) {
                CloseHandle(handle);
                return refused(kErrorDeviceStands, LockResult::Failed);
            }
            OVERLAPPED whole = {};
            if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
                const bool busy = GetLastError() == ERROR_LOCK_VIOLATION;
                failed(0);
                CloseHandle(handle);
                if (busy && !found) continue;
                return busy ? LockResult::Busy : LockResult::Failed;
            }
            FileIdentity held, named;
            HANDLE check = openForQuery(full, true);
            const bool same = check != INVALID_HANDLE_VALUE && identityOf(handle, held) &&
                              identityOf(check, named) && held.sameFile(named);
            if (check != INVALID_HANDLE_VALUE) CloseHandle(check);
            if (same && !found) {
                file = fromHandle(handle);
                return LockResult::Locked;
            }
            // Left by a run that is over: removed while locked.
            if (same) deleteOpenFile(handle);
            CloseHandle(handle);
        }
        return LockResult::Busy;
    }

    bool writeAll(Handle file, const void* data, size_t size) override {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD chunk = size > kLargestChunk ? kLargestChunk : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(toHandle(file), bytes, chunk, &written, nullptr)) return failed(false);
            if (written == 0) {
                SetLastError(ERROR_DISK_FULL);
                return failed(false);
            }
            bytes += written;
            size -= written;
        }
        return true;
    }

    bool writeAllAt(Handle file, uint64_t offset, const void* data, size_t size) override {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD chunk = size > kLargestChunk ? kLargestChunk : static_cast<DWORD>(size);
            OVERLAPPED position = {};
            position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
            position.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD written = 0;
            if (!WriteFile(toHandle(file), bytes, chunk, &written, &position)) return failed(false);
            if (written == 0) {
                SetLastError(ERROR_DISK_FULL);
                return failed(false);
            }
            bytes += written;
            size -= written;
            offset += written;
        }
        return true;
    }

    bool close(Handle file) override { return CloseHandle(toHandle(file)) != 0 || failed(false); }

    bool replaceWith(const char* from, const char* to) override {
        char source[kPathSize], target[kPathSize];
        if (!resolve(from, source) || !resolve(to, target)) return false;
        const DWORD attributes = GetFileAttributesA(target);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            // A link to a folder is replaced like a file; a real folder never.
            if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !RemoveDirectoryA(target)) {
                SetLastError(ERROR_ACCESS_DENIED);
                return failed(false);
            }
        }
        return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING) != 0 || failed(false);
    }

    MoveResult moveNoReplace(const char* from, const char* to) override {
        char source[kPathSize], target[kPathSize];
        if (!resolve(from, source) || !resolve(to, target)) return MoveResult::Failed;
        if (MoveFileExA(source, target, 0)) return MoveResult::Moved;
        const DWORD error = GetLastError();
        failed(0);
        return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? MoveResult::TargetExists
                                                                            : MoveResult::Failed;
    }

    bool removeFile(const char* path) override {
        char full[kPathSize];
        return resolve(path, full) && removeEntry(full);
    }

    bool removeFolder(const char* path) override {
        char full[kPathSize];
        if (!resolve(path, full)) return false;
        const DWORD attributes = GetFileAttributesA(full);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return false;
        checked_[0] = '\0';  // the folder checked last may be this one
        return RemoveDirectoryA(full) != 0 || failed(false);
    }

    bool identify(const char* path, FileIdentity& identity) override {
        char full[kPathSize];
        if (!resolve(path, full)) return false;
        HANDLE handle = openForQuery(full, true);
        if (handle == INVALID_HANDLE_VALUE) return failed(false);
        bool known = identityOf(handle, identity);
        CloseHandle(handle);
        return known;
    }

    bool listFolder(const char* path, EntryCallback found, void* context) override {
        char full[kPathSize];
        // The folder itself must be no link either.
        char pattern[kPathSize];
        if (!resolve(path, full) || entryAt(path) != Entry::Folder) return false;
        std::snprintf(pattern, sizeof pattern, "%s\\*", full);
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(pattern, &entry);
        if (search == INVALID_HANDLE_VALUE) return failed(false);
        do {
            if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
            const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                  !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
            if (!found(context, entry.cFileName, isFolder)) break;
        } while (FindNextFileA(search, &entry));
        FindClose(search);
        return true;
    }

    int lastError() override { return static_cast<int>(lastFailure); }
    const char* location() const override { return root_; }

private:
    static constexpr size_t kPathSize = MAX_PATH * 4;

    // The full path of a relative one, after checking that every folder it passes
    // through below the root is a real folder and no reparse point. The last folder
    // checked is remembered: tiles are written row by row into one level folder.
    bool resolve(const char* path, char (&full)[kPathSize]) {
        int written = std::snprintf(full, sizeof full, "%s\\%s", root_, path);
        if (written < 0 || static_cast<size_t>(written) >= sizeof full) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return failed(false);
        }
        const char* last = std::strrchr(path, '\\');
        if (last == nullptr) return true;
        const size_t folderLength = static_cast<size_t>(last - path);
        if (folderLength < sizeof checked_ && std::strncmp(checked_, path, folderLength) == 0 &&
            checked_[folderLength] == '\0')
            return true;
        char partial[kPathSize];
        for (size_t i = 0; i <= folderLength; ++i) {
            if (i != folderLength && path[i] != '\\') continue;
            std::snprintf(partial, sizeof partial, "%s\\%.*s", root_, static_cast<int>(i), path);
            const DWORD attributes = GetFileAttributesA(partial);
            if (attributes == INVALID_FILE_ATTRIBUTES) return failed(false);
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                SetLastError((attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? kLinkRefused : ERROR_DIRECTORY);
                return failed(false);
            }
        }
        if (folderLength < sizeof checked_) {
            std::memcpy(checked_, path, folderLength);
            checked_[folderLength] = '\0';
        }
        return true;
    }

    // A new file, created exclusively; what stands there is named when that is why.
    static Handle createNew(const char* full, DWORD access, DWORD share = FILE_SHARE_DELETE) {
        HANDLE handle = CreateFileA(full, access, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return fromHandle(handle);
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesA(full);
        if (attributes != INVALID_FILE_ATTRIBUTES && standingError(attributes) != 0)
            return refused(standingError(attributes), kNoFile);
        SetLastError(error);
        return failed(kNoFile);
    }

    // Removes a file, or a link (a link to a folder is removed like a folder, which
    // removes the link and not its target); never a real folder.
    static bool removeEntry(const char* full) {
        const DWORD attributes = GetFileAttributesA(full);
        if (attributes == INVALID_FILE_ATTRIBUTES) return failed(false);
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (folder && !link) return false;
        return (folder ? RemoveDirectoryA(full) : DeleteFileA(full)) != 0 || failed(false);
    }

    char root_[kPathSize] = {};
    char checked_[256] = {};
};

}  // namespace

FileReading& platformFileReading() {
    static Win32FileReading reading;
    return reading;
}

std::unique_ptr<OutputFolder> openOutputFolder(const char* path, int& errorCode) {
    char full[MAX_PATH * 4];
    DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) {
        errorCode = static_cast<int>(length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    while (length > 3 && (full[length - 1] == '\\' || full[length - 1] == '/')) full[--length] = '\0';
    const DWORD attributes = GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errorCode = static_cast<int>(attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY);
        return nullptr;
    }
    std::unique_ptr<OutputFolder> folder(new (std::nothrow) Win32OutputFolder(full));
    if (!folder) errorCode = ERROR_NOT_ENOUGH_MEMORY;
    return folder;
}

void describeSystemError(int errorCode, char* text, size_t size) {
    if (size == 0) return;
    if (const char* standing = standingErrorText(errorCode)) {
        std::snprintf(text, size, "%s", standing);
        return;
    }
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  static_cast<DWORD>(errorCode), 0, text, static_cast<DWORD>(size), nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' '))
        text[--length] = '\0';
    if (length == 0) std::snprintf(text, size, "error %d", errorCode);
}

// File services on Windows, through the ANSI file API. The output folder is resolved to a
// full path once, when it is opened; below it, every folder a path passes through is
// checked for a reparse point (a link or junction) before anything is made, written,
// renamed or removed in it. Unlike the POSIX descriptors this is not free of races: a
// folder swapped for a junction between the check and the call would be followed.
//
// Links at a name are told by one of three signs, as no one of them holds everywhere.
// Windows opens a link itself under FILE_FLAG_OPEN_REPARSE_POINT and marks it with
// FILE_ATTRIBUTE_REPARSE_POINT. Wine (8) marks a Unix link to a folder only in the
// attributes read by name (GetFileAttributes, FindFirstFile), not on a handle; it shows a
// Unix link to a file as a plain file, with its target's attributes and file index, and
// opens the target whatever the flags say, so the handle's final path names the target
// and not the name opened. A link leading nowhere it does not show at all. Deleting by
// name (DeleteFile, RemoveDirectory) or through such a handle removes the target and
// keeps the link. So a name is removed through its handle only when the handle is the
// name's own entry; any other file or link is removed by renaming a fresh empty file of
// ours over the name (a rename replaces the link, not its target) and deleting that. A
// link to a folder that the system opens as its target cannot be removed without
// touching the target: it is left, and named by kErrorLinkStands.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
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

// What a handle opened at a name in the output folder is, and whether it is that name's
// entry or what a link there leads to.
struct Opened {
    bool linkItself = false;  // the system opened the link, not its target (Windows)
    bool elsewhere = false;   // the name is a link and the handle its target (Wine)
    bool sure = false;        // the handle's final path was compared with the name
    bool folder = false;
    DWORD type = FILE_TYPE_DISK;
};

// The seams' own code for what stands at a name that is not a plain file; 0 for a file.
int standingError(const Opened& opened) {
    if (opened.linkItself || opened.elsewhere) return kErrorLinkStands;
    if (opened.folder) return kErrorFolderStands;
    if (opened.type == FILE_TYPE_PIPE) return kErrorPipeStands;
    if (opened.type != FILE_TYPE_DISK) return kErrorDeviceStands;
    return 0;
}

bool isExistsError(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }
bool isMissingError(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Gives the open file the name full, replacing a file or link there (never a folder): the
// rename acts on the name, so a link there is replaced and its target left as it is.
bool renameOpenFile(HANDLE handle, const char* full) {
    constexpr int kWideSize = MAX_PATH * 4;
    alignas(FILE_RENAME_INFO) unsigned char buffer[sizeof(FILE_RENAME_INFO) + kWideSize * sizeof(wchar_t)] = {};
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer);
    const int length = MultiByteToWideChar(CP_ACP, 0, full, -1, rename->FileName, kWideSize);
    if (length <= 1) return failed(false);
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>((length - 1) * sizeof(wchar_t));
    return SetFileInformationByHandle(handle, FileRenameInfo, rename, sizeof buffer) != 0 || failed(false);
}

class Win32OutputFolder final : public OutputFolder {
public:
    static constexpr size_t kPathSize = MAX_PATH * 4;

    Win32OutputFolder(const char* root, const wchar_t* rootFinal) {
        std::snprintf(root_, sizeof root_, "%s", root);
        if (rootFinal != nullptr) {
            size_t length = wcslen(rootFinal);
            while (length > 0 && rootFinal[length - 1] == L'\\') --length;  // a drive's root
            if (length < kPathSize) {
                wmemcpy(rootFinal_, rootFinal, length);
                rootFinal_[length] = L'\0';
            }
        }
    }

    Entry entryAt(const char* path) override {
        char full[kPathSize];
        if (!resolve(path, full)) return Entry::Missing;
        HANDLE handle = openForQuery(full, true);
        if (handle == INVALID_HANDLE_VALUE) {
            // Something that cannot even be opened to be looked at: its attributes by name.
            const DWORD attributes = GetFileAttributesA(full);
            if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::Missing;
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Entry::Link;
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Entry::Folder : Entry::File;
        }
        const Opened opened = describe(handle, full, path);
        CloseHandle(handle);
        switch (standingError(opened)) {
            case 0: return Entry::File;
            case kErrorLinkStands: return Entry::Link;
            case kErrorFolderStands: return Entry::Folder;
            default: return Entry::Other;
        }
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
        removeEntry(full, path);
        Handle file = createNew(full, path, GENERIC_WRITE);
        // A name that cannot be opened and yet cannot be created is a link leading nowhere,
        // which Wine does not show: replaced by a file of ours and removed, like any link.
        if (file == kNoFile && isExistsError(lastFailure) && !visible(full) && removeByReplacing(full))
            file = createNew(full, path, GENERIC_WRITE);
        return file;
    }

    Handle createUniqueFile(const char* prefix, char* path, size_t pathSize) override {
        for (int attempt = 0; attempt < 64; ++attempt) {
            if (!formatUniquePartPath(path, pathSize, prefix)) {
                path[0] = '\0';
                return refused(ERROR_FILENAME_EXCED_RANGE, kNoFile);
            }
            char full[kPathSize];
            if (!resolve(path, full)) return kNoFile;
            Handle file = createNew(full, path, GENERIC_WRITE);
            if (file != kNoFile || !isExistsError(lastFailure)) return file;
        }
        return kNoFile;
    }

    LockResult lockFile(const char* path, Handle& file) override {
        char full[kPathSize];
        if (!resolve(path, full)) return LockResult::Failed;
        // As on POSIX: a file found there is only locked and removed, never written; the
        // run's own lock file is one it made itself. Shared for reading, writing and
        // deleting, so that the run can rename it while it holds it and another run can
        // open it to find the lock taken. Anything but a plain file there (a link, even
        // one Wine shows as a file, a folder, a pipe) is left and named.
        bool unseen = false;
        for (int attempt = 0; attempt < 16; ++attempt) {
            HANDLE handle = INVALID_HANDLE_VALUE;
            HANDLE query = openForQuery(full, true);
            const bool found = query != INVALID_HANDLE_VALUE;
            if (found) {
                const int standing = standingError(describe(query, full, path));
                CloseHandle(query);
                if (standing != 0) return refused(standing, LockResult::Failed);
                handle = CreateFileA(full, GENERIC_READ | DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
                if (handle == INVALID_HANDLE_VALUE) {
                    if (isMissingError(GetLastError())) continue;  // removed in between
                    return failed(LockResult::Failed);
                }
                // Swapped in between for something that is no plain file.
                const int now = standingError(describe(handle, full, path));
                if (now != 0) {
                    CloseHandle(handle);
                    return refused(now, LockResult::Failed);
                }
            } else {
                if (!isMissingError(GetLastError())) return failed(LockResult::Failed);
                handle = toHandle(createNew(full, path, GENERIC_READ | GENERIC_WRITE, kShareAll));
                if (handle == INVALID_HANDLE_VALUE) {
                    if (!isExistsError(lastFailure)) return LockResult::Failed;
                    // Made by another run in between, or a link leading nowhere that Wine
                    // does not show.
                    unseen = !visible(full);
                    continue;
                }
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
            // Left by a run that is over: removed while locked, through the handle that
            // was found to be the file at the name itself.
            if (same) deleteOpenFile(handle);
            CloseHandle(handle);
        }
        if (unseen) return refused(kErrorLinkStands, LockResult::Failed);
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
        HANDLE handle = openForQuery(target, true);
        if (handle != INVALID_HANDLE_VALUE) {
            const Opened opened = describe(handle, target, to);
            CloseHandle(handle);
            if (opened.folder) {
                // A link to a folder goes first, where the system removes the link alone;
                // a real folder, or a link Wine opens as its target folder, stays.
                if (!opened.linkItself) return refused(standingError(opened), false);
                if (!removeEntry(target, to)) return false;
            }
        }
        // A rename replaces the name: a link there is replaced, its target left as it is.
        return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING) != 0 || failed(false);
    }

    MoveResult moveNoReplace(const char* from, const char* to) override {
        char source[kPathSize], target[kPathSize];
        if (!resolve(from, source) || !resolve(to, target)) return MoveResult::Failed;
        if (MoveFileExA(source, target, 0)) return MoveResult::Moved;
        const DWORD error = GetLastError();
        failed(0);
        return isExistsError(error) ? MoveResult::TargetExists : MoveResult::Failed;
    }

    bool removeFile(const char* path) override {
        char full[kPathSize];
        return resolve(path, full) && removeEntry(full, path);
    }

    bool removeFolder(const char* path) override {
        char full[kPathSize];
        if (!resolve(path, full)) return false;
        // Never a link: RemoveDirectory on a link Wine shows would remove the folder it
        // leads to.
        if (entryAt(path) != Entry::Folder) return false;
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

    // What the handle, opened at the relative path (full below the root), is. Windows
    // marks the link it opened under FILE_FLAG_OPEN_REPARSE_POINT; Wine marks a link to a
    // folder only in the attributes by name, and opens a link to a file as its target, so
    // that the handle's final path is not the name opened.
    Opened describe(HANDLE handle, const char* full, const char* path) const {
        Opened opened;
        FILE_ATTRIBUTE_TAG_INFO tag = {};
        BY_HANDLE_FILE_INFORMATION info = {};
        DWORD attributes = 0;
        if (GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
            attributes = tag.FileAttributes;
        else if (GetFileInformationByHandle(handle, &info))
            attributes = info.dwFileAttributes;
        opened.linkItself = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        opened.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        opened.type = GetFileType(handle);
        if (opened.linkItself) return opened;
        const DWORD byName = GetFileAttributesA(full);
        if (byName != INVALID_FILE_ATTRIBUTES && (byName & FILE_ATTRIBUTE_REPARSE_POINT)) {
            opened.elsewhere = true;
            opened.sure = true;
            return opened;
        }
        wchar_t expected[kPathSize], final[kPathSize];
        size_t rootLength = wcslen(rootFinal_);
        if (rootLength == 0 || rootLength + 2 >= kPathSize) return opened;  // not known
        wmemcpy(expected, rootFinal_, rootLength);
        expected[rootLength++] = L'\\';
        if (MultiByteToWideChar(CP_ACP, 0, path, -1, expected + rootLength,
                                static_cast<int>(kPathSize - rootLength)) == 0)
            return opened;
        const DWORD length = GetFinalPathNameByHandleW(handle, final, kPathSize, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0 || length >= kPathSize) return opened;
        opened.sure = true;
        opened.elsewhere = CompareStringOrdinal(final, -1, expected, -1, TRUE) != CSTR_EQUAL;
        return opened;
    }

    // Something stands at the name that can be opened or whose attributes can be read.
    static bool visible(const char* full) {
        HANDLE handle = openForQuery(full, true);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return true;
        }
        return GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES;
    }

    // A new file, created exclusively; what stands there is named when that is why.
    Handle createNew(const char* full, const char* path, DWORD access, DWORD share = FILE_SHARE_DELETE) {
        HANDLE handle = CreateFileA(full, access, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return fromHandle(handle);
        const DWORD error = GetLastError();
        HANDLE standing = openForQuery(full, true);
        if (standing != INVALID_HANDLE_VALUE) {
            const int code = standingError(describe(standing, full, path));
            CloseHandle(standing);
            if (code != 0) return refused(code, kNoFile);
        }
        SetLastError(error);
        return failed(kNoFile);
    }

    // Removes the file or link at the name, never a real folder and never what a link
    // leads to. Windows opens a link itself, and deleting through that handle removes the
    // link alone; where the handle is a link's target (Wine), the name is replaced first.
    bool removeEntry(const char* full, const char* path) {
        HANDLE handle = CreateFileA(full, DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return failed(false);
        const Opened opened = describe(handle, full, path);
        if (opened.linkItself) {
            const bool removed = deleteOpenFile(handle);
            CloseHandle(handle);
            return removed;
        }
        if (opened.folder) {
            CloseHandle(handle);
            return refused(opened.elsewhere ? kErrorLinkStands : kErrorFolderStands, false);
        }
        if (opened.sure && !opened.elsewhere && deleteOpenFile(handle)) {
            CloseHandle(handle);
            return true;
        }
        CloseHandle(handle);
        return removeByReplacing(full);
    }

    // Removes whatever file or link stands at the name without ever opening it: a fresh
    // empty file of ours is renamed over the name (a rename replaces a link, not its
    // target) and then deleted through its own handle.
    static bool removeByReplacing(const char* full) {
        char temporary[kPathSize];
        HANDLE own = INVALID_HANDLE_VALUE;
        for (int attempt = 0; attempt < 64 && own == INVALID_HANDLE_VALUE; ++attempt) {
            if (!formatUniquePartPath(temporary, sizeof temporary, full)) return refused(ERROR_FILENAME_EXCED_RANGE, false);
            own = CreateFileA(temporary, DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (own == INVALID_HANDLE_VALUE && !isExistsError(GetLastError())) return failed(false);
        }
        if (own == INVALID_HANDLE_VALUE) return failed(false);
        const bool renamed = renameOpenFile(own, full);
        const DWORD error = lastFailure;
        // Ours either way: at the name now, or still the temporary.
        const bool removed = deleteOpenFile(own);
        CloseHandle(own);
        if (!renamed) return refused(static_cast<int>(error), false);
        return removed;
    }

    char root_[kPathSize] = {};
    wchar_t rootFinal_[kPathSize] = {};  // the root's final path, as the system resolved it
    char checked_[256] = {};
};

}  // namespace

FileReading& platformFileReading() {
    static Win32FileReading reading;
    return reading;
}

std::unique_ptr<OutputFolder> openOutputFolder(const char* path, int& errorCode) {
    // Read with a separator at its end, the path names a folder even when its last name is
    // one Windows keeps for a device ("con", "aux.txt"), which alone would name the device.
    char asFolder[MAX_PATH * 4];
    const size_t given = std::strlen(path);
    const bool ends = given == 0 || path[given - 1] == '\\' || path[given - 1] == '/' || path[given - 1] == ':';
    if (std::snprintf(asFolder, sizeof asFolder, "%s%s", path, ends ? "" : "\\") >= static_cast<int>(sizeof asFolder)) {
        errorCode = ERROR_FILENAME_EXCED_RANGE;
        return nullptr;
    }
    char full[MAX_PATH * 4];
    DWORD length = GetFullPathNameA(asFolder, sizeof full - 1, full, nullptr);
    if (length == 0 || length >= sizeof full - 1) {
        errorCode = static_cast<int>(length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    // Looked at with the separator, kept without it (a root keeps its own).
    if (full[length - 1] != '\\' && full[length - 1] != '/') {
        full[length++] = '\\';
        full[length] = '\0';
    }
    const DWORD attributes = GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errorCode = static_cast<int>(attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY);
        return nullptr;
    }
    // The folder's final path, links in it resolved, to which the final path of every
    // file opened below it is compared.
    HANDLE handle = openForQuery(full, false);
    while (length > 3 && (full[length - 1] == '\\' || full[length - 1] == '/')) full[--length] = '\0';
    wchar_t final[Win32OutputFolder::kPathSize];
    DWORD finalLength = 0;
    if (handle != INVALID_HANDLE_VALUE) {
        finalLength = GetFinalPathNameByHandleW(handle, final, Win32OutputFolder::kPathSize,
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        CloseHandle(handle);
    }
    const bool finalKnown = finalLength > 0 && finalLength < Win32OutputFolder::kPathSize;
    std::unique_ptr<OutputFolder> folder(new (std::nothrow) Win32OutputFolder(full, finalKnown ? final : nullptr));
    if (!folder) errorCode = ERROR_NOT_ENOUGH_MEMORY;
    return folder;
}

void describeSystemError(int errorCode, char* text, size_t size) {
    if (size == 0) return;
    if (const char* standing = standingErrorText(errorCode)) {
        std::snprintf(text, size, "%s", standing);
        return;
    }
    // A COM call's HRESULT that wraps a system error code is worded as that code.
    DWORD code = static_cast<DWORD>(errorCode);
    if (HRESULT_FACILITY(code) == FACILITY_WIN32 && (code & 0x80000000u)) code = HRESULT_CODE(code);
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                  text, static_cast<DWORD>(size), nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' '))
        text[--length] = '\0';
    if (length == 0) std::snprintf(text, size, "error %d", errorCode);
}

std::string systemErrorText(int errorCode) {
    char text[512];
    describeSystemError(errorCode, text, sizeof text);
    // The system's words come in the ANSI code page.
    wchar_t wide[512];
    char utf8[1536];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512) > 0 &&
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr) > 0)
        return utf8;
    return text;
}

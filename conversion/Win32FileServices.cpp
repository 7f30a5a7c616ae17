// File services on Windows, through the ANSI file API. Relative paths are resolved by
// the system against the process's current directory, which the file-open dialog leaves
// at the chosen bitmap's folder.

#include <windows.h>

#include "FileServices.h"

namespace {

HANDLE toHandle(FileServices::Handle file) { return reinterpret_cast<HANDLE>(file); }

FileServices::Handle fromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? FileServices::kNoFile
                                          : reinterpret_cast<FileServices::Handle>(handle);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLargestChunk = 1u << 30;

class Win32FileServices final : public FileServices {
public:
    bool fileExists(const char* path) override {
        // Opening without access rights follows links and works on files in use.
        HANDLE handle = CreateFileA(path, 0, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        BY_HANDLE_FILE_INFORMATION info;
        const bool isFile = GetFileInformationByHandle(handle, &info) &&
                            !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        CloseHandle(handle);
        return isFile;
    }

    Handle openForReading(const char* path) override {
        return fromHandle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    int64_t fileSize(Handle file) override {
        LARGE_INTEGER size;
        if (GetFileType(toHandle(file)) != FILE_TYPE_DISK) return -1;  // a device or pipe
        if (!GetFileSizeEx(toHandle(file), &size)) return -1;
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
            const DWORD wanted =
                size - done > kLargestChunk ? kLargestChunk : static_cast<DWORD>(size - done);
            DWORD got = 0;
            if (!ReadFile(toHandle(file), bytes + done, wanted, &got, &position)) {
                if (GetLastError() == ERROR_HANDLE_EOF) break;
                return -1;
            }
            if (got == 0) break;  // end of file
            done += got;
        }
        return static_cast<int64_t>(done);
    }

    Handle createNewFile(const char* path) override {
        return fromHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    Handle replaceFile(const char* path) override {
        // Removing the entry first means a link is never written through; whatever
        // cannot be removed (a folder, a file in use) makes the creation fail.
        removeEntry(path);
        return createNewFile(path);
    }

    bool writeAll(Handle file, const void* data, size_t size) override {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD chunk = size > kLargestChunk ? kLargestChunk : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(toHandle(file), bytes, chunk, &written, nullptr) || written == 0) {
                return false;
            }
            bytes += written;
            size -= written;
        }
        return true;
    }

    bool close(Handle file) override { return CloseHandle(toHandle(file)) != 0; }

    bool makeFolder(const char* path) override { return CreateDirectoryA(path, nullptr) != 0; }

    bool removeFile(const char* path) override { return removeEntry(path); }

private:
    // Removes a file, or a link (a link to a folder is removed like a folder, which
    // removes the link and not its target); never a real folder.
    static bool removeEntry(const char* path) {
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) return false;
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (folder && !link) return false;
        return (folder ? RemoveDirectoryA(path) : DeleteFileA(path)) != 0;
    }
};

}  // namespace

FileServices& platformFileServices() {
    static Win32FileServices services;
    return services;
}

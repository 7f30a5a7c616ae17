#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <system_error>

#include "FileServices.h"
#include "Platform.h"

namespace {

std::wstring toWide(UINT codePage, std::string_view text) {
    if (text.empty()) return std::wstring();
    int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string toUtf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                            size, nullptr, nullptr);
    return text;
}

// The wide text in the ANSI code page, only if every character comes back unchanged.
bool toAnsi(const std::wstring& wide, std::string& ansi) {
    BOOL usedDefault = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                   static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return false;
    ansi.assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        ansi.data(), size, nullptr, &usedDefault);
    return !usedDefault && toWide(CP_ACP, ansi) == wide;
}

// True when every byte was written.
bool writeTo(DWORD which, std::string_view utf8) {
    if (utf8.empty()) return true;
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        std::wstring wide = toWide(CP_UTF8, utf8);
        return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
               written == wide.size();
    }
    // Redirected: the UTF-8 bytes as they are, with no line-end translation.
    return WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) &&
           written == utf8.size();
}

}  // namespace

std::vector<std::string> commandLineArguments(int, char**) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(toUtf8(wide[i]));
    if (wide != nullptr) LocalFree(wide);
    return args;
}

bool writeStandardOutput(std::string_view utf8) { return writeTo(STD_OUTPUT_HANDLE, utf8); }
void writeStandardError(std::string_view utf8) { writeTo(STD_ERROR_HANDLE, utf8); }

bool standardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

namespace {

// The full path as the system resolves it, in the ANSI code page the file services use.
bool fullAnsiPath(const std::string& utf8Path, std::string& path, std::string& reason) {
    std::wstring wide = toWide(CP_UTF8, utf8Path);
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        reason = "the path is not valid";
        return false;
    }
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(size);
    // The conversion opens files with the ANSI calls; a name the ANSI code page cannot
    // hold may still be reached through its short (8.3) form.
    if (!toAnsi(full, path)) {
        DWORD shortSize = GetShortPathNameW(full.c_str(), nullptr, 0);
        std::wstring shortPath(shortSize, L'\0');
        if (shortSize == 0 ||
            (shortSize = GetShortPathNameW(full.c_str(), shortPath.data(), shortSize)) == 0 ||
            (shortPath.resize(shortSize), !toAnsi(shortPath, path))) {
            reason = "the path holds characters the system's code page cannot, and has no short name";
            return false;
        }
    }
    return true;
}

}  // namespace

bool conversionBitmapPath(const std::string& utf8Path, std::string& path, std::string& reason) {
    return fullAnsiPath(utf8Path, path, reason);
}

bool conversionFolderPath(const std::string& utf8Path, std::string& path, std::string& reason) {
    return fullAnsiPath(utf8Path, path, reason);
}

std::string systemErrorText(int errorCode) {
    char text[512];
    describeSystemError(errorCode, text, sizeof text);
    return toUtf8(toWide(CP_ACP, text));
}

std::string displayPath(const std::string& conversionPath) {
    return toUtf8(toWide(CP_ACP, conversionPath));
}

bool isFolder(const std::string& utf8Path) {
    DWORD attributes = GetFileAttributesW(toWide(CP_UTF8, utf8Path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool makeFolders(const std::string& utf8Path, std::string& reason) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(toWide(CP_UTF8, utf8Path)), error);
    if (error || !isFolder(utf8Path)) {
        reason = error ? error.message() : "not a folder";
        return false;
    }
    return true;
}

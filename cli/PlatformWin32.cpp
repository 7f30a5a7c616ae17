#include <windows.h>
#include <shellapi.h>


#include "FileServices.h"
#include "Platform.h"
#include "Quoted.h"

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

bool isConsole(DWORD which) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

ConsoleFacts consoleFacts() {
    ConsoleFacts facts;
    // A list of two is enough to tell one process from more: the call returns how many
    // there are even when they do not fit.
    DWORD processes[2];
    facts.processesOnConsole = GetConsoleProcessList(processes, 2);
    facts.inputIsConsole = isConsole(STD_INPUT_HANDLE);
    facts.outputIsConsole = isConsole(STD_OUTPUT_HANDLE);
    facts.errorIsConsole = isConsole(STD_ERROR_HANDLE);
    return facts;
}

void waitForKeyPress() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    FlushConsoleInputBuffer(input);
    INPUT_RECORD record;
    DWORD read = 0;
    while (ReadConsoleInputW(input, &record, 1, &read) && read == 1)
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
}

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A folder's path as the system reads it with a separator at its end: a last name such
// as "con" or "aux.txt" then names a folder, not the device Windows keeps the name for.
// "C:" (the current folder of drive C) stays as it is.
std::wstring asFolder(std::wstring wide) {
    if (!wide.empty() && !isSeparator(wide.back()) && wide.back() != L':') wide.push_back(L'\\');
    return wide;
}

// The full path the system makes of a path, or "" when it makes none.
std::wstring fullPathOf(const std::wstring& wide) {
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return std::wstring();
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(size < full.size() ? size : 0);
    return full;
}

// Without its last separator, unless that is a root's ("C:\\").
std::wstring withoutEndSeparator(std::wstring full) {
    if (full.size() > 3 && isSeparator(full.back())) full.pop_back();
    return full;
}

bool sameWord(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The names Windows keeps for devices, with or without an extension or trailing spaces:
// no file or folder can be made with one.
bool isDeviceName(std::wstring_view name) {
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (sameWord(name, device)) return true;
    return name.size() == 4 && name[3] >= L'1' && name[3] <= L'9' &&
           (sameWord(name.substr(0, 3), L"COM") || sameWord(name.substr(0, 3), L"LPT"));
}

std::string deviceNameReason(const std::wstring& name) {
    return quoted(toUtf8(name)) +
           " is a name Windows keeps for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with any "
           "extension): no file or folder can have it";
}

// The full path as the system resolves it, in the ANSI code page the file services use.
bool fullAnsiPath(const std::string& utf8Path, bool folder, std::string& path, std::string& reason) {
    std::wstring wide = toWide(CP_UTF8, utf8Path);
    std::wstring full = fullPathOf(folder ? asFolder(wide) : wide);
    if (full.empty()) {
        reason = "the path is not valid";
        return false;
    }
    if (folder) full = withoutEndSeparator(full);
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
    return fullAnsiPath(utf8Path, false, path, reason);
}

bool conversionFolderPath(const std::string& utf8Path, std::string& path, std::string& reason) {
    return fullAnsiPath(utf8Path, true, path, reason);
}

std::string conversionParentFolder(const std::string& conversionPath) {
    // The last separator, read character by character in the ANSI code page: in code page
    // 932 the second byte of 表 or ソ is 0x5C, the byte of '\\'.
    size_t separator = std::string::npos;
    for (size_t i = 0; i < conversionPath.size(); ++i) {
        const char byte = conversionPath[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(byte)) && i + 1 < conversionPath.size()) {
            ++i;
            continue;
        }
        if (byte == '\\' || byte == '/') separator = i;
    }
    if (separator == std::string::npos) {
        // "C:map.bmp" lies in the current folder of drive C.
        return conversionPath.size() > 1 && conversionPath[1] == ':' ? conversionPath.substr(0, 2) : ".";
    }
    std::string parent = conversionPath.substr(0, separator);
    if (parent.empty() || parent.back() == ':') parent += conversionPath[separator];  // a root
    return parent;
}

std::string displayPath(const std::string& conversionPath) {
    return toUtf8(toWide(CP_ACP, conversionPath));
}

std::string reservedNameReason(const std::string& utf8Path) {
    std::wstring wide = toWide(CP_UTF8, utf8Path);
    while (!wide.empty() && isSeparator(wide.back())) wide.pop_back();
    const size_t separator = wide.find_last_of(L"\\/:");
    const std::wstring name = separator == std::wstring::npos ? wide : wide.substr(separator + 1);
    return isDeviceName(name) ? deviceNameReason(name) : std::string();
}

bool isFolder(const std::string& utf8Path) {
    DWORD attributes = GetFileAttributesW(asFolder(toWide(CP_UTF8, utf8Path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool makeFolders(const std::string& utf8Path, std::string& reason) {
    const std::wstring full = fullPathOf(asFolder(toWide(CP_UTF8, utf8Path)));
    if (full.empty()) {
        reason = "the path is not valid";
        return false;
    }
    // Below the root ("C:\\" or "\\\\server\\share\\"), the folders in turn.
    size_t root = 0;
    if (full.size() >= 2 && isSeparator(full[0]) && isSeparator(full[1])) {
        for (int separators = 0; root < full.size() && separators < 4; ++root)
            if (isSeparator(full[root])) ++separators;
    } else if (full.size() >= 3 && full[1] == L':') {
        if (GetDriveTypeW(full.substr(0, 3).c_str()) == DRIVE_NO_ROOT_DIR) {
            reason = "there is no drive " + toUtf8(full.substr(0, 2));
            return false;
        }
        root = 3;
    }
    struct Step {
        std::wstring name, folder;
    };
    std::vector<Step> missing;
    for (size_t at = root; at < full.size();) {
        size_t end = at;
        while (end < full.size() && !isSeparator(full[end])) ++end;
        Step step{full.substr(at, end - at), full.substr(0, end)};
        at = end + 1;
        if (step.name.empty()) continue;
        const DWORD attributes = GetFileAttributesW(asFolder(step.folder).c_str());
        if (missing.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        // Every folder to be made is checked before the first is made, so a refused path
        // leaves nothing behind.
        if (isDeviceName(step.name)) {
            reason = deviceNameReason(step.name);
            return false;
        }
        missing.push_back(step);
    }
    for (const Step& step : missing) {
        if (CreateDirectoryW(step.folder.c_str(), nullptr)) continue;
        const DWORD error = GetLastError();
        reason = error == ERROR_ALREADY_EXISTS ? "a file named " + quoted(toUtf8(step.name)) + " stands there, not a folder"
                                               : systemErrorText(static_cast<int>(error));
        return false;
    }
    return true;
}

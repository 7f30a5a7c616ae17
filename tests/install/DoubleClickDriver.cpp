// Starts the Windows command line without arguments the ways a user does, under Wine,
// and checks when it waits for a key:
//   explorer    a console for it alone, as Explorer makes one for a double-clicked
//               program: the usage and the note about the command prompt show, and it
//               waits until a key comes, then exits with 2;
//   cmd         a console shared with the starting process, as cmd shares its own: no
//               wait, exit 2 at once;
//   redirected  a console of its own, but standard error is a file: no wait, and the
//               file holds the usage without the note.
// Prints "DOUBLE-CLICK DRIVER: PASS" last when every case holds.
//
// Usage: double-click-driver.exe TESSELLA.exe WORK_FOLDER

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int failures = 0;

void check(bool ok, const char* scenario, const char* what) {
    std::printf("%s %s: %s\n", ok ? "ok  " : "FAIL", scenario, what);
    if (!ok) ++failures;
}

std::string toUtf8(const std::wstring& wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
    return text;
}

HANDLE openConsole(const wchar_t* name) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                       OPEN_EXISTING, 0, nullptr);
}

// The text of a console's screen buffer.
std::string consoleText(HANDLE out) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    std::wstring text;
    if (GetConsoleScreenBufferInfo(out, &info)) {
        text.assign(static_cast<size_t>(info.dwSize.X) * static_cast<size_t>(info.dwSize.Y), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(out, text.data(), static_cast<DWORD>(text.size()), COORD{0, 0}, &read);
        text.resize(read);
    }
    return toUtf8(text);
}

// Presses and releases the space bar on a console's input.
bool pressKey(HANDLE in) {
    INPUT_RECORD keys[2] = {};
    for (INPUT_RECORD& key : keys) {
        key.EventType = KEY_EVENT;
        key.Event.KeyEvent.wRepeatCount = 1;
        key.Event.KeyEvent.wVirtualKeyCode = VK_SPACE;
        key.Event.KeyEvent.uChar.UnicodeChar = L' ';
    }
    keys[0].Event.KeyEvent.bKeyDown = TRUE;
    DWORD written = 0;
    return WriteConsoleInputW(in, keys, 2, &written) && written == 2;
}

constexpr DWORD kEndingMs = 30000;

bool endsWithin(HANDLE process, DWORD ms) { return WaitForSingleObject(process, ms) == WAIT_OBJECT_0; }

DWORD exitCode(HANDLE process) {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

struct Started {
    PROCESS_INFORMATION info{};
    bool ok = false;
};

// Starts the program on the driver's console, standard error to errorFile when one is
// given (input and output then the console's, through the inheritable handles given).
Started start(const std::wstring& program, HANDLE input, HANDLE output, HANDLE errorFile) {
    std::wstring line = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (errorFile != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = errorFile;
    }
    Started started;
    started.ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, errorFile != nullptr, 0, nullptr,
                                nullptr, &startup, &started.info) != 0;
    return started;
}

void finish(Started& started) {
    if (WaitForSingleObject(started.info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(started.info.hProcess, 99);
    CloseHandle(started.info.hProcess);
    CloseHandle(started.info.hThread);
}

// The driver makes the console, starts the program on it and leaves it at once, keeping
// handles to its screen and input: the program, long before it looks, is then the one
// process on a console it did not share, as after a double click. (Started with a new
// console of its own instead, it could only be watched by attaching to that console,
// which would make the driver a second process there if done before the program looks;
// under Wine its start takes from a fraction of a second to ten.)
void explorer(const std::wstring& program) {
    const char* name = "explorer";
    FreeConsole();
    check(AllocConsole() != 0, name, "a console for the program");
    HANDLE screen = openConsole(L"CONOUT$");
    HANDLE input = openConsole(L"CONIN$");
    Started started = start(program, input, screen, nullptr);
    FreeConsole();
    check(started.ok, name, "started alone on it");
    if (!started.ok) return;
    HANDLE process = started.info.hProcess;
    std::string text;
    for (DWORD waited = 0; waited < kEndingMs && text.find("Press any key") == std::string::npos; waited += 200) {
        if (endsWithin(process, 200)) break;
        text = consoleText(screen);
    }
    check(text.find("Usage:") != std::string::npos, name, "the console shows the usage");
    check(text.find("open one in this folder, type cmd in the address bar") != std::string::npos, name,
          "the console says how to open a command prompt");
    check(text.find("Press any key to close this window.") != std::string::npos, name,
          "the console asks for a key");
    check(!endsWithin(process, 1000), name, "waits for it");
    check(pressKey(input), name, "a key is pressed");
    check(endsWithin(process, kEndingMs), name, "ends after the key");
    check(exitCode(process) == 2, name, "exits with 2, the usage error");
    finish(started);
    CloseHandle(screen);
    CloseHandle(input);
}

void sharedConsole(const std::wstring& program) {
    const char* name = "cmd";
    FreeConsole();
    check(AllocConsole() != 0, name, "the driver has a console to share");
    Started started = start(program, nullptr, nullptr, nullptr);
    check(started.ok, name, "started in the driver's console");
    if (!started.ok) return;
    check(endsWithin(started.info.hProcess, kEndingMs), name, "ends without a key");
    check(exitCode(started.info.hProcess) == 2, name, "exits with 2, the usage error");
    HANDLE screen = openConsole(L"CONOUT$");
    const std::string text = consoleText(screen);
    CloseHandle(screen);
    check(text.find("Usage:") != std::string::npos, name, "the console shows the usage");
    check(text.find("Press any key") == std::string::npos, name, "no key is asked for");
    finish(started);
    FreeConsole();
}

void redirected(const std::wstring& program, const std::wstring& work) {
    const char* name = "redirected";
    const std::wstring path = work + L"\\usage.txt";
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    check(file != INVALID_HANDLE_VALUE, name, "a file for standard error");
    FreeConsole();
    check(AllocConsole() != 0, name, "a console for the program");
    HANDLE screen = openConsole(L"CONOUT$");
    HANDLE input = openConsole(L"CONIN$");
    Started started = start(program, input, screen, file);
    FreeConsole();
    CloseHandle(file);
    CloseHandle(screen);
    CloseHandle(input);
    check(started.ok, name, "started alone on it, standard error to the file");
    if (!started.ok) return;
    check(endsWithin(started.info.hProcess, kEndingMs), name, "ends without a key");
    check(exitCode(started.info.hProcess) == 2, name, "exits with 2, the usage error");
    finish(started);
    std::string text;
    HANDLE in = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD read = 0;
    while (in != INVALID_HANDLE_VALUE && ReadFile(in, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    check(text.find("Usage:") != std::string::npos, name, "the file holds the usage");
    check(text.find("Press any key") == std::string::npos, name, "and no request for a key");
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count != 3) {
        std::printf("usage: double-click-driver.exe TESSELLA.exe WORK_FOLDER\n");
        return 2;
    }
    explorer(args[1]);
    sharedConsole(args[1]);
    redirected(args[1], args[2]);
    if (failures != 0) {
        std::printf("DOUBLE-CLICK DRIVER: %d checks failed\n", failures);
        return 1;
    }
    std::printf("DOUBLE-CLICK DRIVER: PASS\n");
    return 0;
}

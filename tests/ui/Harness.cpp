#include "Harness.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kPollMilliseconds = 20;
constexpr int kFileNameField = 0x47C;  // the file name box of the open file dialog
constexpr int kMessageBoxText = 0xFFFF;

DWORD processOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct ChildSearch {
    std::vector<HWND> children;
};

BOOL CALLBACK collectChild(HWND child, LPARAM data) {
    reinterpret_cast<ChildSearch*>(data)->children.push_back(child);
    return TRUE;
}

std::vector<HWND> childrenOf(HWND window) {
    ChildSearch search;
    EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&search));
    return search.children;
}

WindowKind kindOf(HWND dialog, HWND mainDialog) {
    if (dialog == mainDialog || GetWindow(dialog, GW_OWNER) == nullptr) return WindowKind::MainDialog;
    if (GetDlgItem(dialog, kMessageBoxText) != nullptr) return WindowKind::MessageBox;
    if (GetDlgItem(dialog, kFileNameField) != nullptr) return WindowKind::FileDialog;
    return WindowKind::AboutBox;
}

struct WindowSearch {
    DWORD process;
    WindowKind kind;
    HWND owner;
    HWND mainDialog;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    if (processOf(window) != search->process || !IsWindowVisible(window)) return TRUE;
    if (className(window) != "#32770") return TRUE;
    if (kindOf(window, search->mainDialog) != search->kind) return TRUE;
    if (search->owner != nullptr && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    search->found = window;
    return FALSE;
}

// Pixels of a screen rectangle, 3 bytes each (blue, green, red), rows bottom-up.
struct ScreenPixels {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<uint8_t> bits;
};

bool grabScreen(const RECT& area, ScreenPixels& out) {
    out.width = area.right - area.left;
    out.height = area.bottom - area.top;
    if (out.width <= 0 || out.height <= 0) return false;
    out.stride = (3 * out.width + 3) & ~3;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, out.width, out.height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const auto* first = static_cast<const uint8_t*>(bits);
        out.bits.assign(first, first + static_cast<size_t>(out.stride) * out.height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

// The system's information icon is blue, its exclamation icon yellow.
MessageBoxContent::Icon iconOf(HWND box) {
    for (HWND child : childrenOf(box)) {
        if (className(child) != "Static" && className(child) != "STATIC") continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        RECT area;
        GetWindowRect(child, &area);
        ScreenPixels pixels;
        if (!grabScreen(area, pixels)) return MessageBoxContent::Icon::None;
        int yellow = 0, blue = 0;
        for (int y = 0; y < pixels.height; ++y) {
            for (int x = 0; x < pixels.width; ++x) {
                const uint8_t* p = &pixels.bits[static_cast<size_t>(y) * pixels.stride + 3 * x];
                const int b = p[0], g = p[1], r = p[2];
                if (r > 180 && g > 140 && b < 100) ++yellow;
                if (b > 140 && r < 100 && g < 160) ++blue;
            }
        }
        if (yellow > 20 && yellow > blue) return MessageBoxContent::Icon::Exclamation;
        if (blue > 20 && blue > yellow) return MessageBoxContent::Icon::Information;
        return MessageBoxContent::Icon::None;
    }
    return MessageBoxContent::Icon::None;
}

}  // namespace

std::string windowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:" + path;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

bool writeBinaryFile(const std::string& path, const Bytes& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

bool readBinaryFile(const std::string& path, Bytes& bytes) {
    bytes.clear();
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    fclose(file);
    return true;
}

bool fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

Program::~Program() {
    if (process_.hProcess == nullptr) return;
    if (running()) {
        printf("note: ending Tessella.exe, still running at the end of the scenario\n");
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool Program::start(const std::string& exe, const std::string& workFolder) {
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workFolder.c_str(), &startup, &process_)) {
        printf("cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
        process_ = {};
        return false;
    }
    thread_ = process_.dwThreadId;
    return true;
}

bool Program::running() const {
    return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::waitForExit(int milliseconds) {
    return process_.hProcess != nullptr &&
           WaitForSingleObject(process_.hProcess, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
}

HWND Program::findWindow(WindowKind kind, HWND owner) const {
    WindowSearch search{process_.dwProcessId, kind, owner, main_, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::waitForWindow(WindowKind kind, int milliseconds, HWND owner) {
    for (int waited = 0; waited <= milliseconds; waited += kPollMilliseconds) {
        if (HWND found = findWindow(kind, owner)) return found;
        if (!running()) return nullptr;
        pause(kPollMilliseconds);
    }
    return nullptr;
}

HWND Program::waitForMainDialog(int milliseconds) {
    main_ = waitForWindow(WindowKind::MainDialog, milliseconds);
    return main_;
}

std::string windowText(HWND window) {
    char text[2048] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string controlText(HWND dialog, int id) {
    char text[2048] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void setControlText(HWND dialog, int id, const std::string& text) {
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void typeInto(HWND dialog, int id, const std::string& text) {
    HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (unsigned char c : text) SendMessageA(edit, WM_CHAR, c, 1);
}

void clickButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void postKey(HWND window, UINT virtualKey) {
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | (3u << 30));
}

bool controlEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

LONG controlStyle(HWND dialog, int id) { return GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE); }

LONG controlExStyle(HWND dialog, int id) {
    return GetWindowLongA(GetDlgItem(dialog, id), GWL_EXSTYLE);
}

int controlLimit(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, EM_GETLIMITTEXT, 0, 0));
}

HWND focusedWindow(DWORD threadId) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(threadId, &info)) return nullptr;
    return info.hwndFocus;
}

std::vector<std::string> childTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (HWND child : childrenOf(dialog)) {
        if (GetParent(child) != dialog) continue;
        const std::string kind = className(child);
        if (kind == "Static" || kind == "Button" || kind == "STATIC" || kind == "BUTTON") {
            texts.push_back(windowText(child));
        }
    }
    return texts;
}

MessageBoxContent readAndCloseMessageBox(Program& program, HWND owner, int milliseconds) {
    MessageBoxContent content;
    HWND box = program.waitForWindow(WindowKind::MessageBox, milliseconds, owner);
    if (box == nullptr) {
        content.caption = "<no message box>";
        return content;
    }
    pause(150);  // let it paint before its icon is read from the screen
    content.caption = windowText(box);
    content.text = controlText(box, kMessageBoxText);
    content.icon = iconOf(box);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    waitUntilClosed(box);
    return content;
}

bool waitUntilClosed(HWND window, int milliseconds) {
    for (int waited = 0; waited <= milliseconds; waited += kPollMilliseconds) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        pause(kPollMilliseconds);
    }
    return false;
}

bool chooseFile(HWND fileDialog, const std::string& parentFolder, const std::string& folder,
                const std::string& fileName) {
    // Entering a folder name moves the dialog into the folder, and it then empties the
    // name box; entering the folder it is in already leaves the box as it is. Going
    // through the parent folder first makes both moves real, so each can be awaited.
    auto enter = [fileDialog](const std::string& text) {
        SendDlgItemMessageA(fileDialog, kFileNameField, WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(text.c_str()));
        PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDOK)));
    };
    auto moveInto = [&](const std::string& target) {
        enter(target);
        for (int waited = 0; waited < 15000; waited += kPollMilliseconds) {
            pause(kPollMilliseconds);
            if (controlText(fileDialog, kFileNameField).empty()) return true;
        }
        printf("note: the file dialog did not move into %s\n", target.c_str());
        return false;
    };
    if (!moveInto(parentFolder) || !moveInto(folder)) return false;
    enter(fileName);
    return waitUntilClosed(fileDialog);
}

void cancelFileDialog(HWND fileDialog) {
    PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    waitUntilClosed(fileDialog);
}

bool saveScreenshot(HWND window, const std::string& path) {
    RECT area;
    if (!GetWindowRect(window, &area)) return false;
    ScreenPixels pixels;
    if (!grabScreen(area, pixels)) return false;
    Bytes file(54, 0);
    const uint32_t imageSize = static_cast<uint32_t>(pixels.bits.size());
    auto put32 = [&file](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, 54 + imageSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(pixels.width));
    put32(22, static_cast<uint32_t>(pixels.height));
    file[26] = 1;
    file[28] = 24;
    put32(34, imageSize);
    file.insert(file.end(), pixels.bits.begin(), pixels.bits.end());
    return writeBinaryFile(path, file);
}

#pragma once
// Drives a running Tessella.exe from another process: finds its windows, reads and sets
// control texts, presses buttons and keys, answers its message boxes and file dialog,
// and takes screenshots. Everything goes through window messages; clicks that open a
// modal window are posted, so the driver never blocks on the program.

#include <windows.h>

#include <string>
#include <vector>

#include "Expected.h"

// A Unix path (from the test runner) as Wine sees it: /a/b becomes Z:\a\b. Windows paths
// are returned unchanged.
std::string windowsPath(const std::string& path);
bool writeBinaryFile(const std::string& path, const Bytes& bytes);
bool readBinaryFile(const std::string& path, Bytes& bytes);
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
void pause(int milliseconds);

// Kinds of top-level windows the program shows.
enum class WindowKind { MainDialog, MessageBox, FileDialog, AboutBox };

struct MessageBoxContent {
    std::string caption;
    std::string text;
    enum class Icon { None, Information, Exclamation } icon = Icon::None;
};

class Program {
public:
    ~Program();

    bool start(const std::string& exe, const std::string& workFolder);
    bool running() const;
    // Waits for the process to end; false on time-out.
    bool waitForExit(int milliseconds = 10000);
    DWORD threadId() const { return thread_; }

    // Waits for a visible window of the kind; owner null means "any owner that fits".
    HWND waitForWindow(WindowKind kind, int milliseconds = 15000, HWND owner = nullptr);
    // Whether a window of the kind is open at the moment.
    HWND findWindow(WindowKind kind, HWND owner = nullptr) const;

    HWND mainDialog() const { return main_; }
    HWND waitForMainDialog(int milliseconds = 30000);

private:
    PROCESS_INFORMATION process_{};
    DWORD thread_ = 0;
    HWND main_ = nullptr;
};

// Controls of another process.
std::string controlText(HWND dialog, int id);
std::string windowText(HWND window);
void setControlText(HWND dialog, int id, const std::string& text);
// Types the text into an edit control as key presses (WM_CHAR), after selecting all of
// its text, so the control's own limit and digits-only filter apply.
void typeInto(HWND dialog, int id, const std::string& text);
void clickButton(HWND dialog, int id);       // posted BN_CLICKED
void postKey(HWND window, UINT virtualKey);  // WM_KEYDOWN + WM_KEYUP, posted
bool controlEnabled(HWND dialog, int id);
LONG controlStyle(HWND dialog, int id);
LONG controlExStyle(HWND dialog, int id);
int controlLimit(HWND dialog, int id);
HWND focusedWindow(DWORD threadId);
// The labels (static and button texts) of a dialog in creation order.
std::vector<std::string> childTexts(HWND dialog);

// Reads the message box (its icon from its pixels) and closes it with OK.
MessageBoxContent readAndCloseMessageBox(Program& program, HWND owner, int milliseconds = 20000);
// Waits until the window is gone.
bool waitUntilClosed(HWND window, int milliseconds = 10000);

// Chooses a file in the open file dialog as a user would: moves into the folder (so the
// dialog, and with it the program's current folder, moves there), then enters the name.
// The parent folder is given, as a multibyte path cannot be cut at its last byte 0x5C.
bool chooseFile(HWND fileDialog, const std::string& parentFolder, const std::string& folder,
                const std::string& fileName);
void cancelFileDialog(HWND fileDialog);

// Saves the window as it appears on screen as a 24-bit bitmap file.
bool saveScreenshot(HWND window, const std::string& path);

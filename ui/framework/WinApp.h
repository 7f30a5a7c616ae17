#pragma once
// CWinApp: the program's one application object and the entry that runs it.
//
// Start-up: making the application object (a global) first sets the C runtime's
// multibyte code page to the system's ANSI code page, so every text of the program is
// multibyte text of that code page. WinMain then calls AfxWinMain, which calls
// InitInstance; only if that returns TRUE does it run a message loop (Run). The program's
// exit code is the result of ExitInstance.

#include <windows.h>

class CWnd;

class CWinApp {
public:
    // appName null: the program's module name is used where a name is needed.
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // The message loop, for programs whose InitInstance returns TRUE.
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    // Asks for three-dimensional control drawing. Windows draws every dialog of a
    // program for Windows 4.0 and later three-dimensionally (DS_3DLOOK is implied), so
    // there is nothing to ask for; the answer is always TRUE.
    BOOL Enable3dControls() { return TRUE; }

    const char* m_pszAppName;
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

// The one application object, or null before it is made and after it is gone.
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
int AfxWinMain(HINSTANCE instance);

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
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // The message loop, for programs whose InitInstance returns TRUE.
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

// The one application object, or null before it is made and after it is gone.
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
int AfxWinMain(HINSTANCE instance);

#include "WinApp.h"

#include <mbctype.h>

namespace {
CWinApp* theApplication = nullptr;
}

CWinApp::CWinApp() {
    _setmbcp(_MB_CP_ANSI);
    theApplication = this;
}

CWinApp::~CWinApp() {
    if (theApplication == this) theApplication = nullptr;
}

int CWinApp::Run() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() { return theApplication; }

HINSTANCE AfxGetInstanceHandle() {
    return theApplication != nullptr && theApplication->m_hInstance != nullptr
               ? theApplication->m_hInstance
               : ::GetModuleHandleA(nullptr);
}

int AfxWinMain(HINSTANCE instance) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return -1;
    app->m_hInstance = instance;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

// The program reads neither its command line nor the show state.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return AfxWinMain(instance); }

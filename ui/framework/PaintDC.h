#pragma once
// CPaintDC: begins painting a window when made, ends it when it goes out of scope.

#include <windows.h>

#include "Wnd.h"

class CPaintDC {
public:
    explicit CPaintDC(CWnd* window) : window_(window->m_hWnd) {
        m_hDC = ::BeginPaint(window_, &m_ps);
    }
    ~CPaintDC() { ::EndPaint(window_, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND window_;
};

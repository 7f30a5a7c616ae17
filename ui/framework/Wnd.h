#pragma once
// CWnd: a window handle and the few operations the dialogs use on it. It starts without
// a handle; a dialog gets its own when the system creates its window.

#include <windows.h>

#include "Menu.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    int MessageBoxA(const char* text, const char* caption, UINT type) {
        return ::MessageBoxA(m_hWnd, text, caption, type);
    }
    // The window's system menu (revert FALSE: the menu itself, to be changed), or a
    // menu without handle when the window has none.
    CMenu GetSystemMenu(BOOL revert) const { return CMenu(::GetSystemMenu(m_hWnd, revert)); }

    // Operations on the controls of a dialog, by id.
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetDlgItemTextA(int id, const char* text) { ::SetDlgItemTextA(m_hWnd, id, text); }
    int GetDlgItemTextA(int id, char* buffer, int size) const {
        return static_cast<int>(::GetDlgItemTextA(m_hWnd, id, buffer, size));
    }
    LRESULT SendDlgItemMessageA(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendDlgItemMessageA(m_hWnd, id, message, wParam, lParam);
    }
};

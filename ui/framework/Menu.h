#pragma once
// CMenu: a menu handle that the window owns; the wrapper never destroys it.

#include <windows.h>

class CMenu {
public:
    explicit CMenu(HMENU menu = nullptr) : m_hMenu(menu) {}

    HMENU m_hMenu;

    bool exists() const { return m_hMenu != nullptr; }
    BOOL AppendMenuA(UINT flags, UINT_PTR id = 0, const char* text = nullptr) {
        return ::AppendMenuA(m_hMenu, flags, id, text);
    }
};

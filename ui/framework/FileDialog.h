#pragma once
// CFileDialog: the system's file-open (or save) dialog.

#include <windows.h>

#include <string>

#include "Wnd.h"

class CFileDialog {
public:
    // defaultExtension may start with a period, which is dropped ("bmp" is what the
    // system appends). filter is "name|pattern|...|", each '|' ending one string.
    // parent null: owned by the application's main window.
    CFileDialog(BOOL openFileDialog, const char* defaultExtension = nullptr,
                const char* fileName = nullptr, DWORD flags = 0, const char* filter = nullptr,
                CWnd* parent = nullptr);

    // IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    // The chosen file's full path.
    std::string GetPathName() const { return file_; }

    OPENFILENAMEA m_ofn;

private:
    BOOL open_;
    std::string defaultExtension_;
    std::string filter_;
    std::string file_;
    CWnd* parent_;
    char buffer_[1024];
};

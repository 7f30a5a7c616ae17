#pragma once
// CFileDialog: the system's file-open dialog, owned by the application's main window.

#include <windows.h>

#include <string>

class CFileDialog {
public:
    // defaultExtension may start with a period, which is dropped ("bmp" is what the
    // system appends). filter is "name|pattern|...|", each '|' ending one string.
    CFileDialog(const char* defaultExtension, DWORD flags, const char* filter);

    // IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    // The chosen file's full path.
    std::string GetPathName() const { return file_; }

private:
    OPENFILENAMEA ofn_;
    std::string defaultExtension_;
    std::string filter_;
    std::string file_;
    char buffer_[1024];
};

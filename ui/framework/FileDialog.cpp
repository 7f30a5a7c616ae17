#include "FileDialog.h"

#include <commdlg.h>

#include "WinApp.h"
#include "Wnd.h"

CFileDialog::CFileDialog(const char* defaultExtension, DWORD flags, const char* filter)
    : ofn_{}, buffer_{} {
    defaultExtension_ = defaultExtension[0] == '.' ? defaultExtension + 1 : defaultExtension;
    filter_ = filter;
    for (char& c : filter_) {
        if (c == '|') c = '\0';
    }
    filter_.push_back('\0');

    ofn_.lStructSize = sizeof ofn_;
    ofn_.Flags = flags | OFN_EXPLORER;
    ofn_.lpstrFile = buffer_;
    ofn_.nMaxFile = sizeof buffer_;
}

INT_PTR CFileDialog::DoModal() {
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd != nullptr) ofn_.hwndOwner = app->m_pMainWnd->m_hWnd;
    ofn_.hInstance = AfxGetInstanceHandle();
    ofn_.lpstrFilter = filter_.c_str();
    ofn_.lpstrDefExt = defaultExtension_.c_str();

    if (!::GetOpenFileNameA(&ofn_)) return IDCANCEL;
    file_ = buffer_;
    return IDOK;
}

#include "FileDialog.h"

#include <commdlg.h>

#include "WinApp.h"

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExtension,
                         const char* fileName, DWORD flags, const char* filter, CWnd* parent)
    : m_ofn{}, open_(openFileDialog), parent_(parent), buffer_{} {
    if (defaultExtension != nullptr) {
        defaultExtension_ = defaultExtension[0] == '.' ? defaultExtension + 1 : defaultExtension;
    }
    if (filter != nullptr) {
        filter_ = filter;
        for (char& c : filter_) {
            if (c == '|') c = '\0';
        }
        filter_.push_back('\0');
    }
    if (fileName != nullptr) ::lstrcpynA(buffer_, fileName, sizeof buffer_);

    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = flags | OFN_EXPLORER;
    m_ofn.lpstrFile = buffer_;
    m_ofn.nMaxFile = sizeof buffer_;
}

INT_PTR CFileDialog::DoModal() {
    CWinApp* app = AfxGetApp();
    if (parent_ != nullptr) {
        m_ofn.hwndOwner = parent_->m_hWnd;
    } else if (app != nullptr && app->m_pMainWnd != nullptr) {
        m_ofn.hwndOwner = app->m_pMainWnd->m_hWnd;
    }
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
    m_ofn.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();

    const BOOL chosen = open_ ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    if (!chosen) return IDCANCEL;
    file_ = buffer_;
    return IDOK;
}

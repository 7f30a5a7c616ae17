#include "Dialog.h"

#include "Resources.h"
#include "WinApp.h"

CDialog::CDialog(UINT templateId) : templateId_(templateId) {}

HWND CDialog::ownerWindow() const {
    CWinApp* app = AfxGetApp();
    if (app == nullptr || app->m_pMainWnd == nullptr || app->m_pMainWnd == this) return nullptr;
    return app->m_pMainWnd->m_hWnd;
}

INT_PTR CDialog::DoModal() {
    const char* name = MAKEINTRESOURCEA(templateId_);
    return ::DialogBoxParamA(AfxFindResourceHandle(name, RT_DIALOG), name, ownerWindow(),
                             dialogProcedure, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() { return TRUE; }

bool CDialog::OnCommand(UINT, UINT) { return false; }

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG:
        result = OnInitDialog();
        return true;
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        const UINT notification = HIWORD(wParam);
        if (notification == BN_CLICKED && (id == IDOK || id == IDCANCEL)) {
            EndDialog(id);
            return true;
        }
        return OnCommand(id, notification);
    }
    default:
        return false;
    }
}

INT_PTR CALLBACK CDialog::dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = window;
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;  // messages before WM_INITDIALOG

    LRESULT result = 0;
    bool handled = false;
    // Nothing may unwind through the system's frames: a handler that runs out of memory
    // ends here, and the dialog tells the user.
    try {
        handled = dialog->OnMessage(message, wParam, lParam, result);
    } catch (...) {
        dialog->OnOutOfMemory();
        handled = true;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    if (!handled) return FALSE;
    switch (message) {
    // These messages return their result directly from a dialog procedure.
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

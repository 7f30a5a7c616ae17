#pragma once
// CDialog: a modal dialog from a dialog template, with one message handler per message.
//
// DoModal runs the system's modal dialog loop; every message of the dialog reaches
// OnMessage, whose base version calls OnInitDialog, ends the dialog on the IDOK and
// IDCANCEL commands (Enter in an edit field, Esc, the close box) with that result, and
// turns every other WM_COMMAND into OnCommand. A handler that returns false leaves the
// message to the system's default dialog processing. The dialog reaches its controls by
// id (GetDlgItem, SetDlgItemTextA, ...).

#include <windows.h>

#include "Wnd.h"

class CDialog : public CWnd {
public:
    // The dialog is owned by the application's main window, unless it is that window.
    explicit CDialog(UINT templateId);
    ~CDialog() override = default;

    // Shows the dialog and returns when it has ended: the value given to EndDialog, or
    // -1 if it could not be made.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

protected:
    // Returns TRUE to let the system put the focus on the first tab stop.
    virtual BOOL OnInitDialog();
    // A WM_COMMAND other than IDOK and IDCANCEL; true when handled.
    virtual bool OnCommand(UINT id, UINT notification);
    // A handler ran out of memory; nothing of it unwinds further.
    virtual void OnOutOfMemory() {}
    // Every message; true when handled, with result set.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    HWND ownerWindow() const;

    UINT templateId_;
};

#pragma once
// CDialog: a modal dialog from a dialog template, with one message handler per message.
//
// DoModal runs the system's modal dialog loop; every message of the dialog reaches
// OnMessage, whose base version calls OnInitDialog and turns the IDOK and IDCANCEL
// commands into OnOK and OnCancel, and every other WM_COMMAND into OnCommand. A handler
// that returns false leaves the message to the system's default dialog processing.

#include <windows.h>

#include "Wnd.h"

class CDialog;

// The state of one data exchange between a dialog and its members.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds a wrapper to the dialog's control with the given id; a wrapper already bound
// stays bound to its control.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

class CDialog : public CWnd {
public:
    // parent null: the dialog is owned by the application's main window, unless it is
    // that window itself.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override = default;

    // Shows the dialog and returns when it has ended: the value given to EndDialog, or
    // -1 if it could not be made.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }
    // Runs DoDataExchange; saveAndValidate TRUE copies from the controls to the members.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    virtual void DoDataExchange(CDataExchange* exchange);
    // Returns TRUE to let the system put the focus on the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
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
    CWnd* parent_;
};

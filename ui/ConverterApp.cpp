#include "ConverterApp.h"

#include "ConverterDialog.h"

// The one application object. Its construction sets the multibyte code page first.
ConverterApp theApp;

// Windows draws every dialog of a program for Windows 4.0 and later three-dimensionally,
// so there is nothing to ask for before the dialog.
BOOL ConverterApp::InitInstance() {
    {
        ConverterDialog dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();  // how the dialog was closed makes no difference
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

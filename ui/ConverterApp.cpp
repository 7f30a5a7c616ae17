#include "ConverterApp.h"

#include "ConverterDialog.h"

// The one application object. Its construction sets the multibyte code page first.
ConverterApp theApp;

BOOL ConverterApp::InitInstance() {
    Enable3dControls();
    {
        ConverterDialog dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();  // how the dialog was closed makes no difference
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

#pragma once
// The application: shows the main dialog modally and ends when it closes.

#include "framework/WinApp.h"

class ConverterApp : public CWinApp {
public:
    ConverterApp() = default;
    ~ConverterApp() override = default;

    // Shows the main dialog and returns FALSE, so no message loop runs and the program
    // ends as soon as the dialog has closed.
    BOOL InitInstance() override;
};

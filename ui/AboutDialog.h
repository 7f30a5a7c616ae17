#pragma once
// The About box, dialog template 100: the program's icon, version and what it does.
// OK, Esc and the close box end it.

#include "framework/Dialog.h"

class AboutDialog : public CDialog {
public:
    AboutDialog();
    ~AboutDialog() override = default;
};

// Makes a new About box, shows it modally and destroys it.
void showAboutBox();

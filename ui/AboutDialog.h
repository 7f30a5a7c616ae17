#pragma once
// The About box, dialog template 100: the program's icon, version and what it does.
// OK, Esc and the close box end it.

#include "framework/Dialog.h"

class AboutDialog : public CDialog {
public:
    explicit AboutDialog(CWnd* parent = nullptr);
    ~AboutDialog() override = default;

protected:
    void DoDataExchange(CDataExchange* exchange) override;
};

// Makes a new About box, shows it modally and destroys it.
void showAboutBox();

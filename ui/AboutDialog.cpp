#include "AboutDialog.h"

#include "resource.h"

AboutDialog::AboutDialog(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

// The About box has no controls of its own to bind or exchange.
void AboutDialog::DoDataExchange(CDataExchange* exchange) { CDialog::DoDataExchange(exchange); }

void showAboutBox() {
    AboutDialog about;
    about.DoModal();
}

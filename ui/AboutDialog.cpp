#include "AboutDialog.h"

#include "resource.h"

AboutDialog::AboutDialog() : CDialog(IDD_ABOUTBOX) {}

void showAboutBox() {
    AboutDialog about;
    about.DoModal();
}

#include "expdlg.h"

#include <QGroupBox>
#include <QProgressBar>

#include "progress_window.h"

namespace tessaron {

TExportDlg* ExportDlg = nullptr;

TExportDlg::TExportDlg(QWidget& mainWindow) : mainWindow_(&mainWindow) {
    setObjectName(QStringLiteral("ExportDlg"));
    SetUpProgressWindow(*this, mainWindow, 240, 60);

    GroupBox1 = new QGroupBox(QStringLiteral("Sprites 9999/9999"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(10, 10, 220, 40);
    PBarSpr = MakeProgressBar(GroupBox1, QRect(10, 13, 200, 20));
    PBarSpr->setObjectName(QStringLiteral("PBarSpr"));

    StayAbove(*this, mainWindow);
    CentreOn(*this, *mainWindow.window());
    FCancel = false;
    ExportDlg = this;
}

TExportDlg::~TExportDlg() {
    if (ExportDlg == this) ExportDlg = nullptr;
}

void TExportDlg::FormCreate() {
    if (mainWindow_) mainWindow_->setEnabled(false);
}

void TExportDlg::FormClose(TCloseAction& action) {
    (void)action;  // hidden, not destroyed: the run destroys the dialog
    FCancel = true;
    if (mainWindow_) mainWindow_->setEnabled(true);
}

void TExportDlg::FormDestroy() {
    if (mainWindow_) mainWindow_->setEnabled(true);
}

}  // namespace tessaron

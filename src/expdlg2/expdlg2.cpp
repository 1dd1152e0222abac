#include "expdlg2.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "progress_window.h"

namespace tessaron {

TExportDlg2* ExportDlg2 = nullptr;


TExportDlg2::TExportDlg2(QWidget& mainWindow) : mainWindow_(&mainWindow) {
    setObjectName(QStringLiteral("ExportDlg2"));
    SetUpProgressWindow(*this, mainWindow, 240, 140);

    GroupBox1 = new QGroupBox(QStringLiteral("Sprites 9999/9999"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(10, 8, 220, 40);
    GroupBox2 = new QGroupBox(QStringLiteral("Sprite Blocks 9999/9999"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(10, 64, 220, 40);

    Cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Cancel->setGeometry(120, 112, 75, 25);
    Pause = new QPushButton(QStringLiteral("&Pause"), this);
    Pause->setObjectName(QStringLiteral("Pause"));
    Pause->setGeometry(45, 112, 75, 25);
    // Enter presses the focused button, and Cancel when no button has the
    // focus (see keyPressEvent).
    Cancel->setAutoDefault(true);
    Cancel->setDefault(true);
    Pause->setAutoDefault(true);

    StaticText1 = new QLabel(QStringLiteral("Total Sprites: 99999"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setGeometry(136, 52, kStaticText1Width, 17);
    FitToCaption(*StaticText1, kStaticText1Width);

    PBarSpr = MakeProgressBar(GroupBox1, QRect(10, 13, 200, 20));
    PBarSpr->setObjectName(QStringLiteral("PBarSpr"));
    PBarSB = MakeProgressBar(GroupBox2, QRect(10, 13, 200, 20));
    PBarSB->setObjectName(QStringLiteral("PBarSB"));

    // Tab order: Cancel, then Pause (the group boxes and the text take no
    // focus).
    setTabOrder(Cancel, Pause);
    Cancel->setFocus();

    connect(Pause, &QPushButton::clicked, this, [this] { PauseClick(); });
    connect(Cancel, &QPushButton::clicked, this, [this] { CancelClick(); });

    StayAbove(*this, mainWindow);
    CentreOn(*this, *mainWindow.window());
    FCancel = false;
    FPaused = false;
    ExportDlg2 = this;
}

TExportDlg2::~TExportDlg2() {
    if (ExportDlg2 == this) ExportDlg2 = nullptr;
}

void TExportDlg2::PauseClick() {
    FPaused = !FPaused;
    setWindowTitle(FPaused ? QStringLiteral("Exporting... (Paused)") : QStringLiteral("Exporting..."));
}

void TExportDlg2::CancelClick() { FCancel = true; }

void TExportDlg2::SetTotalCaption(const QString& caption) {
    StaticText1->setText(caption);
    if (caption.size() == fittedLength_) return;
    FitToCaption(*StaticText1, kStaticText1Width);
    fittedLength_ = caption.size();
}

void TExportDlg2::FormCreate() {
    if (mainWindow_) mainWindow_->setEnabled(false);
}

void TExportDlg2::FormClose(TCloseAction& action) {
    (void)action;  // hidden, not destroyed: the run destroys the dialog
    FCancel = true;
    if (mainWindow_) mainWindow_->setEnabled(true);
}

void TExportDlg2::FormDestroy() {
    if (mainWindow_) mainWindow_->setEnabled(true);
}

void TExportDlg2::keyPressEvent(QKeyEvent* event) {
    // Reached only when no button took the key: Enter then means Cancel.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Cancel->click();
        return;
    }
    TFormOf<QWidget>::keyPressEvent(event);
}

}  // namespace tessaron

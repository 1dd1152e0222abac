#include "loading.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tessaron {

namespace {
// The box keeps the outer size it would have with a dialog frame and title
// bar around its 142 x 23 client area; without the title bar the panel
// fills all of it.
constexpr int kClientWidth = 142;
constexpr int kClientHeight = 23;
constexpr int kDialogBorder = 3;
constexpr int kCaptionHeight = 19;
constexpr int kOuterWidth = kClientWidth + 2 * kDialogBorder;
constexpr int kOuterHeight = kClientHeight + 2 * kDialogBorder + kCaptionHeight;
}  // namespace

TForm2::TForm2() : TFormOf<QWidget>(nullptr, Qt::Dialog) {
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString());
    QFont formFont = font();
    formFont.setPixelSize(11);
    setFont(formFont);

    Panel1 = new QLabel(QStringLiteral("Loading data..."));
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    QFont panelFont = Panel1->font();
    panelFont.setPixelSize(21);
    panelFont.setBold(true);
    Panel1->setFont(panelFont);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Panel1);
    // The designed size, unless the platform's font needs more room for the
    // whole text.
    setFixedSize(QSize(kOuterWidth, kOuterHeight).expandedTo(minimumSizeHint()));

    TApplication* app = TApplication::Instance();
    mainWindow_ = app ? app->MainForm() : nullptr;
    if (mainWindow_ == this) mainWindow_ = nullptr;
    if (mainWindow_) CentreOn(*this, *mainWindow_);
}

void TForm2::FormCreate() {
    // No title bar and no border icons: nothing to close it with.
    setWindowFlag(Qt::FramelessWindowHint, true);
    if (mainWindow_) mainWindow_->setEnabled(false);
}

void TForm2::FormClose(TCloseAction& action) { action = TCloseAction::caNone; }

void TForm2::FormDestroy() {
    if (mainWindow_) mainWindow_->setEnabled(true);
}

}  // namespace tessaron

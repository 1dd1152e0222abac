#include "progress_window.h"

#include <algorithm>
#include <limits>

#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <QWindow>

namespace tessaron {

namespace {

int ClampToInt(int64_t value) {
    return int(std::clamp<int64_t>(value, 0, std::numeric_limits<int>::max()));
}

}  // namespace

void SetUpProgressWindow(QWidget& window, const QWidget& mainWindow, int clientWidth, int clientHeight) {
    window.setFont(mainWindow.window()->font());
    window.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    window.setFixedSize(clientWidth, clientHeight);
    window.setWindowTitle(QStringLiteral("Exporting..."));
    window.setBackgroundRole(QPalette::Button);
    window.setAutoFillBackground(true);
}

void FitToCaption(QLabel& label, int designedWidth) {
    constexpr int kLeftMargin = 10;
    const QRect bounds = label.geometry();
    const int right = bounds.x() + bounds.width();
    const int width = std::min(std::max(designedWidth, label.sizeHint().width()), right - kLeftMargin);
    if (width != bounds.width()) label.setGeometry(right - width, bounds.y(), width, bounds.height());
}

void StayAbove(QWidget& window, QWidget& mainWindow) {
    QWidget* top = mainWindow.window();
    if (!top->windowHandle()) return;  // never shown: nothing to stay above
    window.winId();                    // makes the native window
    if (QWindow* handle = window.windowHandle()) handle->setTransientParent(top->windowHandle());
}

QProgressBar* MakeProgressBar(QWidget* parent, const QRect& bounds) {
    auto* bar = new QProgressBar(parent);
    bar->setGeometry(bounds);
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

void SetBarRange(QProgressBar& bar, int64_t maximum) {
    bar.setRange(0, std::max(1, ClampToInt(maximum)));
    bar.setValue(0);
}

void StepBy(QProgressBar& bar, int amount) {
    const int from = std::max(bar.value(), bar.minimum());
    bar.setValue(std::min<int64_t>(int64_t(from) + amount, bar.maximum()));
}

void SetBarColour(QProgressBar& bar, const QColor& colour) {
    QPalette palette = bar.palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Highlight, colour);
    bar.setPalette(palette);
}

QColor BarColour(const QProgressBar& bar) {
    return bar.palette().color(QPalette::Active, QPalette::Highlight);
}

QString SpritesCaption(int64_t current, int64_t total) {
    return QStringLiteral("Sprites %1/%2").arg(current).arg(total);
}

QString SpriteBlocksCaption(int64_t current, int64_t total) {
    return QStringLiteral("Sprite Blocks %1/%2").arg(current).arg(total);
}

QString TotalSpritesCaption(int64_t total) {
    return QStringLiteral("Total Sprites: %1").arg(total);
}

}  // namespace tessaron

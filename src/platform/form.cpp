#include "form.h"

#include <QPointer>
#include <QVariant>

namespace tessaron {

QPoint CentredPosition(const QRect& main, const QSize& own) {
    // C++ division truncates toward zero, as the rule wants.
    const int top = main.top() + main.height() / 2 - own.height() / 2;
    const int left = main.left() + main.width() / 2 - own.width() / 2;
    return QPoint(left, top);
}

namespace {
constexpr const char* kCentredOn = "tessaronCentredOn";
}  // namespace

void CentreOn(QWidget& window, const QWidget& mainWindow) {
    if (!window.isVisible())
        window.setProperty(kCentredOn, QVariant::fromValue(QPointer<QObject>(const_cast<QWidget*>(&mainWindow))));
    const QRect outer = window.frameGeometry();
    const QPoint target = CentredPosition(mainWindow.frameGeometry(), outer.size());
    // Top first, then left.  move() places the frame's top-left corner of a
    // top-level window.
    window.move(outer.left(), target.y());
    window.move(target.x(), target.y());
}

void RecentreOnShow(QWidget& window) {
    const QVariant target = window.property(kCentredOn);
    if (!target.isValid()) return;
    window.setProperty(kCentredOn, QVariant());
    if (auto* mainWindow = qobject_cast<QWidget*>(target.value<QPointer<QObject>>().data()))
        CentreOn(window, *mainWindow);
}

}  // namespace tessaron

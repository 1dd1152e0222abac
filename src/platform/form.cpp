#include "form.h"

namespace tessaron {

QPoint CentredPosition(const QRect& main, const QSize& own) {
    // C++ division truncates toward zero, as the rule wants.
    const int top = main.top() + main.height() / 2 - own.height() / 2;
    const int left = main.left() + main.width() / 2 - own.width() / 2;
    return QPoint(left, top);
}

void CentreOn(QWidget& window, const QWidget& mainWindow) {
    const QRect outer = window.frameGeometry();
    const QPoint target = CentredPosition(mainWindow.frameGeometry(), outer.size());
    // Top first, then left.  move() places the frame's top-left corner of a
    // top-level window.
    window.move(outer.left(), target.y());
    window.move(target.x(), target.y());
}

}  // namespace tessaron

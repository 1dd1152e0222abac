#include "frame_view.h"

#include <algorithm>

#include <QPainter>

namespace tessaron {

TFrameView::TFrameView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(1, 1);
}

void TFrameView::SetPicture(QImage picture) {
    picture_ = std::move(picture);
    update();
}

void TFrameView::SetZoom(FrameZoom zoom) {
    zoom_ = zoom;
    update();
}

QRect TFrameView::PictureRect() const {
    if (picture_.isNull()) return QRect();
    const int w = picture_.width();
    const int h = picture_.height();
    QSize size(w, h);
    switch (zoom_) {
    case FrameZoom::AutoSize: break;
    case FrameZoom::X8: size = QSize(w * 8, h * 8); break;
    case FrameZoom::X4: size = QSize(w * 4, h * 4); break;
    case FrameZoom::X2: size = QSize(w * 2, h * 2); break;
    case FrameZoom::Half: size = QSize(std::max(1, w / 2), std::max(1, h / 2)); break;
    case FrameZoom::FullSize: size = QSize(w, h).scaled(this->size(), Qt::KeepAspectRatio); break;
    }
    // Integer halves: a picture wider than the area loses as much on the
    // left as on the right.
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void TFrameView::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    // Magnified pixels stay square blocks.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ == FrameZoom::Half);
    painter.drawImage(PictureRect(), picture_);
}

QImage ToQImage(const FrameImage& image) {
    if (image.Width() == 0 || image.Height() == 0) return QImage();
    QImage result(int(image.Width()), int(image.Height()), QImage::Format_Indexed8);
    const auto& table = image.ColourTable();  // blue, green, red, 0 per entry
    QList<QRgb> colours(256);
    for (int k = 0; k < 256; ++k)
        colours[k] = qRgb(table[4 * k + 2], table[4 * k + 1], table[4 * k]);
    result.setColorTable(colours);
    for (uint32_t row = 0; row < image.Height(); ++row)
        std::copy_n(image.ScanLine(row), image.Width(), result.scanLine(int(row)));
    return result;
}

}  // namespace tessaron

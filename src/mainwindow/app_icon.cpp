#include "app_icon.h"

#include <QPainter>
#include <QPainterPath>

#include "palette.h"

namespace tessaron {

namespace {

QRgb Colour(int index) {
    const uint32_t rgb = kSpriteColours[index];
    return qRgb(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF);
}

}  // namespace

QImage AppIconImage() {
    // A framed tile of the background green with a four-pointed star (the
    // tessera) and a block letter T in gold.
    QImage canvas(32, 32, QImage::Format_ARGB32);
    canvas.fill(Colour(0x1F));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(1, 1, 30, 30, QColor(Colour(0x0C)));
    p.fillRect(3, 3, 26, 26, QColor(Colour(0x44)));
    QPainterPath star;
    star.moveTo(16, 4);
    star.lineTo(19, 13);
    star.lineTo(28, 16);
    star.lineTo(19, 19);
    star.lineTo(16, 28);
    star.lineTo(13, 19);
    star.lineTo(4, 16);
    star.lineTo(13, 13);
    star.closeSubpath();
    p.fillPath(star, QColor(Colour(0x45)));
    p.fillRect(9, 9, 14, 4, QColor(Colour(0x02)));   // the T's bar
    p.fillRect(14, 13, 4, 11, QColor(Colour(0x02))); // its stem
    p.fillRect(9, 12, 14, 1, QColor(Colour(0x04)));
    p.fillRect(17, 13, 1, 11, QColor(Colour(0x04)));
    p.end();

    QList<QRgb> table(256);
    for (int k = 0; k < 256; ++k) table[k] = Colour(k);
    return canvas.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
}

QIcon AppIcon() { return QIcon(QPixmap::fromImage(AppIconImage())); }

}  // namespace tessaron

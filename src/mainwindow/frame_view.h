// Image1 of the main window: draws one frame picture centred in its area,
// clipped equally on both sides when it is larger, at the scale of the
// popup menu's choice.
#pragma once

#include <QImage>
#include <QWidget>

#include "image.h"

namespace tessaron {

// How the picture is scaled; "Auto size" draws it pixel for pixel.
enum class FrameZoom { AutoSize, X8, X4, X2, FullSize, Half };

class TFrameView : public QWidget {
public:
    explicit TFrameView(QWidget* parent = nullptr);

    const QImage& Picture() const { return picture_; }
    void SetPicture(QImage picture);
    void Clear() { SetPicture(QImage()); }
    bool HasPicture() const { return !picture_.isNull(); }

    FrameZoom Zoom() const { return zoom_; }
    void SetZoom(FrameZoom zoom);

    // Where the picture is drawn, in widget coordinates (may reach outside).
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    FrameZoom zoom_ = FrameZoom::AutoSize;
};

// The frame image as a Qt image: 8 bits per pixel with the sprite palette
// as its colour table.  Empty for a frame without pixels.
QImage ToQImage(const FrameImage& image);

}  // namespace tessaron

// The window and application icon: 32 by 32 pixels in the sprite palette's
// 256 colours, drawn in code.
#pragma once

#include <QIcon>
#include <QImage>

namespace tessaron {

QImage AppIconImage();  // 32 x 32, 8 bits per pixel
QIcon AppIcon();

}  // namespace tessaron

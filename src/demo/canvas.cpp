#include "canvas.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "frame.h"

namespace tessaron::demo {

Canvas::Canvas(uint32_t width, uint32_t height) : picture_(width, height, BackgroundIndex) {}

void Canvas::Set(int x, int y, uint8_t colour) {
    if (x < 0 || y < 0 || uint32_t(x) >= Width() || uint32_t(y) >= Height()) return;
    picture_.At(uint32_t(x), uint32_t(y)) = colour;
}

uint8_t Canvas::Get(int x, int y) const {
    if (x < 0 || y < 0 || uint32_t(x) >= Width() || uint32_t(y) >= Height()) return BackgroundIndex;
    return picture_.At(uint32_t(x), uint32_t(y));
}

bool Canvas::IsEmpty(int x, int y) const { return Get(x, y) == BackgroundIndex; }

void Canvas::FillRect(int x, int y, int w, int h, uint8_t colour) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Set(i, j, colour);
}

void Canvas::FillEllipse(int cx, int cy, int rx, int ry, uint8_t colour) {
    if (rx <= 0 || ry <= 0) return;
    const long rx2 = long(rx) * rx, ry2 = long(ry) * ry;
    for (int dy = -ry; dy <= ry; ++dy)
        for (int dx = -rx; dx <= rx; ++dx)
            if (dx * dx * ry2 + dy * dy * rx2 <= rx2 * ry2) Set(cx + dx, cy + dy, colour);
}

void Canvas::Line(int x0, int y0, int x1, int y1, uint8_t colour) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Set(x0, y0, colour);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

void Canvas::FillTrapezoid(int y0, int y1, int xs0, int xe0, int xs1, int xe1, uint8_t colour) {
    const int rows = std::max(1, y1 - y0);
    for (int y = y0; y <= y1; ++y) {
        const int t = y - y0;
        const int xs = xs0 + (xs1 - xs0) * t / rows;
        const int xe = xe0 + (xe1 - xe0) * t / rows;
        for (int x = xs; x <= xe; ++x) Set(x, y, colour);
    }
}

void Canvas::ShadeRightEdges(uint8_t from, uint8_t shade) {
    for (uint32_t y = 0; y < Height(); ++y)
        for (uint32_t x = 0; x < Width(); ++x)
            if (picture_.At(x, y) == from && Get(int(x) + 1, int(y)) != from) picture_.At(x, y) = shade;
}

void Canvas::Outline(uint8_t colour) {
    const writer::Picture before = picture_;
    auto drawn = [&](int x, int y) {
        return x >= 0 && y >= 0 && uint32_t(x) < Width() && uint32_t(y) < Height() &&
               before.At(uint32_t(x), uint32_t(y)) != BackgroundIndex;
    };
    for (int y = 0; y < int(Height()); ++y)
        for (int x = 0; x < int(Width()); ++x)
            if (!drawn(x, y) && (drawn(x - 1, y) || drawn(x + 1, y) || drawn(x, y - 1) || drawn(x, y + 1)))
                picture_.At(uint32_t(x), uint32_t(y)) = colour;
}

void Canvas::MirrorHorizontally() {
    for (uint32_t y = 0; y < Height(); ++y) {
        auto row = picture_.Pixels.begin() + long(y) * Width();
        std::reverse(row, row + Width());
    }
}

}  // namespace tessaron::demo

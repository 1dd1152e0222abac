// A few drawing primitives on a picture of palette indices, enough to draw
// the demo archive's sprites in code.
#pragma once

#include <cstdint>

#include "frame_encoder.h"

namespace tessaron::demo {

// A small deterministic generator (xorshift32), so that the demo archive is
// the same byte for byte on every machine and compiler.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed ? seed : 1) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    uint32_t Below(uint32_t n) { return Next() % n; }

private:
    uint32_t state_;
};

class Canvas {
public:
    Canvas(uint32_t width, uint32_t height);  // all background

    uint32_t Width() const { return picture_.Width; }
    uint32_t Height() const { return picture_.Height; }
    // Out-of-bounds points are ignored by every primitive.
    void Set(int x, int y, uint8_t colour);
    uint8_t Get(int x, int y) const;  // background outside
    bool IsEmpty(int x, int y) const;

    void FillRect(int x, int y, int w, int h, uint8_t colour);
    void FillEllipse(int cx, int cy, int rx, int ry, uint8_t colour);
    void Line(int x0, int y0, int x1, int y1, uint8_t colour);
    // A filled polygon given as a span per row: from `xs` to `xe` at each
    // row between y0 and y1, interpolated linearly.
    void FillTrapezoid(int y0, int y1, int xs0, int xe0, int xs1, int xe1, uint8_t colour);
    // Replaces each drawn pixel by `shade` where its right neighbour is
    // empty: a cheap sense of light from the left.
    void ShadeRightEdges(uint8_t from, uint8_t shade);
    // Paints `colour` on every empty pixel next to a drawn one.
    void Outline(uint8_t colour);
    void MirrorHorizontally();

    const writer::Picture& Picture() const { return picture_; }
    writer::Picture Take() { return std::move(picture_); }

private:
    writer::Picture picture_;
};

}  // namespace tessaron::demo

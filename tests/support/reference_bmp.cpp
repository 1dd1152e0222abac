#include "reference_bmp.h"

#include "palette.h"

namespace tessaron::testing {
namespace {

void U16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void U32(std::vector<uint8_t>& out, uint32_t v) {
    U16(out, v & 0xFFFF);
    U16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> ReferenceBmp(const writer::Picture& picture) {
    const uint32_t w = picture.Width, h = picture.Height;
    if (w == 0 || h == 0) return {};
    const uint32_t stride = (w + 3) / 4 * 4;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    U32(out, 1078 + stride * h);  // file size
    U32(out, 0);                  // two reserved words
    U32(out, 1078);               // where the rows start
    U32(out, 40);
    U32(out, w);
    U32(out, h);  // positive: bottom row first
    U16(out, 1);
    U16(out, 8);
    U32(out, 0);  // no compression
    U32(out, stride * h);
    U32(out, 0);
    U32(out, 0);
    U32(out, 256);
    U32(out, 0);
    for (uint32_t rgb : kSpriteColours) {
        out.push_back(uint8_t(rgb));        // blue
        out.push_back(uint8_t(rgb >> 8));   // green
        out.push_back(uint8_t(rgb >> 16));  // red
        out.push_back(0);
    }
    for (uint32_t row = h; row-- > 0;) {
        for (uint32_t x = 0; x < w; ++x) out.push_back(picture.At(x, row));
        for (uint32_t x = w; x < stride; ++x) out.push_back(0);
    }
    return out;
}

}  // namespace tessaron::testing

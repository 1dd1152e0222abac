#include "sprite_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "frame.h"

namespace tessaron {

namespace {

uint32_t ChooseSheetWidth(const std::vector<SheetRect>& sizes) {
    uint64_t area = 0;
    uint32_t widest = 0;
    for (const SheetRect& r : sizes) {
        area += uint64_t(r.Width + kSheetGap) * (r.Height + kSheetGap);
        widest = std::max(widest, r.Width);
    }
    const auto square = uint32_t(std::ceil(std::sqrt(double(area))));
    return std::max(widest, square);
}

}  // namespace

SheetLayout PackShelves(const std::vector<SheetRect>& sizes) {
    SheetLayout layout;
    const uint32_t limit = ChooseSheetWidth(sizes);
    uint32_t x = 0, shelfTop = 0, shelfHeight = 0;
    for (const SheetRect& size : sizes) {
        if (x > 0 && uint64_t(x) + kSheetGap + size.Width > limit) {
            shelfTop += shelfHeight + kSheetGap;
            x = 0;
            shelfHeight = 0;
        }
        if (x > 0) x += kSheetGap;
        layout.Rects.push_back(SheetRect{x, shelfTop, size.Width, size.Height});
        x += size.Width;
        shelfHeight = std::max(shelfHeight, size.Height);
        layout.Width = std::max(layout.Width, x);
        layout.Height = std::max(layout.Height, shelfTop + shelfHeight);
    }
    return layout;
}

IndexedPicture ComposeSheet(const SheetLayout& layout, const std::vector<const IndexedPicture*>& frames) {
    if (frames.size() != layout.Rects.size()) throw std::invalid_argument("one picture per rectangle");
    IndexedPicture sheet;
    sheet.Width = layout.Width;
    sheet.Height = layout.Height;
    sheet.Pixels.assign(size_t(sheet.Width) * sheet.Height, BackgroundIndex);
    for (size_t i = 0; i < frames.size(); ++i) {
        const SheetRect& r = layout.Rects[i];
        const IndexedPicture& f = *frames[i];
        if (f.Width != r.Width || f.Height != r.Height) throw std::invalid_argument("picture does not fit its rectangle");
        for (uint32_t row = 0; row < f.Height && f.Width > 0; ++row) {
            std::memcpy(sheet.Pixels.data() + size_t(r.Y + row) * sheet.Width + r.X,
                        f.Pixels.data() + size_t(row) * f.Width, f.Width);
        }
    }
    return sheet;
}

}  // namespace tessaron

// Sprite sheets: a block's frames packed into one picture, with the
// rectangle of every frame.
#pragma once

#include <cstdint>
#include <vector>

#include "png_writer.h"

namespace tessaron {

struct SheetRect {
    uint32_t X = 0, Y = 0, Width = 0, Height = 0;
};

struct SheetLayout {
    uint32_t Width = 0;
    uint32_t Height = 0;
    std::vector<SheetRect> Rects;  // one per frame, in the order given
};

constexpr uint32_t kSheetGap = 1;  // pixels between neighbouring frames

// Shelf packing in the order given: frames go left to right along a shelf
// until the next would pass the sheet's width, then a new shelf starts below
// the tallest frame of the last one.  The width is chosen so the sheet comes
// out roughly square, and never narrower than the widest frame.
SheetLayout PackShelves(const std::vector<SheetRect>& sizes);

// Draws the frames into a sheet of the layout's size; everything else (gaps,
// the ends of shelves) is the background index.
IndexedPicture ComposeSheet(const SheetLayout& layout, const std::vector<const IndexedPicture*>& frames);

}  // namespace tessaron

// The texts under which blocks and frames are shown and exported, and the
// rule that hides tiny frames.
#pragma once

#include <cstdint>
#include <string>

namespace tessaron {

// Frames whose stored record is this many bytes or fewer are "tiny".
constexpr uint32_t TinySpriteMaxSize = 51;

inline bool IsVisibleFrame(uint32_t storedSize, bool showTiny) {
    return showTiny || storedSize > TinySpriteMaxSize;
}

// "%X": a tree item's text, e.g. 26 -> "1A".
std::string BlockItemText(uint32_t entry);
// "%03X-%03X": a frame list row's name, e.g. 26, 5 -> "01A-005".
std::string FrameRowName(uint32_t entry, uint32_t frame);
// "%lu": a frame list row's raw size.
std::string FrameRowSize(uint32_t size);
// "%s%03x_%03x<ext>": the file an export writes, e.g. "out/", 26, 5, ".bmp"
// -> "out/01a_005.bmp".  `folder` ends in a separator; none is added.
std::string ExportFileName(const std::string& folder, uint32_t entry, uint32_t frame,
                           const std::string& extension);

}  // namespace tessaron

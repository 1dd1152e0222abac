// The BMP file an export must write for a picture, built here from the
// file layout alone so that tests compare the core's image writer against
// something it does not share code with.
#pragma once

#include <cstdint>
#include <vector>

#include "frame_encoder.h"

namespace tessaron::testing {

// The 8-bit BMP of `picture` with the sprite colours as its colour table;
// empty for a picture without pixels (such a frame exports as an empty file).
std::vector<uint8_t> ReferenceBmp(const writer::Picture& picture);

}  // namespace tessaron::testing

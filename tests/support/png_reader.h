// Reading PNG files back in tests: libpng with no transformations, so the
// pixels come out as the stored palette indices.
#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

namespace tessaron::testing {

// What a PNG file holds.
struct DecodedPng {
    uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    std::vector<png_color> palette;
    std::vector<uint8_t> alpha;  // the tRNS entries, if any
    std::vector<uint8_t> pixels;  // row after row, one byte a pixel
};

// Reads a whole PNG file held in memory; a file libpng cannot read fails
// the test and gives an empty result.
DecodedPng ReadPng(const std::vector<uint8_t>& file);

}  // namespace tessaron::testing

// Indexed 8-bit PNG files in the sprite palette.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessaron {

struct IndexedPicture {
    uint32_t Width = 0;
    uint32_t Height = 0;
    std::vector<uint8_t> Pixels;  // Width * Height palette indices, top row first
};

struct PngOptions {
    // Marks the background index (0x44) fully transparent through the
    // palette's transparency chunk; nothing else changes.
    bool TransparentBackground = false;
};

// The PNG file of `picture` (bit depth 8, colour type palette, the 256
// sprite colours).  Throws std::runtime_error when libpng fails, e.g. for a
// picture with no pixels (PNG has no empty images).
std::vector<uint8_t> EncodePng(const IndexedPicture& picture, const PngOptions& options = {});

// Writes EncodePng() to `path` through a temporary file and a rename.
// Throws EFCreateError / EWriteError like the BMP writer.
void SavePng(const std::string& path, const IndexedPicture& picture, const PngOptions& options = {});

}  // namespace tessaron

// An 8-bit frame image with the sprite palette as its colour table, and its
// Windows BMP form.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "palette.h"
#include "safe_write.h"

namespace tessaron {

class Spr;

constexpr uint32_t kBmpPixelOffset = 14 + 40 + 4 * 256;  // 1078

class FrameImage {
public:
    FrameImage();  // 0 by 0, colour table from SpritePalette

    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    void SetWidth(uint32_t width);
    void SetHeight(uint32_t height);
    // SetWidth then SetHeight in one step: the same image in the end, without
    // a pixel area of the new width and the old height on the way (from
    // 1 x 16384 to 16384 x 1 that would be 16384 x 16384 for a moment).
    void SetSize(uint32_t width, uint32_t height);
    // Bytes per stored row: the width rounded up to a multiple of 4.
    uint32_t Stride() const { return (width_ + 3) & ~3u; }

    // Row `row` (0 is the top row).  Rows lie bottom row first in memory,
    // each padded with zeros to Stride().
    uint8_t* ScanLine(uint32_t row);
    const uint8_t* ScanLine(uint32_t row) const;

    // The colour table: entry k is blue, green, red, 0 of SpritePalette entry k.
    const std::array<uint8_t, 1024>& ColourTable() const { return colourTable_; }

    // The whole BMP file (empty for a 0-wide or 0-high image).
    std::vector<uint8_t> EncodeBmp() const;
    // Writes EncodeBmp() to `path` through a temporary file and a rename, so
    // that a failed write leaves neither a partial file nor a lost original.
    // Throws EFCreateError or EWriteError.
    void SaveToFile(const std::string& path) const;
    // The same file, written under a temporary name and left for the caller
    // to Commit (see PendingFile).
    PendingFile SaveToPendingFile(const std::string& path) const;

    // Header (14 + 40 bytes) and colour table, i.e. everything before the rows.
    void EncodeBmpPrefix(uint8_t* out /* kBmpPixelOffset bytes */) const;
    // The pixel rows exactly as stored in the file.
    const std::vector<uint8_t>& Bits() const { return bits_; }

private:
    void Resize(uint32_t width, uint32_t height);
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    std::vector<uint8_t> bits_;
    std::array<uint8_t, 1024> colourTable_{};
};

// A new image holding the frame of a decoded Spr.
std::unique_ptr<FrameImage> BuildFrameImage(const Spr& sprite);
// A new image with no pixels, ready for FillFrameImage.
std::unique_ptr<FrameImage> NewFrameImage();
// Gives `image` the frame's size and pixels.
void FillFrameImage(FrameImage& image, const Spr& sprite);

}  // namespace tessaron

#include "image.h"

#include <cstring>
#include <stdexcept>

#include "frame.h"
#include "records.h"
#include "safe_write.h"

namespace tessaron {

FrameImage::FrameImage() {
    for (int k = 0; k < 256; ++k) {
        const TPaletteEntry& e = SpritePalette.Entries[k];
        colourTable_[4 * k + 0] = e.Blue;
        colourTable_[4 * k + 1] = e.Green;
        colourTable_[4 * k + 2] = e.Red;
        colourTable_[4 * k + 3] = 0;
    }
}

void FrameImage::SetWidth(uint32_t width) {
    if (width != width_) Resize(width, height_);
}

void FrameImage::SetHeight(uint32_t height) {
    if (height != height_) Resize(width_, height);
}

void FrameImage::SetSize(uint32_t width, uint32_t height) {
    if (width != width_ || height != height_) Resize(width, height);
}

// A new size gets a new, zeroed pixel area, so row padding is always zero.
void FrameImage::Resize(uint32_t width, uint32_t height) {
    width_ = width;
    height_ = height;
    bits_.assign(size_t(Stride()) * height_, 0);
}

uint8_t* FrameImage::ScanLine(uint32_t row) {
    return bits_.data() + size_t(height_ - 1 - row) * Stride();
}

const uint8_t* FrameImage::ScanLine(uint32_t row) const {
    return bits_.data() + size_t(height_ - 1 - row) * Stride();
}

void FrameImage::EncodeBmpPrefix(uint8_t* out) const {
    const uint32_t imageSize = uint32_t(bits_.size());
    std::memset(out, 0, kBmpPixelOffset);
    out[0] = 'B';
    out[1] = 'M';
    WriteLE32(out + 2, kBmpPixelOffset + imageSize);
    WriteLE32(out + 10, kBmpPixelOffset);
    WriteLE32(out + 14, 40);
    WriteLE32(out + 18, width_);
    WriteLE32(out + 22, height_);
    WriteLE16(out + 26, 1);
    WriteLE16(out + 28, 8);
    WriteLE32(out + 34, imageSize);
    WriteLE32(out + 46, 256);
    std::memcpy(out + 54, colourTable_.data(), colourTable_.size());
}

std::vector<uint8_t> FrameImage::EncodeBmp() const {
    if (width_ == 0 || height_ == 0) return {};
    std::vector<uint8_t> file(kBmpPixelOffset + bits_.size());
    EncodeBmpPrefix(file.data());
    std::memcpy(file.data() + kBmpPixelOffset, bits_.data(), bits_.size());
    return file;
}

void FrameImage::SaveToFile(const std::string& path) const { SaveToPendingFile(path).Commit(); }

PendingFile FrameImage::SaveToPendingFile(const std::string& path) const {
    if (width_ == 0 || height_ == 0) return PendingFile(path, {});
    uint8_t prefix[kBmpPixelOffset];
    EncodeBmpPrefix(prefix);
    const std::span<const uint8_t> pieces[] = {std::span<const uint8_t>(prefix), bits_};
    return PendingFile(path, pieces);
}

std::unique_ptr<FrameImage> BuildFrameImage(const Spr& sprite) {
    auto image = std::make_unique<FrameImage>();
    FillFrameImage(*image, sprite);
    return image;
}

std::unique_ptr<FrameImage> NewFrameImage() { return std::make_unique<FrameImage>(); }

void FillFrameImage(FrameImage& image, const Spr& sprite) {
    const uint32_t width = sprite.Width();
    const uint32_t height = sprite.Height();
    if (sprite.Pixels.size() != size_t(width) * height) {
        throw std::logic_error("frame image built from a frame that was not decoded");
    }
    image.SetSize(width, height);
    if (width == 0) return;
    for (uint32_t row = 0; row < height; ++row) {
        std::memcpy(image.ScanLine(row), sprite.Pixels.data() + size_t(row) * width, width);
    }
}

}  // namespace tessaron

// One frame record: a 28-byte header, a table of line offsets and
// run-length span data, and the frame it decodes to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "file.h"

namespace tessaron {

// Palette index of every pixel that no span covers.
inline constexpr uint8_t BackgroundIndex = 0x44;

constexpr uint32_t kFrameHeaderSize = 28;
// Largest frame Decode accepts.  Real sprites are a few hundred pixels on a
// side; these bounds leave ample room while keeping a hostile header from
// reserving gigabytes.
constexpr uint32_t kMaxFrameSide = 16384;
constexpr uint64_t kMaxFramePixels = uint64_t(1) << 26;  // 64 Mi pixels

class FrameImage;

// Keeps the frame decoder to 16-byte blocks even where the processor has
// wider ones (true), or lets it choose again (false).  For tests, so that
// both ways are covered on one machine.
void DecodeWithNarrowBlocksOnly(bool narrow);

class Spr {
public:
    uint32_t Header[7] = {};
    std::vector<uint32_t> LineOffsets;  // Height + 1 entries into Data
    std::vector<uint8_t> Data;          // the span data
    uint32_t DataSize = 0;
    std::vector<uint8_t> Pixels;        // Width x Height, top row first
    std::vector<uint8_t> Raw;           // the record exactly as stored
    uint32_t RawSize = 0;

    uint32_t Compression() const { return Header[2]; }
    uint32_t Width() const { return Header[3]; }
    uint32_t Height() const { return Header[4]; }

    // True while a record is held (Load succeeded).
    bool HasRecord() const { return hasRecord_; }
    // True when the record is long enough for its header and line table.
    bool IsWellFormed() const { return wellFormed_; }
    // True once Decode succeeded.
    bool IsDecoded() const { return decoded_; }

    // Reads a record of `size` bytes from the file's current position through
    // the given copy of the handle.  Fails, reserving nothing, when the record
    // would run past the end of the file.
    bool Load(TFile file, uint32_t size);
    // Same, at an absolute position, without touching any shared position.
    bool LoadAt(const TFile& file, uint64_t position, uint32_t size);
    // Takes a record already in memory.
    bool LoadFromBytes(std::span<const uint8_t> record);

    // Expands the spans into Pixels.  Fails without a record, for a record
    // shorter than its header and line table, or for a frame larger than
    // kMaxFrameSide / kMaxFramePixels.
    bool Decode();
    // Decodes straight into `image`, which takes the frame's size: the image
    // FillFrameImage makes after Decode, without the detour through Pixels
    // (Pixels is left as it is and IsDecoded unchanged).  Fails where Decode
    // fails, leaving the image as it was.
    bool DecodeInto(FrameImage& image) const;

    // Writes Raw unchanged to `path` (through a temporary file and a rename).
    // False, and no file, when no record is held; throws EFCreateError or
    // EWriteError when the file cannot be created or written.
    bool SaveRaw(const std::string& path) const;

private:
    void Split();
    bool CanDecode() const;
    bool hasRecord_ = false;
    bool wellFormed_ = false;
    bool decoded_ = false;
};

}  // namespace tessaron

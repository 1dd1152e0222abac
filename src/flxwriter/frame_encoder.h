// Encodes pictures of palette indices into frame records: a 28-byte header,
// the line offset table and the span data of every row.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tessaron::writer {

// A rectangle of palette indices, top row first.  Index 0x44 (the
// background) is not stored: the decoder fills it in by itself.
struct Picture {
    uint32_t Width = 0;
    uint32_t Height = 0;
    std::vector<uint8_t> Pixels;  // Width * Height bytes

    Picture() = default;
    Picture(uint32_t width, uint32_t height, uint8_t fill);
    uint8_t& At(uint32_t x, uint32_t y) { return Pixels[size_t(y) * Width + x]; }
    uint8_t At(uint32_t x, uint32_t y) const { return Pixels[size_t(y) * Width + x]; }
};

// The two span codings of a frame record (its Compression word).
enum class Coding : uint32_t {
    Plain = 0,  // skip, count, count literal bytes
    Runs = 1,   // skip, count; odd count: a run of count >> 1 copies, even: count >> 1 literals
};

// The four header words the decoder carries but never interprets
// (record words 0, 1, 5 and 6).
struct HeaderWords {
    uint32_t Word0 = 0;
    uint32_t Word1 = 0;
    uint32_t Word5 = 0;
    uint32_t Word6 = 0;
};

// The spans of one row.  The row ends where the column reaches the row's
// width, so trailing background costs only the skip bytes that reach it.
std::vector<uint8_t> EncodeRow(std::span<const uint8_t> row, Coding coding);

// A whole record from already encoded rows: header (compression, width,
// height and the given words), the canonical line offset table (entry i holds
// the distance from entry i itself to the first byte of row i) and the rows'
// bytes in order.  Rows may be hand-made, e.g. to build odd records.
std::vector<uint8_t> AssembleRecord(uint32_t compression, uint32_t width, uint32_t height,
                                    const std::vector<std::vector<uint8_t>>& rows,
                                    const HeaderWords& words = {});

// Encodes `pixels` (width * height bytes, top row first).  Throws
// std::invalid_argument when the pixel count does not match.
std::vector<uint8_t> EncodeFrame(uint32_t width, uint32_t height, std::span<const uint8_t> pixels,
                                 Coding coding, const HeaderWords& words = {});
std::vector<uint8_t> EncodeFrame(const Picture& picture, Coding coding,
                                 const HeaderWords& words = {});

}  // namespace tessaron::writer

// On-disk records of an FLX archive.  All integers are little-endian.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaron {

constexpr uint32_t kFlxHeaderSize = 128;
constexpr uint32_t kFlxSignatureStart = 12;   // bytes 12..81 must all be 0x1A
constexpr uint32_t kFlxSignatureLength = 70;
constexpr uint8_t kFlxSignatureByte = 0x1A;
constexpr uint32_t kFlxCountOffset = 84;      // u32 entry count
constexpr uint32_t kTableEntrySize = 8;
constexpr uint32_t kBlockHeaderSize = 6;      // 4 uninterpreted bytes, u16 frame count
constexpr uint32_t kFrameOffsetMask = 0x7FFFFFFF;  // bit 31 of a frame offset is not part of it

// One entry of the archive's entry table.
struct TFlxEntry {
    uint32_t Offset = 0;
    uint32_t Size = 0;

    bool IsEmpty() const { return Offset == 0 && Size == 0; }
};

// One entry of a block's frame table.
struct TFrameEntry {
    uint32_t Offset = 0;  // from the start of the block body, bit 31 cleared
    uint32_t Size = 0;    // length of the frame record
};

// A sprite block: its header as stored and its frame table.
struct TSBInfo {
    uint8_t BlockHeader[kBlockHeaderSize] = {};
    std::vector<TFrameEntry> Frames;
    bool FramesRead = false;  // false until the frame table has been read whole

    uint16_t FrameCount() const {
        return static_cast<uint16_t>(BlockHeader[4] | (BlockHeader[5] << 8));
    }
};

inline uint32_t ReadLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t ReadLE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline void WriteLE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}
inline void WriteLE16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }

}  // namespace tessaron

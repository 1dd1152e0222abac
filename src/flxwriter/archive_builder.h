// Builds FLX archives in memory: a 128-byte header, the entry table and the
// entry bodies (sprite blocks).  Besides well-formed archives it can build
// odd and hostile ones for tests: stored values that disagree with the
// bodies, entries pointing anywhere, bytes in the uninterpreted areas.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessaron::writer {

// One frame of a block: the record's bytes and, optionally, table values
// that differ from where and how long the record really is.
struct FrameRecord {
    std::vector<uint8_t> Bytes;
    uint32_t OffsetFlags = 0;              // OR-ed into the stored offset, e.g. bit 31
    std::optional<uint32_t> StoredOffset;  // replaces the real offset (from the block start)
    std::optional<uint32_t> StoredSize;    // replaces Bytes.size() in the frame table

    FrameRecord() = default;
    FrameRecord(std::vector<uint8_t> bytes) : Bytes(std::move(bytes)) {}  // NOLINT: implicit on purpose
};

// The parts of a block body other than its frames.
struct BlockOptions {
    std::array<uint8_t, 4> HeaderBytes{};       // the block header's uninterpreted bytes 0..3
    std::optional<uint16_t> StoredFrameCount;   // replaces the real number of frames
    std::optional<uint32_t> StoredEntrySize;    // replaces the body length in the entry table
};

// Where everything ended up in a built archive.
struct BuiltFrame {
    uint64_t Position = 0;  // absolute file position of the record
    uint32_t Size = 0;      // bytes actually written there
};
struct BuiltBlock {
    uint32_t Entry = 0;     // number of its entry in the entry table
    uint32_t Offset = 0;    // file position of the body
    std::vector<BuiltFrame> Frames;
};
struct BuiltArchive {
    std::vector<uint8_t> Bytes;
    std::vector<BuiltBlock> Blocks;  // the blocks added with AddBlock, in entry order
};

class ArchiveBuilder {
public:
    // An empty entry (offset 0, size 0).
    ArchiveBuilder& AddEmpty(uint32_t count = 1);
    // A sprite block whose frames are stored one after the other behind the
    // frame table.
    ArchiveBuilder& AddBlock(std::vector<FrameRecord> frames, const BlockOptions& options = {});
    // An entry written as given, with no body of its own (e.g. offset 0, or
    // beyond the end of the file).
    ArchiveBuilder& AddRawEntry(uint32_t offset, uint32_t size);

    // Stores `count` as the entry count instead of the number of entries added.
    ArchiveBuilder& SetStoredEntryCount(uint32_t count);
    // Overwrites header bytes from `offset` on after the header is made, e.g.
    // to fill the uninterpreted areas or to break the 0x1A signature.
    ArchiveBuilder& PatchHeader(uint32_t offset, std::span<const uint8_t> bytes);
    // Lays the bodies out last entry first (bodies may lie in any order).
    ArchiveBuilder& ReverseBodies(bool reverse = true);
    // Bytes appended after the last body.
    ArchiveBuilder& AppendTail(std::span<const uint8_t> bytes);

    uint32_t EntryCount() const { return uint32_t(entries_.size()); }
    BuiltArchive Build() const;
    std::vector<uint8_t> Bytes() const { return Build().Bytes; }

private:
    struct Entry {
        enum class Kind { Empty, Block, Raw } kind = Kind::Empty;
        std::vector<FrameRecord> frames;
        BlockOptions options;
        uint32_t rawOffset = 0, rawSize = 0;
    };
    std::vector<Entry> entries_;
    std::optional<uint32_t> storedCount_;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> headerPatches_;
    std::vector<uint8_t> tail_;
    bool reverse_ = false;
};

// A block body as AddBlock lays it out: 6-byte header, frame table, frames.
std::vector<uint8_t> EncodeBlockBody(const std::vector<FrameRecord>& frames,
                                     const BlockOptions& options = {});

// Little-endian stores into a byte vector, for patching built archives.
void PutLE32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
void PutLE16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);

// Writes `bytes` to a new file at `path`, replacing one of that name.  False
// when the file cannot be created or written whole.
bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace tessaron::writer

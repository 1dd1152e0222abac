#include "archive_builder.h"

#include <fstream>
#include <stdexcept>

#include "records.h"

namespace tessaron::writer {

void PutLE32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    if (offset + 4 > bytes.size()) throw std::out_of_range("PutLE32 past the end");
    WriteLE32(&bytes[offset], value);
}

void PutLE16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
    if (offset + 2 > bytes.size()) throw std::out_of_range("PutLE16 past the end");
    WriteLE16(&bytes[offset], value);
}

std::vector<uint8_t> EncodeBlockBody(const std::vector<FrameRecord>& frames,
                                     const BlockOptions& options) {
    const size_t count = frames.size();
    if (count > 0xFFFF) throw std::invalid_argument("a block holds at most 65535 frames");
    std::vector<uint8_t> body(kBlockHeaderSize + kTableEntrySize * count);
    std::copy(options.HeaderBytes.begin(), options.HeaderBytes.end(), body.begin());
    WriteLE16(&body[4], options.StoredFrameCount.value_or(uint16_t(count)));
    for (size_t i = 0; i < count; ++i) {
        const FrameRecord& frame = frames[i];
        const uint32_t offset = frame.StoredOffset.value_or(uint32_t(body.size())) | frame.OffsetFlags;
        const uint32_t size = frame.StoredSize.value_or(uint32_t(frame.Bytes.size()));
        uint8_t* entry = &body[kBlockHeaderSize + kTableEntrySize * i];
        WriteLE32(entry, offset);
        WriteLE32(entry + 4, size);
        body.insert(body.end(), frame.Bytes.begin(), frame.Bytes.end());
    }
    return body;
}

ArchiveBuilder& ArchiveBuilder::AddEmpty(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) entries_.push_back({});
    return *this;
}

ArchiveBuilder& ArchiveBuilder::AddBlock(std::vector<FrameRecord> frames, const BlockOptions& options) {
    Entry e;
    e.kind = Entry::Kind::Block;
    e.frames = std::move(frames);
    e.options = options;
    entries_.push_back(std::move(e));
    return *this;
}

ArchiveBuilder& ArchiveBuilder::AddRawEntry(uint32_t offset, uint32_t size) {
    Entry e;
    e.kind = Entry::Kind::Raw;
    e.rawOffset = offset;
    e.rawSize = size;
    entries_.push_back(std::move(e));
    return *this;
}

ArchiveBuilder& ArchiveBuilder::SetStoredEntryCount(uint32_t count) {
    storedCount_ = count;
    return *this;
}

ArchiveBuilder& ArchiveBuilder::PatchHeader(uint32_t offset, std::span<const uint8_t> bytes) {
    if (offset + bytes.size() > kFlxHeaderSize) throw std::out_of_range("header patch past byte 127");
    headerPatches_.emplace_back(offset, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return *this;
}

ArchiveBuilder& ArchiveBuilder::ReverseBodies(bool reverse) {
    reverse_ = reverse;
    return *this;
}

ArchiveBuilder& ArchiveBuilder::AppendTail(std::span<const uint8_t> bytes) {
    tail_.insert(tail_.end(), bytes.begin(), bytes.end());
    return *this;
}

BuiltArchive ArchiveBuilder::Build() const {
    BuiltArchive out;
    auto& bytes = out.Bytes;
    const uint32_t count = uint32_t(entries_.size());
    bytes.assign(kFlxHeaderSize + size_t(kTableEntrySize) * count, 0);
    std::fill_n(bytes.begin() + kFlxSignatureStart, kFlxSignatureLength, kFlxSignatureByte);
    WriteLE32(&bytes[kFlxCountOffset], storedCount_.value_or(count));
    for (const auto& [offset, patch] : headerPatches_)
        std::copy(patch.begin(), patch.end(), bytes.begin() + offset);

    std::vector<BuiltBlock> placed(count);
    auto putEntry = [&](uint32_t i, uint32_t offset, uint32_t size) {
        WriteLE32(&bytes[kFlxHeaderSize + kTableEntrySize * i], offset);
        WriteLE32(&bytes[kFlxHeaderSize + kTableEntrySize * i + 4], size);
    };
    for (uint32_t k = 0; k < count; ++k) {
        const uint32_t i = reverse_ ? count - 1 - k : k;
        const Entry& e = entries_[i];
        if (e.kind == Entry::Kind::Raw) putEntry(i, e.rawOffset, e.rawSize);
        if (e.kind != Entry::Kind::Block) continue;

        const auto body = EncodeBlockBody(e.frames, e.options);
        const uint32_t offset = uint32_t(bytes.size());
        putEntry(i, offset, e.options.StoredEntrySize.value_or(uint32_t(body.size())));
        BuiltBlock& block = placed[i];
        block.Entry = i;
        block.Offset = offset;
        uint64_t at = offset + kBlockHeaderSize + uint64_t(kTableEntrySize) * e.frames.size();
        for (const auto& frame : e.frames) {
            block.Frames.push_back({at, uint32_t(frame.Bytes.size())});
            at += frame.Bytes.size();
        }
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
    bytes.insert(bytes.end(), tail_.begin(), tail_.end());

    for (uint32_t i = 0; i < count; ++i)
        if (entries_[i].kind == Entry::Kind::Block) out.Blocks.push_back(std::move(placed[i]));
    return out;
}

bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    return !file.fail();
}

}  // namespace tessaron::writer

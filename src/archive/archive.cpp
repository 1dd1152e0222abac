#include "archive.h"

#include <algorithm>
#include <cstring>

#include "frame.h"
#include "naming.h"

namespace tessaron {

namespace {

// True when `count` table entries of `entrySize` bytes starting at
// `position` lie within a file of `length` bytes.  Checked before a table is
// reserved, so that a count read from a damaged file cannot make us reserve
// memory the file could never fill.
bool TableFits(uint64_t position, uint64_t count, uint64_t entrySize, int64_t length) {
    if (length < 0) return false;
    const uint64_t end = uint64_t(length);
    return position <= end && count * entrySize <= end - position;
}

// Frame tables of different blocks may overlap: nothing stops two entries
// from naming the same body.  Tables that do not overlap fit in the file;
// beyond what the file can hold, only this many entries in all are held, so
// that a small file cannot make us hold one large table thousands of times.
constexpr uint64_t kSharedFrameEntryAllowance = uint64_t(1) << 22;  // 32 MiB of tables

void ReadTable(const uint8_t* bytes, uint32_t count, std::vector<TFrameEntry>& out) {
    out.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        out[i].Offset = ReadLE32(bytes + 8 * i) & kFrameOffsetMask;
        out[i].Size = ReadLE32(bytes + 8 * i + 4);
    }
}

}  // namespace

TArchive::~TArchive() {
    // The archive's handle is not owned by FFile; whoever holds the index
    // closes it.
    if (FFile.IsOpen()) FFile.Close();
}

bool TArchive::OpenArchive(const std::string& path, ArchiveViews& views) {
    CloseArchive(views);

    FFile.Open(path, OpenMode::ArchiveRead);
    const int64_t length = FFile.Length();
    if (!(length > int64_t(kFlxHeaderSize))) return false;
    if (FFile.Read(FHeader, kFlxHeaderSize) != int64_t(kFlxHeaderSize)) return false;
    for (uint32_t i = 0; i < kFlxSignatureLength; ++i) {
        if (FHeader[kFlxSignatureStart + i] != kFlxSignatureByte) return false;
    }

    views.BeginTreeUpdate();
    const TreeItemId root = views.AddRootItem(path);
    views.EndTreeUpdate();

    const uint32_t entryCount = ReadLE32(FHeader + kFlxCountOffset);
    if (!TableFits(kFlxHeaderSize, entryCount, kTableEntrySize, length)) return false;
    std::vector<uint8_t> table(size_t(entryCount) * kTableEntrySize);
    FBlockIndex.SetLength(entryCount);
    if (FFile.Read(table.data(), table.size()) != int64_t(table.size())) return false;

    FBlockCount = 0;
    for (uint32_t i = 0; i < entryCount; ++i) {
        const uint8_t* entry = table.data() + size_t(i) * kTableEntrySize;
        if (ReadLE32(entry) != 0 || ReadLE32(entry + 4) != 0) FBlockIndex[FBlockCount++] = i;
    }
    FBlockIndex.SetLength(FBlockCount);

    FBlocks.resize(FBlockCount);
    for (uint32_t b = 0; b < FBlockCount; ++b) {
        const uint8_t* entry = table.data() + size_t(FBlockIndex[b]) * kTableEntrySize;
        FBlocks[b] = TFlxEntry{ReadLE32(entry), ReadLE32(entry + 4)};
    }
    table = {};

    FBlockInfo.assign(FBlockCount, TSBInfo{});
    std::vector<uint8_t> frameTable;
    const uint64_t frameEntryLimit =
        std::max<uint64_t>(uint64_t(length) / kTableEntrySize, kSharedFrameEntryAllowance);
    uint64_t frameEntriesHeld = 0;
    for (uint32_t b = 0; b < FBlockCount; ++b) {
        TSBInfo& info = FBlockInfo[b];
        const uint64_t offset = FBlocks[b].Offset;
        if (!FFile.Seek(offset) ||
            FFile.Read(info.BlockHeader, kBlockHeaderSize) != int64_t(kBlockHeaderSize)) {
            return false;
        }
        const uint32_t frameCount = info.FrameCount();
        const uint64_t tableStart = offset + kBlockHeaderSize;
        if (!TableFits(tableStart, frameCount, kTableEntrySize, length)) return false;
        frameEntriesHeld += frameCount;
        if (frameEntriesHeld > frameEntryLimit) return false;
        frameTable.resize(size_t(frameCount) * kTableEntrySize);
        if (!FFile.Seek(tableStart) ||
            FFile.Read(frameTable.data(), frameTable.size()) != int64_t(frameTable.size())) {
            return false;
        }
        if (FKeepFrameTables) ReadTable(frameTable.data(), frameCount, info.Frames);
        info.FramesRead = true;

        views.AddChildItem(root, BlockItemText(FBlockIndex[b]));
        views.ProcessPendingMessages();
    }

    views.SetStatusText(0, std::to_string(FBlockCount) + " object(s)");
    return true;
}

void TArchive::CloseArchive(ArchiveViews& views) {
    FLoaded = false;
    views.EnableArchiveCommands(false);
    if (FFile.Handle >= 0) FFile.Close();
    views.ClearImage();
    views.BeginListUpdate();
    views.ClearFrameList();
    views.EndListUpdate();
    views.BeginTreeUpdate();
    views.ClearTree();
    views.EndTreeUpdate();
    views.SetStatusText(0, "");
    views.SetStatusText(1, "");
    FBlocks = {};
    FBlockInfo = {};
}

FrameLocation TArchive::Locate(uint32_t block, uint32_t frame) const {
    const TFrameEntry& entry = Frame(block, frame);
    return FrameLocation{uint64_t(FBlocks[block].Offset) + entry.Offset, entry.Size};
}

bool TArchive::ReadFrameTable(uint32_t block, std::vector<TFrameEntry>& frames) const {
    const uint32_t count = FBlockInfo[block].FrameCount();
    const uint64_t tableStart = uint64_t(FBlocks[block].Offset) + kBlockHeaderSize;
    if (!TableFits(tableStart, count, kTableEntrySize, FFile.Length())) return false;
    std::vector<uint8_t> bytes(size_t(count) * kTableEntrySize);
    if (FFile.ReadAt(bytes.data(), bytes.size(), tableStart) != int64_t(bytes.size())) return false;
    ReadTable(bytes.data(), count, frames);
    return true;
}

bool TArchive::LoadFrame(uint32_t block, uint32_t frame, Spr& sprite) {
    const FrameLocation where = Locate(block, frame);
    if (!FFile.Seek(where.Position)) return false;
    return sprite.Load(FFile, where.Size);
}

}  // namespace tessaron

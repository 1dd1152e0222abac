// Archive bytes -> index -> every frame loaded, decoded, imaged and encoded.
#include <algorithm>
#include <memory>

#include "archive.h"
#include "check.h"
#include "frame.h"
#include "image.h"
#include "memory_file.h"
#include "targets.h"

namespace tessaron::fuzz {

namespace {

// Views that do nothing but count the steps, and check that updates are
// paired and that items go under the root.
class CountingViews : public ArchiveViews {
public:
    uint64_t Steps = 0;
    uint32_t Children = 0;
    int TreeUpdates = 0;  // open begin-update calls
    int ListUpdates = 0;

    void BeginTreeUpdate() override { ++Steps; ++TreeUpdates; }
    void EndTreeUpdate() override { ++Steps; FUZZ_EXPECT(--TreeUpdates >= 0); }
    TreeItemId AddRootItem(const std::string&) override { ++Steps; return kRoot; }
    TreeItemId AddChildItem(TreeItemId parent, const std::string&) override {
        ++Steps;
        FUZZ_EXPECT(parent == kRoot);
        ++Children;
        return kRoot + Children;
    }
    void ClearTree() override { ++Steps; FUZZ_EXPECT(TreeUpdates > 0); Children = 0; }
    void BeginListUpdate() override { ++Steps; ++ListUpdates; }
    void EndListUpdate() override { ++Steps; FUZZ_EXPECT(--ListUpdates >= 0); }
    void ClearFrameList() override { ++Steps; FUZZ_EXPECT(ListUpdates > 0); }
    void ClearImage() override { ++Steps; }
    void SetStatusText(int panel, const std::string&) override {
        ++Steps;
        FUZZ_EXPECT(panel == 0 || panel == 1);
    }
    void ProcessPendingMessages() override { ++Steps; }
    void EnableArchiveCommands(bool) override { ++Steps; }

private:
    static constexpr TreeItemId kRoot = 1;
};

void ExpectIndexComplete(const TArchive& archive, const CountingViews& views) {
    FUZZ_EXPECT(archive.FBlocks.size() == archive.FBlockCount);
    FUZZ_EXPECT(archive.FBlockInfo.size() == archive.FBlockCount);
    FUZZ_EXPECT(archive.FBlockIndex.Length() == archive.FBlockCount);
    FUZZ_EXPECT(views.Children == archive.FBlockCount);
    for (uint32_t b = 0; b < archive.FBlockCount; ++b) {
        const TSBInfo& info = archive.FBlockInfo[b];
        FUZZ_EXPECT(info.FramesRead);
        FUZZ_EXPECT(info.Frames.size() == info.FrameCount());
        FUZZ_EXPECT(!archive.FBlocks[b].IsEmpty());
        if (b > 0) FUZZ_EXPECT(archive.FBlockIndex[b] > archive.FBlockIndex[b - 1]);
    }
}

// The road of one frame, as the viewer and the exports walk it.
// `reused` is the batch exports' image, refilled frame after frame, and
// `direct` one that frames are decoded into straight from their spans.
void WalkFrame(TArchive& archive, uint32_t block, uint32_t frame, FrameImage& reused,
               FrameImage& direct, uint64_t& pixelBudget) {
    const FrameLocation where = archive.Locate(block, frame);
    FUZZ_EXPECT((archive.Frame(block, frame).Offset & ~kFrameOffsetMask) == 0);

    Spr sprite;
    const bool loaded = archive.LoadFrame(block, frame, sprite);
    Spr atPosition;
    const bool loadedAt = atPosition.LoadAt(archive.FFile, where.Position, where.Size);
    FUZZ_EXPECT(loaded == loadedAt);
    FUZZ_EXPECT(sprite.HasRecord() == loaded);
    if (!loaded) {
        FUZZ_EXPECT(sprite.Raw.empty() && !sprite.Decode());
        return;
    }
    FUZZ_EXPECT(sprite.Raw == atPosition.Raw);
    FUZZ_EXPECT(sprite.RawSize == where.Size && sprite.Raw.size() == where.Size);
    FUZZ_EXPECT(archive.FFile.Position() == int64_t(where.Position + where.Size));

    // The decoder bounds a frame itself; the budget only keeps one input
    // from decoding the same large frame many times over.
    const uint64_t pixels = uint64_t(sprite.Width()) * sprite.Height();
    if (pixels > pixelBudget) return;
    if (!sprite.Decode()) {
        FUZZ_EXPECT(!sprite.IsDecoded());
        FUZZ_EXPECT(!sprite.DecodeInto(direct));
        return;
    }
    pixelBudget -= pixels;
    FUZZ_EXPECT(sprite.Pixels.size() == pixels);

    const auto image = BuildFrameImage(sprite);
    const std::vector<uint8_t> bmp = image->EncodeBmp();
    FUZZ_EXPECT(bmp.size() == (pixels == 0 ? 0 : kBmpPixelOffset + size_t(image->Stride()) * sprite.Height()));
    FillFrameImage(reused, sprite);
    FUZZ_EXPECT(reused.Bits() == image->Bits());
    FUZZ_EXPECT(reused.EncodeBmp() == bmp);
    FUZZ_EXPECT(sprite.DecodeInto(direct));
    FUZZ_EXPECT(direct.Bits() == image->Bits());
}

// A tool's index, which checks every frame table but does not hold it, opens
// the same archives, and reading a table again gives what the viewer's index
// holds.
void ExpectSameIndexWithoutTables(const std::string& path, const TArchive& held, bool indexed) {
    NullViews none;
    TArchive lean;
    lean.FKeepFrameTables = false;
    FUZZ_EXPECT(lean.OpenArchive(path, none) == indexed);
    if (!indexed) return;
    FUZZ_EXPECT(lean.FBlockCount == held.FBlockCount);
    std::vector<TFrameEntry> table;
    for (uint32_t b = 0; b < lean.FBlockCount; ++b) {
        FUZZ_EXPECT(lean.FBlockInfo[b].Frames.empty());
        FUZZ_EXPECT(lean.ReadFrameTable(b, table));
        const std::vector<TFrameEntry>& frames = held.FBlockInfo[b].Frames;
        FUZZ_EXPECT(table.size() == frames.size());
        for (size_t f = 0; f < table.size(); ++f) {
            FUZZ_EXPECT(table[f].Offset == frames[f].Offset && table[f].Size == frames[f].Size);
        }
    }
}

}  // namespace

int FuzzArchive(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    if (!file.IsReady()) return 0;

    CountingViews views;
    TArchive archive;
    const bool indexed = archive.OpenArchive(file.Path(), views);
    ExpectSameIndexWithoutTables(file.Path(), archive, indexed);
    if (indexed) {
        FUZZ_EXPECT(views.TreeUpdates == 0 && views.ListUpdates == 0);
        ExpectIndexComplete(archive, views);
        archive.FLoaded = true;

        const auto reused = NewFrameImage();
        const auto direct = NewFrameImage();
        uint32_t frameBudget = kMaxFramesPerInput;
        uint64_t pixelBudget = kMaxPixelsPerInput;
        for (uint32_t b = 0; b < archive.FBlockCount && frameBudget > 0; ++b) {
            const uint32_t frames = std::min(archive.FrameCount(b), frameBudget);
            for (uint32_t f = 0; f < frames; ++f) WalkFrame(archive, b, f, *reused, *direct, pixelBudget);
            frameBudget -= frames;
        }
    }
    FUZZ_EXPECT(views.TreeUpdates == 0 && views.ListUpdates == 0);

    archive.CloseArchive(views);
    FUZZ_EXPECT(!archive.FLoaded && !archive.FFile.IsOpen());
    FUZZ_EXPECT(archive.FBlocks.empty() && archive.FBlockInfo.empty());
    FUZZ_EXPECT(views.Children == 0);
    return 0;
}

}  // namespace tessaron::fuzz

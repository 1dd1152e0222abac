// Archives from the builder, read back by the core's indexer.
#include <gtest/gtest.h>

#include "archive.h"
#include "archive_builder.h"
#include "fixtures.h"
#include "frame.h"
#include "frame_encoder.h"

namespace tessaron::writer {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Record(uint8_t colour, uint32_t width = 4, uint32_t height = 3) {
    return EncodeFrame(Picture(width, height, colour), Coding::Plain);
}

struct Opened {
    testing::TempDir dir;
    TArchive archive;
    bool ok = false;
};

void Open(Opened& o, const Bytes& bytes) {
    NullViews views;
    o.ok = o.archive.OpenArchive(testing::WriteFile(o.dir, "a.flx", bytes), views);
}

TEST(ArchiveBuilder, HeaderTableAndBodiesAsTheIndexerReadsThem) {
    ArchiveBuilder builder;
    builder.AddEmpty(2).AddBlock({Record(1), Record(2, 40, 10)}).AddEmpty().AddBlock({});
    const BuiltArchive built = builder.Build();
    const Bytes& b = built.Bytes;
    ASSERT_GT(b.size(), 128u);
    for (int i = 12; i < 82; ++i) ASSERT_EQ(b[i], 0x1A) << i;
    EXPECT_EQ(ReadLE32(&b[84]), 5u);
    EXPECT_EQ(ReadLE32(&b[128]), 0u);  // entry 0 empty
    EXPECT_EQ(ReadLE32(&b[132]), 0u);

    Opened o;
    Open(o, b);
    ASSERT_TRUE(o.ok);
    ASSERT_EQ(o.archive.FBlockCount, 2u);
    EXPECT_EQ(o.archive.FBlockIndex[0], 2u);
    EXPECT_EQ(o.archive.FBlockIndex[1], 4u);
    EXPECT_EQ(o.archive.FrameCount(0), 2u);
    EXPECT_EQ(o.archive.FrameCount(1), 0u);

    ASSERT_EQ(built.Blocks.size(), 2u);
    EXPECT_EQ(built.Blocks[0].Entry, 2u);
    EXPECT_EQ(built.Blocks[0].Offset, o.archive.FBlocks[0].Offset);
    for (uint32_t f = 0; f < 2; ++f) {
        const FrameLocation at = o.archive.Locate(0, f);
        EXPECT_EQ(at.Position, built.Blocks[0].Frames[f].Position);
        EXPECT_EQ(at.Size, built.Blocks[0].Frames[f].Size);
        Spr sprite;
        ASSERT_TRUE(o.archive.LoadFrame(0, f, sprite));
        ASSERT_TRUE(sprite.Decode());
        EXPECT_EQ(sprite.Pixels[0], f + 1);
    }
}

TEST(ArchiveBuilder, StoredValuesCanDisagreeWithTheBodies) {
    FrameRecord flagged(Record(7));
    flagged.OffsetFlags = 0x80000000u;
    FrameRecord oversized(Record(8));
    oversized.StoredSize = 99999;
    FrameRecord elsewhere(Record(9));
    elsewhere.StoredOffset = 0;  // points at the block header
    BlockOptions options;
    options.HeaderBytes = {0xDE, 0xAD, 0xBE, 0xEF};
    options.StoredEntrySize = 0;

    ArchiveBuilder builder;
    builder.AddBlock({flagged, oversized, elsewhere}, options).AddRawEntry(0, 100);
    const BuiltArchive built = builder.Build();
    const uint32_t body = built.Blocks[0].Offset;
    const Bytes& b = built.Bytes;
    EXPECT_EQ(ReadLE32(&b[128 + 4]), 0u);                   // stored entry size
    EXPECT_EQ(ReadLE32(&b[body]), 0xEFBEADDEu);             // block header bytes 0..3
    EXPECT_EQ(ReadLE32(&b[body + 6]), (6 + 24) | 0x80000000u);
    EXPECT_EQ(ReadLE32(&b[body + 6 + 12]), 99999u);
    EXPECT_EQ(ReadLE32(&b[body + 6 + 16]), 0u);
    EXPECT_EQ(ReadLE32(&b[136]), 0u);  // the raw entry
    EXPECT_EQ(ReadLE32(&b[140]), 100u);

    Opened o;
    Open(o, b);
    // The raw entry is a block read from the start of the file, whose
    // "frame count" is header bytes 4 and 5 (zero here).
    ASSERT_TRUE(o.ok);
    ASSERT_EQ(o.archive.FBlockCount, 2u);
    EXPECT_EQ(o.archive.Locate(0, 0).Position, built.Blocks[0].Frames[0].Position);
    EXPECT_EQ(o.archive.FrameCount(1), 0u);
}

TEST(ArchiveBuilder, HeaderPatchesCountOverrideReversedBodiesAndTail) {
    ArchiveBuilder builder;
    const uint8_t junk[] = {1, 2, 3};
    const uint8_t tail[] = {0xAA, 0xBB};
    builder.AddBlock({Record(1)}).AddBlock({Record(2)}).PatchHeader(0, junk).PatchHeader(88, junk)
        .ReverseBodies().AppendTail(tail);
    BuiltArchive built = builder.Build();
    EXPECT_GT(built.Blocks[0].Offset, built.Blocks[1].Offset);
    EXPECT_EQ(built.Bytes[0], 1);
    EXPECT_EQ(built.Bytes[90], 3);
    EXPECT_EQ(built.Bytes.back(), 0xBB);

    Opened o;
    Open(o, built.Bytes);
    ASSERT_TRUE(o.ok);
    for (uint32_t b = 0; b < 2; ++b) {
        Spr sprite;
        ASSERT_TRUE(o.archive.LoadFrame(b, 0, sprite));
        ASSERT_TRUE(sprite.Decode());
        EXPECT_EQ(sprite.Pixels[0], b + 1);
    }

    // A stored count larger than the table: the table read falls short.
    builder.SetStoredEntryCount(1000000);
    Opened huge;
    Open(huge, builder.Bytes());
    EXPECT_FALSE(huge.ok);

    // A broken signature.
    const uint8_t notSub[] = {0x00};
    ArchiveBuilder broken;
    broken.AddBlock({Record(1)}).PatchHeader(81, notSub);
    Opened bad;
    Open(bad, broken.Bytes());
    EXPECT_FALSE(bad.ok);
}

TEST(ArchiveBuilder, PatchesOutsideTheirAreaAreRefused) {
    ArchiveBuilder builder;
    const uint8_t two[] = {1, 2};
    EXPECT_THROW(builder.PatchHeader(127, two), std::out_of_range);
    Bytes b(10);
    EXPECT_THROW(PutLE32(b, 7, 1), std::out_of_range);
    EXPECT_NO_THROW(PutLE32(b, 6, 1));
}

TEST(ArchiveBuilder, WritesFiles) {
    testing::TempDir dir;
    const Bytes bytes = ArchiveBuilder().AddEmpty().Bytes();
    EXPECT_EQ(bytes.size(), 136u);
    ASSERT_TRUE(WriteFileBytes(dir.File("x.flx"), bytes));
    EXPECT_EQ(testing::ReadFileBytes(dir.File("x.flx")), bytes);
    EXPECT_FALSE(WriteFileBytes(dir.File("missing/x.flx"), bytes));
}

}  // namespace
}  // namespace tessaron::writer

// Indexing without holding the frame tables, and reading a table again.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive.h"
#include "bytes.h"

namespace tessaron {
namespace {

using testing::Bytes;

// Entry 0: a block of two frames (the second's stored offset has bit 31
// set); entry 1: empty; entry 2: a block of one frame.
Bytes ThreeEntryArchive() {
    Bytes a = testing::FlxHeader(3);
    const uint32_t table = 128, first = table + 24, second = first + 6 + 16 + 8;
    for (uint32_t v : {first, 6u + 16 + 8, 0u, 0u, second, 6u + 8 + 4}) testing::PutU32(a, v);
    // Block at `first`: header, frame table, 8 bytes of frames.
    testing::Append(a, {1, 2, 3, 4});
    testing::PutU16(a, 2);
    testing::PutU32(a, 22);
    testing::PutU32(a, 5);
    testing::PutU32(a, 27u | 0x80000000u);
    testing::PutU32(a, 3);
    testing::Append(a, {9, 9, 9, 9, 9, 8, 8, 8});
    // Block at `second`.
    testing::Append(a, {0, 0, 0, 0});
    testing::PutU16(a, 1);
    testing::PutU32(a, 14);
    testing::PutU32(a, 4);
    testing::Append(a, {7, 7, 7, 7});
    return a;
}

bool SameTable(const std::vector<TFrameEntry>& a, const std::vector<TFrameEntry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].Offset != b[i].Offset || a[i].Size != b[i].Size) return false;
    return true;
}

TEST(ArchiveFrameTables, NotHeldButCheckedAndReadAgain) {
    testing::ScratchDir dir;
    const std::string path = dir.File("a.flx");
    testing::WriteBytes(path, ThreeEntryArchive());
    NullViews views;
    TArchive held, streamed;
    streamed.FKeepFrameTables = false;
    ASSERT_TRUE(held.OpenArchive(path, views));
    ASSERT_TRUE(streamed.OpenArchive(path, views));

    ASSERT_EQ(streamed.FBlockCount, 2u);
    EXPECT_EQ(streamed.FBlockIndex[1], 2u);
    for (uint32_t b = 0; b < 2; ++b) {
        EXPECT_TRUE(streamed.FBlockInfo[b].FramesRead);
        EXPECT_TRUE(streamed.FBlockInfo[b].Frames.empty());
        EXPECT_EQ(streamed.FBlockInfo[b].FrameCount(), held.FBlockInfo[b].FrameCount());
        std::vector<TFrameEntry> again, heldAgain;
        ASSERT_TRUE(streamed.ReadFrameTable(b, again));
        ASSERT_TRUE(held.ReadFrameTable(b, heldAgain));
        EXPECT_TRUE(SameTable(again, held.FBlockInfo[b].Frames)) << "block " << b;
        EXPECT_TRUE(SameTable(heldAgain, held.FBlockInfo[b].Frames)) << "block " << b;
    }
    std::vector<TFrameEntry> table;
    ASSERT_TRUE(streamed.ReadFrameTable(0, table));
    EXPECT_EQ(table[1].Offset, 27u);  // bit 31 is not part of the offset
    // The shared position is where indexing left it.
    EXPECT_EQ(streamed.FFile.Position(), held.FFile.Position());
}

TEST(ArchiveFrameTables, ATableCutShortLaterCannotBeRead) {
    testing::ScratchDir dir;
    const std::string path = dir.File("a.flx");
    const Bytes bytes = ThreeEntryArchive();
    testing::WriteBytes(path, bytes);
    NullViews views;
    TArchive archive;
    archive.FKeepFrameTables = false;
    ASSERT_TRUE(archive.OpenArchive(path, views));
    // The file loses the second block's table after indexing.
    std::filesystem::resize_file(path, bytes.size() - 10);
    std::vector<TFrameEntry> table;
    EXPECT_TRUE(archive.ReadFrameTable(0, table));
    EXPECT_FALSE(archive.ReadFrameTable(1, table));
}

}  // namespace
}  // namespace tessaron

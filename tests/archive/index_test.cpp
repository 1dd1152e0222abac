#include "archive.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "bytes.h"
#include "frame.h"

namespace tessaron {
namespace {

using testing::Bytes;
using testing::FlxHeader;
using testing::PutU16;
using testing::PutU32;

// Records every view step as a short text.
class RecordingViews : public ArchiveViews {
public:
    std::vector<std::string> steps;
    std::vector<std::string> tree;  // root first, then children
    std::string status[2];

    void BeginTreeUpdate() override { steps.push_back("begin tree"); }
    void EndTreeUpdate() override { steps.push_back("end tree"); }
    TreeItemId AddRootItem(const std::string& text) override {
        steps.push_back("root " + text);
        tree.push_back(text);
        return 1;
    }
    TreeItemId AddChildItem(TreeItemId parent, const std::string& text) override {
        EXPECT_EQ(parent, 1);
        steps.push_back("child " + text);
        tree.push_back(text);
        return TreeItemId(tree.size());
    }
    void ClearTree() override { steps.push_back("clear tree"); tree.clear(); }
    void BeginListUpdate() override { steps.push_back("begin list"); }
    void EndListUpdate() override { steps.push_back("end list"); }
    void ClearFrameList() override { steps.push_back("clear list"); }
    void ClearImage() override { steps.push_back("clear image"); }
    void SetStatusText(int panel, const std::string& text) override {
        steps.push_back("status" + std::to_string(panel) + " " + text);
        status[panel] = text;
    }
    void ProcessPendingMessages() override { steps.push_back("process"); }
    void EnableArchiveCommands(bool enabled) override {
        steps.push_back(enabled ? "enable" : "disable");
    }
};

const std::vector<std::string> kCloseSteps = {
    "disable", "clear image", "begin list", "clear list", "end list",
    "begin tree", "clear tree", "end tree", "status0 ", "status1 "};

// An archive laid out by hand: header, entry table, then the given bodies at
// the offsets the entries name.
struct Layout {
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    Bytes tail;  // bytes after the entry table
};

Bytes Build(const Layout& l) {
    Bytes b = FlxHeader(uint32_t(l.entries.size()));
    for (auto [offset, size] : l.entries) {
        PutU32(b, offset);
        PutU32(b, size);
    }
    b.insert(b.end(), l.tail.begin(), l.tail.end());
    return b;
}

// A block body: frame count and frame table (offset, size) pairs.
Bytes Block(const std::vector<std::pair<uint32_t, uint32_t>>& frames) {
    Bytes b = {0xDE, 0xAD, 0xBE, 0xEF};
    PutU16(b, uint16_t(frames.size()));
    for (auto [offset, size] : frames) {
        PutU32(b, offset);
        PutU32(b, size);
    }
    return b;
}

class IndexTest : public ::testing::Test {
protected:
    bool Open(const Bytes& bytes) {
        testing::WriteBytes(path, bytes);
        return archive.OpenArchive(path, views);
    }
    testing::ScratchDir dir;
    std::string path = dir.File("shapes.flx");
    RecordingViews views;
    TArchive archive;
};

TEST_F(IndexTest, HeaderChecks) {
    struct Case { const char* what; Bytes file; bool opens; };
    auto withByte = [](size_t at, uint8_t value) {
        Bytes b = FlxHeader(0);
        b.push_back(0);
        b[at] = value;
        return b;
    };
    const Case cases[] = {
        {"exactly 128 bytes, correct header", FlxHeader(0), false},
        {"129 bytes, no entries", withByte(128, 0), true},
        {"empty file", Bytes{}, false},
        {"byte 12 wrong", withByte(12, 0x1B), false},
        {"byte 81 wrong", withByte(81, 0x00), false},
        {"byte 11 is free", withByte(11, 0xFF), true},
        {"byte 82 is free", withByte(82, 0xFF), true},
        {"byte 83 is free", withByte(83, 0xFF), true},
        {"byte 88 is free", withByte(88, 0xFF), true},
        {"byte 127 is free", withByte(127, 0xFF), true},
    };
    for (const Case& c : cases) {
        views = RecordingViews{};
        EXPECT_EQ(Open(c.file), c.opens) << c.what;
        if (c.opens) {
            EXPECT_EQ(views.tree, std::vector<std::string>{path}) << c.what;
            EXPECT_EQ(views.status[0], "0 object(s)") << c.what;
        } else {
            EXPECT_TRUE(views.tree.empty()) << c.what;
            EXPECT_EQ(views.status[0], "") << c.what;
            EXPECT_TRUE(archive.FFile.IsOpen()) << c.what;  // left open until the next open
        }
    }
}

TEST_F(IndexTest, MissingFileLeavesNothingOpen) {
    EXPECT_FALSE(archive.OpenArchive(dir.File("absent.flx"), views));
    EXPECT_FALSE(archive.FFile.IsOpen());
    EXPECT_TRUE(views.tree.empty());
}

TEST_F(IndexTest, ViewStepsOfASuccessfulOpen) {
    Layout l;
    l.entries = {{0, 0}, {0, 0}, {200, 100}, {0, 0}, {300, 6}};
    l.tail = Bytes(200 - 128 - 40, 0);
    Bytes block = Block({{0x80000010, 60}, {20, 51}});
    l.tail.insert(l.tail.end(), block.begin(), block.end());
    l.tail.resize(300 - 168, 0);
    Bytes empty = Block({});
    l.tail.insert(l.tail.end(), empty.begin(), empty.end());
    ASSERT_TRUE(Open(Build(l)));

    std::vector<std::string> expected = kCloseSteps;
    for (const char* s : {"begin tree", "root ", "end tree", "child 2", "process", "child 4",
                          "process", "status0 2 object(s)"}) {
        expected.push_back(s);
    }
    expected[kCloseSteps.size() + 1] += path;
    EXPECT_EQ(views.steps, expected);

    EXPECT_EQ(archive.FBlockCount, 2u);
    EXPECT_EQ(archive.FBlockIndex[0], 2u);
    EXPECT_EQ(archive.FBlockIndex[1], 4u);
    EXPECT_EQ(archive.FBlocks[0].Offset, 200u);
    EXPECT_EQ(archive.FBlockInfo[0].FrameCount(), 2);
    EXPECT_EQ(archive.FBlockInfo[0].BlockHeader[0], 0xDE);
    EXPECT_EQ(archive.FBlockInfo[0].Frames[0].Offset, 0x10u);  // bit 31 cleared
    EXPECT_EQ(archive.FBlockInfo[0].Frames[1].Size, 51u);
    EXPECT_EQ(archive.Locate(0, 0).Position, 216u);
    EXPECT_TRUE(archive.FBlockInfo[1].Frames.empty());
    EXPECT_TRUE(archive.FBlockInfo[1].FramesRead);
}

TEST_F(IndexTest, OddButValidEntries) {
    // A block at offset 0 reads its header from the start of the file, where
    // bytes 4 and 5 hold the frame count; a block of size 0 is still a block.
    Bytes file = FlxHeader(2);
    file[4] = 1;  // frame count 1 for the block at offset 0
    file[5] = 0;
    PutU32(file, 0);
    PutU32(file, 100);
    PutU32(file, 144);
    PutU32(file, 0);
    Bytes block = Block({});
    file.insert(file.end(), block.begin(), block.end());
    ASSERT_TRUE(Open(file));
    EXPECT_EQ(views.tree, (std::vector<std::string>{path, "0", "1"}));
    EXPECT_EQ(archive.FBlockInfo[0].FrameCount(), 1);
    // The frame table of the block at offset 0 is header bytes 6 to 13.
    EXPECT_EQ(archive.FBlockInfo[0].Frames[0].Offset, 0u);
    EXPECT_EQ(archive.FBlockInfo[0].Frames[0].Size, 0x1A1A0000u);
}

TEST_F(IndexTest, EntryNumbersAreHexWithoutLeadingZeros) {
    Layout l;
    l.entries.assign(4097, {0, 0});
    const uint32_t body = 128 + 8 * 4097;
    for (uint32_t e : {10u, 255u, 4096u}) l.entries[e] = {body, 6};
    l.tail = Block({});
    ASSERT_TRUE(Open(Build(l)));
    EXPECT_EQ(views.tree, (std::vector<std::string>{path, "A", "FF", "1000"}));
    EXPECT_EQ(views.status[0], "3 object(s)");
}

TEST_F(IndexTest, FailuresLeaveWhatWasRead) {
    struct Case { const char* what; Bytes file; std::vector<std::string> children; };
    auto blocks = [](int good, const Bytes& last) {
        Layout l;
        const uint32_t body = 128 + 8 * uint32_t(good + 1);
        for (int i = 0; i < good; ++i) l.entries.push_back({body, 6});
        l.entries.push_back({body + 6, 100});
        l.tail = Block({});
        l.tail.insert(l.tail.end(), last.begin(), last.end());
        return Build(l);
    };
    Bytes fourTable = Block({{0, 60}, {0, 60}});
    fourTable.resize(fourTable.size() - 3);
    const Case cases[] = {
        {"fourth block's frame table cut short", blocks(3, fourTable), {"0", "1", "2"}},
        {"block header cut short", blocks(1, Bytes{1, 2, 3}), {"0"}},
        {"65535 frames claimed, table cut short", blocks(2, Bytes{0, 0, 0, 0, 0xFF, 0xFF, 1, 2}), {"0", "1"}},
        {"block beyond the end", [] { Layout l; l.entries = {{0x7FFFFFF0, 6}}; l.tail = Bytes(10, 0);
                                      return Build(l); }(), {}},
        {"entry table cut short", [] { Bytes b = FlxHeader(3); b.resize(128 + 20); return b; }(), {}},
        {"4 billion entries in a small file", [] { Bytes b = FlxHeader(0xFFFFFFFF); b.resize(200); return b; }(), {}},
        {"100 million entries in a small file", [] { Bytes b = FlxHeader(100000000); b.resize(200); return b; }(), {}},
    };
    for (const Case& c : cases) {
        views = RecordingViews{};
        EXPECT_FALSE(Open(c.file)) << c.what;
        std::vector<std::string> tree = {path};
        tree.insert(tree.end(), c.children.begin(), c.children.end());
        EXPECT_EQ(views.tree, tree) << c.what;
        EXPECT_EQ(views.status[0], "") << c.what;
        EXPECT_TRUE(archive.FFile.IsOpen()) << c.what;
    }
}

// Opens with the address space limited to 1 GiB; exits 0 when the open fails.
void OpenWithAddressSpaceLimit(const std::string& path) {
    rlimit limit{1ull << 30, 1ull << 30};
    setrlimit(RLIMIT_AS, &limit);
    NullViews none;
    TArchive a;
    std::_Exit(a.OpenArchive(path, none) ? 1 : 0);
}

TEST_F(IndexTest, HugeCountsFailWithoutReservingMemory) {
    // With the address space limited, reserving a table for the claimed count
    // would throw; the count is checked against the file first.
    Bytes b = FlxHeader(0xFFFFFFFF);
    b.resize(200);
    testing::WriteBytes(path, b);
    EXPECT_EXIT(OpenWithAddressSpaceLimit(path), ::testing::ExitedWithCode(0), "");
}

TEST_F(IndexTest, ASecondOpenStartsByClosing) {
    Layout l;
    l.entries = {{136, 6}};
    l.tail = Block({});
    ASSERT_TRUE(Open(Build(l)));
    views.steps.clear();
    EXPECT_FALSE(archive.OpenArchive(dir.File("absent.flx"), views));
    EXPECT_EQ(views.steps, kCloseSteps);
    EXPECT_TRUE(archive.FBlocks.empty());
    EXPECT_TRUE(archive.FBlockInfo.empty());
}

TEST_F(IndexTest, LoadFrameFollowsTheTables) {
    const Bytes record = testing::FrameRecord(0, 2, 1, {4}, {0x00, 0x02, 0x31, 0x32});
    Layout l;
    l.entries = {{0, 0}, {144, 0}};
    l.tail = Block({{0x80000000 | 20, uint32_t(record.size())}});
    l.tail.resize(20, 0);
    l.tail.insert(l.tail.end(), record.begin(), record.end());
    ASSERT_TRUE(Open(Build(l)));
    Spr s;
    ASSERT_TRUE(archive.LoadFrame(0, 0, s));
    EXPECT_EQ(s.Raw, record);
    ASSERT_TRUE(s.Decode());
    EXPECT_EQ(s.Pixels, (Bytes{0x31, 0x32}));
    EXPECT_TRUE(archive.FFile.IsOpen());
}

}  // namespace
}  // namespace tessaron

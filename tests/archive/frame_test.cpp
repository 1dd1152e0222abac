#include "frame.h"

#include <gtest/gtest.h>

#include "bytes.h"
#include "errors.h"

namespace tessaron {
namespace {

using testing::Bytes;
using testing::FrameRecord;
using testing::StoredLineOffsets;

constexpr uint8_t B = BackgroundIndex;

// Decodes a one-row frame and returns its pixels.
Bytes DecodeRow(uint32_t compression, uint32_t width, const Bytes& spans) {
    Spr s;
    EXPECT_TRUE(s.LoadFromBytes(FrameRecord(compression, width, 1, StoredLineOffsets({0}), spans)));
    EXPECT_TRUE(s.Decode());
    return s.Pixels;
}

TEST(SprDecode, RowsOfSpans) {
    struct Case { const char* what; uint32_t compression, width; Bytes spans, pixels; };
    const Case cases[] = {
        {"plain spans; the row ends at a skip byte that reaches the width", 0, 5,
         {0x01, 0x02, 0x07, 0x08, 0x03}, {B, 0x07, 0x08, B, B}},
        {"a run, a skip and literals", 1, 6,
         {0x00, 0x05, 0x09, 0x02, 0x04, 0x0A, 0x0B}, {0x09, 0x09, B, B, 0x0A, 0x0B}},
        {"count 1 with runs is a run of length 0 that uses up its value", 1, 3,
         {0x00, 0x01, 0x55, 0x01, 0x02, 0x66}, {B, 0x66, B}},
        {"plain count 0 writes nothing; the next byte is a skip", 0, 3,
         {0x00, 0x00, 0x02, 0x01, 0x33}, {B, B, 0x33}},
        {"spans ending exactly at the width read no further byte", 0, 2,
         {0x00, 0x02, 0x01, 0x02}, {0x01, 0x02}},
        {"a first skip of the width or more leaves the row untouched", 0, 4,
         {0x04, 0x02, 0x01, 0x02}, {B, B, B, B}},
        {"a skip of 255 past a narrow row", 1, 3, {0xFF}, {B, B, B}},
        {"long literal counts", 0, 300,
         [] { Bytes b{0x00, 0xFF}; b.insert(b.end(), 255, 0x21); testing::Append(b, {0x00, 45});
              b.insert(b.end(), 45, 0x22); return b; }(),
         [] { Bytes p(255, 0x21); p.insert(p.end(), 45, 0x22); return p; }()},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeRow(c.compression, c.width, c.spans), c.pixels) << c.what;
}

TEST(SprLoad, LineOffsetsBecomePositionsInTheSpanData) {
    Spr s;
    ASSERT_TRUE(s.LoadFromBytes(FrameRecord(0, 1, 3, {12, 13, 14}, Bytes(20, 0))));
    EXPECT_EQ(s.DataSize, 20u);
    EXPECT_EQ(s.LineOffsets, (std::vector<uint32_t>{0, 5, 10, 20}));

    // Offsets beyond the span data, and offsets that wrap below zero, are
    // clamped to its end.
    ASSERT_TRUE(s.LoadFromBytes(FrameRecord(0, 1, 3, {100, 200, 10}, Bytes(8, 0))));
    EXPECT_EQ(s.LineOffsets, (std::vector<uint32_t>{0, 8, 8, 8}));

    // Raw keeps the record as stored.
    EXPECT_EQ(testing::ReadLE32ForTest(s.Raw.data() + 28), 100u);
}

TEST(SprDecode, MultipleRowsTopRowFirst) {
    // Two rows of width 3; row 0 always starts at the start of the span data.
    const Bytes spans = {0x01, 0x01, 0x10, 0x05, /* row 1: */ 0x00, 0x03, 0x20, 0x21, 0x22};
    Spr s;
    ASSERT_TRUE(s.LoadFromBytes(FrameRecord(0, 3, 2, StoredLineOffsets({0, 4}), spans)));
    ASSERT_TRUE(s.Decode());
    EXPECT_EQ(s.Pixels, (Bytes{B, 0x10, B, 0x20, 0x21, 0x22}));
}

TEST(SprDecode, EmptyFrames) {
    for (auto [w, h] : {std::pair{0u, 0u}, {0u, 5u}, {7u, 0u}}) {
        Spr s;
        ASSERT_TRUE(s.LoadFromBytes(FrameRecord(0, w, h, std::vector<uint32_t>(h, 4 * h), {})));
        EXPECT_TRUE(s.Decode()) << w << "x" << h;
        EXPECT_TRUE(s.Pixels.empty());
    }
}

TEST(SprDecode, NothingWithoutARecord) {
    Spr s;
    EXPECT_FALSE(s.HasRecord());
    EXPECT_FALSE(s.Decode());
    EXPECT_FALSE(s.SaveRaw("/nonexistent-folder/never.res"));
}

TEST(SprDecode, HostileRecordsStayInBounds) {
    struct Case { const char* what; Bytes record; bool decodes; Bytes pixels; };
    const Case cases[] = {
        {"record shorter than its header", Bytes(27, 0), false, {}},
        {"empty record", Bytes{}, false, {}},
        {"line table longer than the record",
         [] { Bytes r = FrameRecord(0, 2, 1000, {}, {}); return r; }(), false, {}},
        {"absurd width", FrameRecord(0, 0xFFFFFFFF, 1, {4}, {0x00, 0x01, 0x05}), false, {}},
        {"absurd area", FrameRecord(0, 16384, 16384, [] {
             return std::vector<uint32_t>(16384, 0); }(), {}), false, {}},
        {"literals running past the end of the data", FrameRecord(0, 6, 1, {4}, {0x00, 0x05, 0x01, 0x02}),
         true, {0x01, 0x02, B, B, B, B}},
        {"a count byte missing at the end of the data", FrameRecord(0, 6, 1, {4}, {0x01}),
         true, {B, B, B, B, B, B}},
        {"a run value missing at the end of the data", FrameRecord(1, 6, 1, {4}, {0x00, 0x07}),
         true, {B, B, B, B, B, B}},
        {"a span past the end of the last row", FrameRecord(0, 2, 2, StoredLineOffsets({0, 0}),
         {0x01, 0x04, 0x01, 0x02, 0x03, 0x04}), true, {B, 0x01, 0x02, 0x01}},
        {"a run past the end of a row continues into the next", FrameRecord(1, 2, 2,
         StoredLineOffsets({0, 5}), {0x01, 0x07, 0x09, 0x02, 0x00, 0x02}), true, {B, 0x09, 0x09, 0x09}},
        {"row offsets beyond the data", FrameRecord(0, 2, 2, {8, 0x7FFFFFFF}, {0x00, 0x02, 0x05, 0x06}),
         true, {0x05, 0x06, B, B}},
    };
    for (const Case& c : cases) {
        Spr s;
        ASSERT_TRUE(s.LoadFromBytes(c.record)) << c.what;
        EXPECT_EQ(s.Raw, c.record) << c.what;  // held exactly as stored
        EXPECT_EQ(s.Decode(), c.decodes) << c.what;
        if (c.decodes) {
            EXPECT_EQ(s.Pixels, c.pixels) << c.what;
        }
    }
}

TEST(SprLoad, ReadsThroughACopyOfTheHandle) {
    testing::ScratchDir dir;
    const Bytes record = FrameRecord(0, 1, 1, {4}, {0x00, 0x01, 0x2A});
    Bytes file = {0xAA, 0xBB};
    file.insert(file.end(), record.begin(), record.end());
    testing::WriteBytes(dir.File("f"), file);

    TFile archive;
    ASSERT_TRUE(archive.Open(dir.File("f"), OpenMode::ArchiveRead));
    ASSERT_TRUE(archive.Seek(2));
    Spr s;
    ASSERT_TRUE(s.Load(archive, uint32_t(record.size())));
    EXPECT_TRUE(archive.IsOpen());
    EXPECT_EQ(archive.Position(), int64_t(file.size()));
    EXPECT_EQ(s.Raw, record);
    ASSERT_TRUE(s.Decode());
    EXPECT_EQ(s.Pixels, Bytes{0x2A});

    // A record that would run past the end of the file fails and holds nothing.
    ASSERT_TRUE(archive.Seek(2));
    Spr past;
    EXPECT_FALSE(past.Load(archive, uint32_t(record.size() + 1)));
    EXPECT_FALSE(past.HasRecord());
    EXPECT_FALSE(past.Decode());
    EXPECT_FALSE(past.SaveRaw(dir.File("never.res")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("never.res")));

    // A size near 4 GiB fails at once, without reserving it.
    Spr huge;
    EXPECT_FALSE(huge.Load(archive, 0xFFFFFFF0u));
    EXPECT_FALSE(huge.LoadAt(archive, 2, 0xFFFFFFF0u));
    EXPECT_TRUE(huge.LoadAt(archive, 2, uint32_t(record.size())));
    EXPECT_EQ(huge.Raw, record);
}

TEST(SprSaveRaw, WritesTheRecordAsStoredAndReplaces) {
    testing::ScratchDir dir;
    const std::string path = dir.File("01a_005.res");
    testing::WriteBytes(path, Bytes(500, 0xCD));
    for (const Bytes& record : {FrameRecord(1, 4, 2, {999, 5}, {0x00, 0x09, 0x44}), Bytes(10, 0x5A)}) {
        Spr s;
        ASSERT_TRUE(s.LoadFromBytes(record));
        EXPECT_TRUE(s.SaveRaw(path));
        EXPECT_EQ(testing::ReadBytes(path), record);
    }
    Spr s;
    ASSERT_TRUE(s.LoadFromBytes(Bytes(40, 1)));
    try {
        s.SaveRaw(dir.File("missing/x.res"));
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.File("missing/x.res"));
    }
}

}  // namespace
}  // namespace tessaron

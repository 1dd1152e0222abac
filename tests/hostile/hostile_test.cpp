// Hostile archives: each is indexed, and every frame it names loaded,
// decoded and imaged, in a child process whose address space is limited to
// 1 GiB.  Each must end in a clear outcome (index failure, frames skipped,
// frames refused by the decoder, or a defined decode) in bounded time and
// memory.  What exactly a hostile record decodes to is the archive tests'
// business; here it is the whole road under limits.
#include <functional>

#include <gtest/gtest.h>

#include "fixtures.h"
#include "frame.h"
#include "records.h"
#include "road.h"

namespace tessaron::testing {
namespace {

using writer::ArchiveBuilder;
using writer::BlockOptions;
using writer::FrameRecord;
using Bytes = std::vector<uint8_t>;

// A frame record laid out by hand: compression, width, height, the stored
// line offsets as given, then the span data.
Bytes Record(uint32_t compression, uint32_t width, uint32_t height,
             const std::vector<uint32_t>& lineOffsets, const Bytes& spans = {}) {
    Bytes r(kFrameHeaderSize + 4 * lineOffsets.size(), 0);
    WriteLE32(&r[8], compression);
    WriteLE32(&r[12], width);
    WriteLE32(&r[16], height);
    for (size_t i = 0; i < lineOffsets.size(); ++i) WriteLE32(&r[kFrameHeaderSize + 4 * i], lineOffsets[i]);
    r.insert(r.end(), spans.begin(), spans.end());
    return r;
}

// Stored line offsets for rows that all start at the start of the span data.
std::vector<uint32_t> RowsAtStart(uint32_t height) {
    std::vector<uint32_t> stored(height);
    for (uint32_t i = 0; i < height; ++i) stored[i] = 4 * (height - i);
    return stored;
}

Bytes OneBlock(std::vector<FrameRecord> frames, const BlockOptions& options = {}) {
    return ArchiveBuilder().AddBlock(std::move(frames), options).Bytes();
}

Bytes EntryCountInSmallFile(uint32_t count) {
    return ArchiveBuilder().SetStoredEntryCount(count).AppendTail(Bytes(72, 0)).Bytes();
}

Bytes BlockAt(uint32_t offset) {
    return ArchiveBuilder().AddRawEntry(offset, 6).AppendTail(Bytes(10, 0)).Bytes();
}

// `blocks` entries that all name one body with a full table of 65,535
// frames: a half-megabyte file whose tables, held once per block, would
// take blocks x 512 KiB.
Bytes SharedFullFrameTable(uint32_t blocks) {
    ArchiveBuilder builder;
    const uint32_t body = kFlxHeaderSize + kTableEntrySize * (blocks + 1);
    for (uint32_t i = 0; i < blocks; ++i) builder.AddRawEntry(body, 6);
    builder.AddBlock(std::vector<FrameRecord>(0xFFFF));
    return builder.Bytes();
}

FrameRecord WithStoredSize(uint32_t size) {
    FrameRecord f(Record(0, 1, 1, {4}, {0, 1, 0x21}));
    f.StoredSize = size;
    return f;
}

FrameRecord WithStoredOffset(uint32_t offset) {
    FrameRecord f(Record(0, 1, 1, {4}, {0, 1, 0x21}));
    f.StoredOffset = offset;
    return f;
}

std::vector<FrameRecord> TruncatedRecords() {
    const Bytes whole = Record(1, 2, 1, {4}, {0, 5, 0x21});
    std::vector<FrameRecord> frames;
    for (size_t n = 0; n < kFrameHeaderSize; ++n) frames.emplace_back(Bytes(whole.begin(), whole.begin() + n));
    return frames;
}

// Row 0 is 100 spans that each skip 255 columns and write nothing.
Bytes SkipsPastTheWidestRow() {
    Bytes spans;
    for (int i = 0; i < 100; ++i) spans.insert(spans.end(), {0xFF, 0x00});
    return Record(0, kMaxFrameSide, 1, {4}, spans);
}

struct HostileCase {
    const char* name;
    std::function<Bytes()> archive;
    RoadOutcome expected;  // indexed, frames, skipped, refused, decoded
};

const HostileCase kCases[] = {
    // The index.
    {"EntryCountOf4BillionIn200Bytes", [] { return EntryCountInSmallFile(0xFFFFFFFF); }, {false}},
    {"EntryCountOf100MillionIn200Bytes", [] { return EntryCountInSmallFile(100000000); }, {false}},
    {"FrameCountOf65535WithTheTableCutShort",
     [] { BlockOptions o; o.StoredFrameCount = 0xFFFF; return OneBlock({Record(0, 1, 1, {4})}, o); }, {false}},
    {"BlockOffsetBeyondTheEnd", [] { return BlockAt(0x7FFFFFF0); }, {false}},
    {"BlockOffsetAtTheTopOf32Bits", [] { return BlockAt(0xFFFFFFFF); }, {false}},
    {"ManyBlocksSharingAFull65535FrameTable", [] { return SharedFullFrameTable(4096); }, {false}},

    // Where the frames lie.
    {"FrameSizesNear4GiB", [] { return OneBlock({WithStoredSize(0xFFFFFFFF), WithStoredSize(0xFFFFFFF0)}); },
     {true, 2, 2, 0, 0}},
    {"FrameOffsetsBeyondTheEnd",
     [] { return OneBlock({WithStoredOffset(0x7FFFFFFF), WithStoredOffset(0xFFFFFFF0)}); }, {true, 2, 2, 0, 0}},

    // Frame headers.
    {"WidthsAndHeightsOfBillions", [] {
         return OneBlock({Record(0, 0xFFFFFFFF, 1, {4}, {0, 1, 7}), Record(1, 1, 0xFFFFFFFF, {4}),
                          Record(0, 0x80000000, 0x80000000, {4}), Record(0, 65536, 65536, {4}),
                          Record(0, 0x80000000, 0, {})});
     }, {true, 5, 0, 5, 0}},
    {"LargestFrameTheDecoderTakes", [] { return OneBlock({Record(1, kMaxFrameSide, 4096, RowsAtStart(4096))}); },
     {true, 1, 0, 0, 1}},
    {"TallThenWideFramesInOneImage", [] {
         // A batch export's image goes from 1 x 16384 to 16384 x 1: never,
         // even for a moment, 16384 x 16384.
         return OneBlock({Record(0, 1, kMaxFrameSide, RowsAtStart(kMaxFrameSide)),
                          Record(0, kMaxFrameSide, 1, RowsAtStart(1)),
                          Record(0, 1, kMaxFrameSide, RowsAtStart(kMaxFrameSide))});
     }, {true, 3, 0, 0, 3}},
    {"JustOverTheDecodersLimit", [] { return OneBlock({Record(1, kMaxFrameSide, 4097, RowsAtStart(4097))}); },
     {true, 1, 0, 1, 0}},
    {"RecordsOf0To27Bytes", [] { return OneBlock(TruncatedRecords()); }, {true, 28, 0, 28, 0}},

    // Span data.
    {"LineOffsetsBeyondTheSpanData",
     [] { return OneBlock({Record(0, 3, 3, {12, 0xFFFFFFFF, 0x7FFFFFFF}, {0, 3, 1, 2, 3})}); }, {true, 1, 0, 0, 1}},
    {"SpansReadingPastTheRecord", [] {
         return OneBlock({Record(0, 300, 1, {4}, {0, 255, 1, 2, 3}), Record(1, 9, 1, {4}, {0, 0x0F}),
                          Record(1, 9, 1, {4}, {3})});
     }, {true, 3, 0, 0, 3}},
    {"SpansWritingPastTheLastRow", [] {
         Bytes plain = {0, 200};
         plain.insert(plain.end(), 200, 0x21);
         return OneBlock({Record(1, 4, 2, RowsAtStart(2), {1, 0xFF, 0x22}), Record(0, 4, 2, RowsAtStart(2), plain)});
     }, {true, 2, 0, 0, 2}},
    {"SkipBytesThatWouldWrapTheColumn", [] { return OneBlock({SkipsPastTheWidestRow()}); }, {true, 1, 0, 0, 1}},
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

class HostileArchive : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileArchive, EndsInAClearOutcomeWithinLimits) {
    const HostileCase& c = GetParam();
    TempDir dir;
    const std::string path = WriteFile(dir, "hostile.flx", c.archive());

    const RoadLimits limits;
    const RoadRun run = WalkInChild(path, limits);
    ASSERT_TRUE(run.Finished) << run.Failure;
    const RoadOutcome& got = run.Outcome;
    EXPECT_EQ(got.Indexed, c.expected.Indexed);
    EXPECT_EQ(got.Frames, c.expected.Frames);
    EXPECT_EQ(got.Skipped, c.expected.Skipped);
    EXPECT_EQ(got.Refused, c.expected.Refused);
    EXPECT_EQ(got.Decoded, c.expected.Decoded);
    // AddressSanitizer's shadow memory and quarantine make the figure
    // meaningless there; the normal build checks it.
    if (run.AddressSpaceLimited) {
        EXPECT_LE(run.PeakMemory, limits.PeakMemory);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, HostileArchive, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tessaron::testing

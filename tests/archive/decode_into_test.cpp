// Decode and DecodeInto against a plain model of the span rules, on many
// random records: well-formed ones and ones whose spans run past their row,
// past the last row or past the end of the data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "bytes.h"
#include "frame.h"
#include "image.h"

namespace tessaron {
namespace {

using testing::Bytes;

// The span rules written out the simplest way: the frame filled with
// background, then every span written at row x width + column, clipped at
// the end of the frame.
Bytes ModelDecode(const Spr& s) {
    const uint32_t w = s.Width(), h = s.Height();
    const size_t total = size_t(w) * h;
    Bytes pixels(total, BackgroundIndex);
    const bool runs = s.Compression() != 0;
    auto put = [&](size_t at, uint8_t v) {
        if (at < total) pixels[at] = v;
    };
    for (uint32_t row = 0; row < h; ++row) {
        uint32_t p = s.LineOffsets[row], x = 0;
        while (x < w) {
            if (p >= s.DataSize) break;
            x += s.Data[p++];
            if (x >= w || p >= s.DataSize) break;
            const uint32_t count = s.Data[p++];
            const size_t at = size_t(row) * w + x;
            if (runs && (count & 1)) {
                if (p >= s.DataSize) break;
                const uint8_t v = s.Data[p++];
                for (uint32_t i = 0; i < (count >> 1); ++i) put(at + i, v);
                x += count >> 1;
                continue;
            }
            const uint32_t n = runs ? count >> 1 : count;
            uint32_t i = 0;
            for (; i < n && p < s.DataSize; ++i) put(at + i, s.Data[p++]);
            x += n;
            if (i < n) break;
        }
    }
    return pixels;
}

// Lays the rows out one after another as a record's span data.  One record
// in `scrambleOneIn` then gets arbitrary line offsets, and one in
// `cutOneIn` has its span data cut short by `cut`.
template <class Cut>
Bytes JoinRows(std::mt19937& rng, uint32_t compression, uint32_t w, uint32_t h, const std::vector<Bytes>& rows,
               uint32_t scrambleOneIn, uint32_t cutOneIn, Cut cut) {
    Bytes spans;
    std::vector<uint32_t> starts;
    for (const Bytes& row : rows) {
        starts.push_back(uint32_t(spans.size()));
        spans.insert(spans.end(), row.begin(), row.end());
    }
    std::vector<uint32_t> stored = testing::StoredLineOffsets(starts);
    if (rng() % scrambleOneIn == 0)
        for (uint32_t& o : stored) o = rng() % 3 == 0 ? uint32_t(rng()) : o + rng() % 9 - 4;
    if (rng() % cutOneIn == 0 && !spans.empty()) cut(spans);
    return testing::FrameRecord(compression, w, h, stored, spans);
}

// A random record: small frames, span bytes biased towards the values that
// matter (short skips, short and long counts, odd and even), line offsets
// canonical or arbitrary, the data sometimes cut short.
Bytes RandomRecord(std::mt19937& rng) {
    const uint32_t w = rng() % 48, h = rng() % 7;
    const uint32_t compression = rng() % 3 == 0 ? 0 : 1 + rng() % 4;
    std::vector<Bytes> rows(h);
    for (Bytes& row : rows) {
        const uint32_t spans = rng() % 6;
        for (uint32_t i = 0; i < spans; ++i) {
            row.push_back(uint8_t(rng() % 4 == 0 ? rng() % 256 : rng() % 8));
            const uint32_t count = rng() % 4 == 0 ? rng() % 256 : rng() % 40;
            row.push_back(uint8_t(count));
            const uint32_t bytes = compression && (count & 1) ? 1 : compression ? count >> 1 : count;
            for (uint32_t k = 0; k < bytes; ++k) row.push_back(uint8_t(rng()));
        }
    }
    return JoinRows(rng, compression, w, h, rows, 5, 4, [&](Bytes& spans) { spans.resize(rng() % spans.size()); });
}

// A random frame large enough for the decoder's block-wise loop: rows of
// skips and spans that mostly fit their row (short and long ones, runs and
// literals), in frames from a few pixels to several hundred wide.  Some
// records then break the rules: a span past its row, arbitrary line offsets,
// span data cut short.
Bytes RandomLargeRecord(std::mt19937& rng) {
    const uint32_t widths[] = {1, 3, 5, 30, 33, 255, 256, 257, 301, 640};
    const uint32_t w = rng() % 3 == 0 ? 1 + rng() % 700 : widths[rng() % std::size(widths)];
    const uint32_t h = 1 + rng() % (w < 64 ? 120 : 24);
    const uint32_t compression = rng() % 3 == 0 ? 0 : 1;
    const uint32_t maxCount = compression ? 127 : 255;
    const bool hostileSpan = rng() % 8 == 0;
    std::vector<Bytes> rows(h);
    for (Bytes& row : rows) {
        const uint32_t longest = rng() % 2 ? 12 : maxCount;  // short spans, or any length
        uint32_t x = 0;
        while (x < w) {
            const uint32_t skip = rng() % 6 == 0 ? rng() % 256 : rng() % 4 == 0 ? 0 : rng() % 40;
            row.push_back(uint8_t(skip));
            x += skip;
            if (x >= w) break;
            uint32_t n = std::min<uint32_t>({longest, maxCount, w - x});
            n = rng() % (n + 1);
            if (hostileSpan && rng() % 16 == 0) n = std::min<uint32_t>(maxCount, w - x + 1 + rng() % 4);
            const bool run = compression && rng() % 2;
            row.push_back(uint8_t(compression ? n << 1 | (run ? 1 : 0) : n));
            const uint32_t bytes = run ? 1 : n;
            const uint8_t value = uint8_t(rng());
            for (uint32_t k = 0; k < bytes; ++k) row.push_back(uint8_t(rng() % 4 ? value + k : rng()));
            x += n;
            if (rng() % 64 == 0) break;  // a row that stops early
        }
    }
    return JoinRows(rng, compression, w, h, rows, 10, 6, [&](Bytes& spans) {
        spans.resize(spans.size() - 1 - rng() % std::min<size_t>(spans.size(), 600));
    });
}

// Decodes the record both ways and compares with the model: Pixels, and the
// image (padding included) against the one built from Pixels.
void ExpectDecodesAsTheModel(const Bytes& record, FrameImage& reused, int i) {
    Spr s;
    ASSERT_TRUE(s.LoadFromBytes(record));
    ASSERT_TRUE(s.Decode()) << "record " << i;
    ASSERT_EQ(s.Pixels, ModelDecode(s)) << "record " << i;

    const auto expected = BuildFrameImage(s);
    ASSERT_TRUE(s.DecodeInto(reused)) << "record " << i;
    ASSERT_EQ(reused.Width(), expected->Width());
    ASSERT_EQ(reused.Height(), expected->Height());
    ASSERT_EQ(reused.Bits(), expected->Bits()) << "record " << i;  // padding included
}

// Runs a test once with the decoder's widest blocks and once with 16-byte
// blocks only (the same on a machine without wider ones).
class SprDecodeIntoBlocks : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { DecodeWithNarrowBlocksOnly(GetParam()); }
    void TearDown() override { DecodeWithNarrowBlocksOnly(false); }
};

INSTANTIATE_TEST_SUITE_P(Widths, SprDecodeIntoBlocks, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Narrow" : "Widest"; });

TEST_P(SprDecodeIntoBlocks, MatchesTheSpanRulesAndTheImageOfDecode) {
    std::mt19937 rng(12345);
    auto reused = NewFrameImage();  // one image for every record, as a batch export keeps it
    for (int i = 0; i < 20000; ++i) {
        ASSERT_NO_FATAL_FAILURE(ExpectDecodesAsTheModel(RandomRecord(rng), *reused, i));
    }
}

TEST_P(SprDecodeIntoBlocks, LargeFramesMatchTheSpanRules) {
    std::mt19937 rng(4242);
    auto reused = NewFrameImage();
    for (int i = 0; i < 1500; ++i) {
        ASSERT_NO_FATAL_FAILURE(ExpectDecodesAsTheModel(RandomLargeRecord(rng), *reused, i));
    }
}

TEST_P(SprDecodeIntoBlocks, LargeRowsWithLongSpans) {
    // Rows wider than the short-span shortcuts, spans of every length around
    // 16 and 255, in both codings, ending at, before and past the row's end.
    std::mt19937 rng(99);
    auto image = NewFrameImage();
    for (uint32_t compression : {0u, 1u}) {
        for (uint32_t width : {15u, 16u, 17u, 31u, 300u}) {
            for (int trial = 0; trial < 200; ++trial) {
                Bytes row;
                while (row.size() < 2 * width) {
                    row.push_back(uint8_t(rng() % 20));
                    const uint32_t count = rng() % 2 ? rng() % 40 : rng() % 256;
                    row.push_back(uint8_t(count));
                    const uint32_t bytes = compression && (count & 1) ? 1 : compression ? count >> 1 : count;
                    for (uint32_t k = 0; k < bytes; ++k) row.push_back(uint8_t(rng()));
                }
                const uint32_t h = 3;
                Bytes spans;
                for (uint32_t r = 0; r < h; ++r) spans.insert(spans.end(), row.begin(), row.end());
                const uint32_t n = uint32_t(row.size());
                Spr s;
                ASSERT_TRUE(s.LoadFromBytes(testing::FrameRecord(
                    compression, width, h, testing::StoredLineOffsets({0, n, 2 * n}), spans)));
                ASSERT_TRUE(s.Decode());
                ASSERT_EQ(s.Pixels, ModelDecode(s));
                ASSERT_TRUE(s.DecodeInto(*image));
                ASSERT_EQ(image->Bits(), BuildFrameImage(s)->Bits());
            }
        }
    }
}

TEST(SprDecodeInto, FailsWhereDecodeFailsAndLeavesTheImage) {
    auto image = NewFrameImage();
    Spr first;
    ASSERT_TRUE(first.LoadFromBytes(testing::FrameRecord(0, 3, 1, {4}, {0x00, 0x03, 1, 2, 3})));
    ASSERT_TRUE(first.DecodeInto(*image));
    const Bytes before = image->Bits();

    Spr never;
    EXPECT_FALSE(never.DecodeInto(*image));
    Spr short_;
    ASSERT_TRUE(short_.LoadFromBytes(Bytes(27, 0)));
    EXPECT_FALSE(short_.DecodeInto(*image));
    Spr huge;
    ASSERT_TRUE(huge.LoadFromBytes(testing::FrameRecord(0, 0xFFFFFFFF, 1, {4}, {})));
    EXPECT_FALSE(huge.DecodeInto(*image));
    EXPECT_EQ(image->Width(), 3u);
    EXPECT_EQ(image->Bits(), before);

    // An empty frame gives an empty image, as Decode gives empty pixels.
    Spr empty;
    ASSERT_TRUE(empty.LoadFromBytes(testing::FrameRecord(0, 5, 0, {}, {})));
    ASSERT_TRUE(empty.DecodeInto(*image));
    EXPECT_EQ(image->Width(), 5u);
    EXPECT_EQ(image->Height(), 0u);
    EXPECT_TRUE(image->Bits().empty());
    EXPECT_TRUE(empty.Pixels.empty());
    EXPECT_FALSE(empty.IsDecoded());
}

}  // namespace
}  // namespace tessaron

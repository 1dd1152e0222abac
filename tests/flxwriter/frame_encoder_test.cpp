// The encoder is checked through the core's decoder (pixels come back
// unchanged) and through a strict walk of the spans that the lenient
// decoder would not insist on: every row ends exactly where the next one
// begins, and the line table has its canonical form.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "fixtures.h"
#include "frame.h"
#include "frame_encoder.h"
#include "records.h"

namespace tessaron::writer {
namespace {

using Bytes = std::vector<uint8_t>;

// Walks row `row` of the record strictly: returns the number of span bytes
// it uses, or a description of what is wrong with it.
struct RowWalk {
    size_t used = 0;
    std::string error;
};

RowWalk WalkRow(const Bytes& data, size_t start, uint32_t width, bool runs) {
    RowWalk walk;
    size_t p = start;
    uint32_t x = 0;
    auto need = [&](size_t n) {
        if (p + n > data.size()) walk.error = "row reads past the span data";
        return walk.error.empty();
    };
    while (x < width) {
        if (!need(1)) return walk;
        x += data[p++];
        if (x >= width) {
            if (x > width) walk.error = "skip passes the width";
            break;
        }
        if (!need(1)) return walk;
        const uint32_t c = data[p++];
        uint32_t n = runs ? c >> 1 : c;
        if (runs && (c & 1)) {
            if (!need(1)) return walk;
            ++p;
        } else {
            if (!need(n)) return walk;
            p += n;
        }
        x += n;
        if (x > width) walk.error = "span runs past the row";
    }
    walk.used = p - start;
    return walk;
}

void ExpectCanonicalRecord(const Bytes& record, uint32_t width, uint32_t height, Coding coding) {
    ASSERT_GE(record.size(), kFrameHeaderSize + 4 * size_t(height));
    EXPECT_EQ(ReadLE32(&record[8]), uint32_t(coding));
    EXPECT_EQ(ReadLE32(&record[12]), width);
    EXPECT_EQ(ReadLE32(&record[16]), height);
    const size_t dataStart = kFrameHeaderSize + 4 * size_t(height);
    const Bytes data(record.begin() + long(dataStart), record.end());
    size_t rowStart = 0;
    for (uint32_t i = 0; i < height; ++i) {
        const size_t entryAt = kFrameHeaderSize + 4 * size_t(i);
        ASSERT_EQ(ReadLE32(&record[entryAt]), dataStart + rowStart - entryAt) << "row " << i;
        const RowWalk walk = WalkRow(data, rowStart, width, coding != Coding::Plain);
        ASSERT_EQ(walk.error, "") << "row " << i;
        rowStart += walk.used;
    }
    EXPECT_EQ(rowStart, data.size()) << "bytes left after the last row";
}

void ExpectRoundTrip(const Picture& picture, Coding coding) {
    const Bytes record = EncodeFrame(picture, coding);
    ExpectCanonicalRecord(record, picture.Width, picture.Height, coding);
    Picture decoded;
    ASSERT_TRUE(testing::DecodeRecord(record, decoded));
    EXPECT_EQ(decoded.Width, picture.Width);
    EXPECT_EQ(decoded.Height, picture.Height);
    EXPECT_TRUE(decoded.Pixels == picture.Pixels);
}

TEST(FrameEncoder, RandomPicturesComeBackUnchangedInBothCodings) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 400; ++i) {
        // Every fourth picture is wide, so gaps and stretches pass 255.
        const Picture picture = testing::RandomPicture(rng, i % 4 == 0 ? 700 : 90, 40);
        for (Coding coding : {Coding::Plain, Coding::Runs}) {
            SCOPED_TRACE("picture " + std::to_string(i) + ", " + std::to_string(picture.Width) + "x" +
                         std::to_string(picture.Height) + ", coding " +
                         std::to_string(uint32_t(coding)));
            ExpectRoundTrip(picture, coding);
            if (::testing::Test::HasFatalFailure() || ::testing::Test::HasNonfatalFailure()) return;
        }
    }
}

TEST(FrameEncoder, EdgePicturesComeBackUnchanged) {
    struct Case {
        const char* name;
        uint32_t width, height;
        uint8_t fill;
    };
    const Case cases[] = {
        {"no pixels", 0, 0, 0},
        {"no columns", 0, 5, 0},
        {"no rows", 7, 0, 0},
        {"one pixel", 1, 1, 0x10},
        {"one background pixel", 1, 1, BackgroundIndex},
        {"all background, wider than a skip", 1000, 3, BackgroundIndex},
        {"one colour, wider than any count", 1000, 3, 0x22},
        {"exactly 255 wide", 255, 2, 0x01},
        {"exactly 256 wide background", 256, 2, BackgroundIndex},
        {"exactly 127 wide", 127, 2, 0x05},
        {"exactly 254 wide", 254, 2, 0x05},
    };
    for (const Case& c : cases) {
        for (Coding coding : {Coding::Plain, Coding::Runs}) {
            SCOPED_TRACE(std::string(c.name) + ", coding " + std::to_string(uint32_t(coding)));
            ExpectRoundTrip(Picture(c.width, c.height, c.fill), coding);
        }
    }
}

TEST(FrameEncoder, AnyNonzeroCompressionWordMeansRuns) {
    std::mt19937 rng(7);
    Picture picture(300, 4, BackgroundIndex);
    testing::FillRandomly(rng, picture);
    const Bytes record = EncodeFrame(picture, static_cast<Coding>(0x80000000u));
    EXPECT_EQ(ReadLE32(&record[8]), 0x80000000u);
    EXPECT_EQ(record, [&] {
        Bytes b = EncodeFrame(picture, Coding::Runs);
        WriteLE32(&b[8], 0x80000000u);
        return b;
    }());
}

// A few exact encodings pin down the forms the other tests only imply.
TEST(FrameEncoder, RowEncodings) {
    const uint8_t G = BackgroundIndex;
    struct Case {
        const char* name;
        Coding coding;
        Bytes row;
        Bytes spans;
    };
    const Case cases[] = {
        {"empty row", Coding::Plain, {}, {}},
        {"background only: one skip reaching the width", Coding::Plain, {G, G, G}, {3}},
        {"trailing background ends with a skip", Coding::Plain, {G, 7, 8, G, G}, {1, 2, 7, 8, 2}},
        {"spans ending at the width end the row", Coding::Plain, {7, 8}, {0, 2, 7, 8}},
        {"a run of three is a run", Coding::Runs, {9, 9, 9, G}, {0, 7, 9, 1}},
        {"two equal pixels stay literals", Coding::Runs, {9, 9, G, G, 10, 11},
         {0, 4, 9, 9, 2, 4, 10, 11}},
        {"literals then a run", Coding::Runs, {1, 2, 5, 5, 5, 5}, {0, 4, 1, 2, 0, 9, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodeRow(c.row, c.coding), c.spans);
    }
}

TEST(FrameEncoder, LongStretchesAreSplitAtTheCodingLimits) {
    const uint8_t G = BackgroundIndex;
    // A 600-pixel gap before one pixel: two empty spans of skip 255, then 90.
    Bytes row(601, G);
    row[600] = 3;
    EXPECT_EQ(EncodeRow(row, Coding::Plain), (Bytes{255, 0, 255, 0, 90, 1, 3}));
    EXPECT_EQ(EncodeRow(row, Coding::Runs), (Bytes{255, 0, 255, 0, 90, 2, 3}));

    // 300 pixels of one colour: runs of 127, 127 and 46.
    const Bytes run(300, 0x21);
    EXPECT_EQ(EncodeRow(run, Coding::Runs), (Bytes{0, 255, 0x21, 0, 255, 0x21, 0, 93, 0x21}));

    // 300 literals: counts of 255 and 45 in plain spans, 127, 127, 46 with runs.
    Bytes noise(300);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = uint8_t(i % 2 ? 1 : 2);
    const Bytes plain = EncodeRow(noise, Coding::Plain);
    ASSERT_EQ(plain.size(), 2 + 255 + 2 + 45u);
    EXPECT_EQ(plain[1], 255);
    EXPECT_EQ(plain[2 + 255], 0);
    EXPECT_EQ(plain[2 + 255 + 1], 45);
    const Bytes runs = EncodeRow(noise, Coding::Runs);
    ASSERT_EQ(runs.size(), 3 * 2 + 300u);
    EXPECT_EQ(runs[1], 254);
    EXPECT_EQ(runs[2 + 127 + 1], 254);
    EXPECT_EQ(runs[2 * (2 + 127) + 1], 92);
}

TEST(FrameEncoder, HeaderCarriesTheFourUninterpretedWords) {
    const Picture picture(2, 1, 5);
    const Bytes record = EncodeFrame(picture, Coding::Plain, {0x11, 0x22, 0x55, 0x66});
    EXPECT_EQ(ReadLE32(&record[0]), 0x11u);
    EXPECT_EQ(ReadLE32(&record[4]), 0x22u);
    EXPECT_EQ(ReadLE32(&record[20]), 0x55u);
    EXPECT_EQ(ReadLE32(&record[24]), 0x66u);
}

TEST(FrameEncoder, LineTableHoldsDistancesFromEachEntry) {
    // Rows of 1, 4 and 2 bytes: entries 12, 9 and 9 (4 * Height, then the
    // distance from each entry to its row).
    const Bytes record = AssembleRecord(0, 9, 3, {{9}, {0, 2, 7, 7}, {1, 0}});
    ASSERT_EQ(record.size(), 28 + 12 + 7u);
    EXPECT_EQ(ReadLE32(&record[28]), 12u);
    EXPECT_EQ(ReadLE32(&record[32]), 9u);
    EXPECT_EQ(ReadLE32(&record[36]), 9u);
    Spr sprite;
    ASSERT_TRUE(sprite.LoadFromBytes(record));
    EXPECT_EQ(sprite.LineOffsets, (std::vector<uint32_t>{0, 1, 5, 7}));
}

TEST(FrameEncoder, RejectsMismatchedSizes) {
    const Bytes three(3, 1);
    EXPECT_THROW(EncodeFrame(2, 2, three, Coding::Plain), std::invalid_argument);
    EXPECT_THROW(AssembleRecord(0, 1, 2, {{1}}), std::invalid_argument);
}

}  // namespace
}  // namespace tessaron::writer

#include "image.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "bytes.h"
#include "errors.h"
#include "frame.h"

namespace tessaron {
namespace {

using testing::Bytes;

// A decoded frame with the given pixels (top row first).
Spr DecodedFrame(uint32_t width, uint32_t height, const Bytes& pixels) {
    Bytes spans;
    std::vector<uint32_t> starts;
    for (uint32_t row = 0; row < height; ++row) {
        starts.push_back(uint32_t(spans.size()));
        for (uint32_t x = 0; x < width; ++x) testing::Append(spans, {0x00, 0x01, pixels[row * width + x]});
    }
    Spr s;
    EXPECT_TRUE(s.LoadFromBytes(testing::FrameRecord(0, width, height, testing::StoredLineOffsets(starts), spans)));
    EXPECT_TRUE(s.Decode());
    EXPECT_EQ(s.Pixels, pixels);
    return s;
}

Bytes Gradient(uint32_t width, uint32_t height) {
    Bytes p(size_t(width) * height);
    for (size_t i = 0; i < p.size(); ++i) p[i] = uint8_t(i * 7 + 1);
    return p;
}

uint32_t U32At(const Bytes& b, size_t at) { return testing::ReadLE32ForTest(b.data() + at); }

// Checks a BMP file against the expected layout, independently of the writer.
void ExpectBmp(const Bytes& file, uint32_t width, uint32_t height, const Bytes& pixels) {
    const uint32_t stride = (width + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 1078u + stride * height);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32At(file, 2), 1078u + stride * height);
    EXPECT_EQ(U32At(file, 6), 0u);
    EXPECT_EQ(U32At(file, 10), 1078u);
    EXPECT_EQ(U32At(file, 14), 40u);
    EXPECT_EQ(U32At(file, 18), width);
    EXPECT_EQ(U32At(file, 22), height);
    EXPECT_EQ(file[26] | file[27] << 8, 1);
    EXPECT_EQ(file[28] | file[29] << 8, 8);
    EXPECT_EQ(U32At(file, 30), 0u);
    EXPECT_EQ(U32At(file, 34), stride * height);
    EXPECT_EQ(U32At(file, 38), 0u);
    EXPECT_EQ(U32At(file, 42), 0u);
    EXPECT_EQ(U32At(file, 46), 256u);
    EXPECT_EQ(U32At(file, 50), 0u);
    for (int k = 0; k < 256; ++k) {
        const uint32_t rgb = kSpriteColours[k];
        EXPECT_EQ(file[54 + 4 * k + 0], uint8_t(rgb)) << k;
        EXPECT_EQ(file[54 + 4 * k + 1], uint8_t(rgb >> 8)) << k;
        EXPECT_EQ(file[54 + 4 * k + 2], uint8_t(rgb >> 16)) << k;
        EXPECT_EQ(file[54 + 4 * k + 3], 0) << k;
    }
    for (uint32_t stored = 0; stored < height; ++stored) {
        const uint32_t row = height - 1 - stored;  // bottom row first
        const uint8_t* line = file.data() + 1078 + stored * stride;
        for (uint32_t x = 0; x < stride; ++x) {
            const uint8_t expected = x < width ? pixels[row * width + x] : 0;
            ASSERT_EQ(line[x], expected) << "row " << row << " column " << x;
        }
    }
}

TEST(FrameImageBmp, ExactLayout) {
    const std::pair<uint32_t, uint32_t> sizes[] = {{35, 80}, {1, 1}, {2, 3}, {3, 1}, {4, 2}, {5, 5}, {8, 1}, {9, 2}, {640, 3}};
    for (auto [w, h] : sizes) {
        const Bytes pixels = Gradient(w, h);
        ExpectBmp(BuildFrameImage(DecodedFrame(w, h, pixels))->EncodeBmp(), w, h, pixels);
    }
    // The two worked sizes.
    EXPECT_EQ(BuildFrameImage(DecodedFrame(35, 80, Gradient(35, 80)))->EncodeBmp().size(), 3958u);
    const Bytes one = BuildFrameImage(DecodedFrame(1, 1, {0x44}))->EncodeBmp();
    ASSERT_EQ(one.size(), 1082u);
    EXPECT_EQ(Bytes(one.end() - 4, one.end()), (Bytes{0x44, 0, 0, 0}));
}

TEST(FrameImageBmp, RefillingGivesTheSameBytesAsBuilding) {
    // Frames of different and equal sizes through one image, as a batch
    // export does: each file depends only on its own frame.
    const std::pair<uint32_t, uint32_t> sequence[] = {{9, 4}, {9, 4}, {3, 7}, {0, 0}, {13, 2}, {1, 1}};
    auto image = NewFrameImage();
    EXPECT_EQ(image->Width(), 0u);
    uint8_t seed = 1;
    for (auto [w, h] : sequence) {
        Bytes pixels = Gradient(w, h);
        for (auto& p : pixels) p = uint8_t(p + seed);
        ++seed;
        const Spr frame = DecodedFrame(w, h, pixels);
        FillFrameImage(*image, frame);
        EXPECT_EQ(image->EncodeBmp(), BuildFrameImage(frame)->EncodeBmp()) << w << "x" << h;
    }
}

TEST(FrameImageBmp, EmptyFrameSavesAnEmptyFile) {
    testing::ScratchDir dir;
    const std::string path = dir.File("000_000.bmp");
    testing::WriteBytes(path, Bytes(10, 1));
    BuildFrameImage(DecodedFrame(0, 4, {}))->SaveToFile(path);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(FrameImageSave, ReplacesAndReportsFailures) {
    testing::ScratchDir dir;
    const std::string path = dir.File("01a_005.bmp");
    testing::WriteBytes(path, Bytes(7, 7));
    const Bytes pixels = Gradient(6, 3);
    auto image = BuildFrameImage(DecodedFrame(6, 3, pixels));
    image->SaveToFile(path);
    ExpectBmp(testing::ReadBytes(path), 6, 3, pixels);
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::owner_read,
              std::filesystem::perms::owner_read);

    const std::string missing = dir.File("nowhere/x.bmp");
    try {
        image->SaveToFile(missing);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + missing);
    }
    // Nothing but the one file is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

// Saves with a file-size limit that makes the write fail part-way, and exits
// 3 when that is reported as a write error.
void SaveUnderFileSizeLimit(const FrameImage& image, const std::string& path) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{2000, 2000};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
        image.SaveToFile(path);
    } catch (const EWriteError& e) {
        std::_Exit(std::string(e.what()) == "Stream write error" ? 3 : 4);
    }
    std::_Exit(5);
}

TEST(FrameImageSave, AFailedWriteKeepsTheExistingFile) {
    testing::ScratchDir dir;
    const std::string path = dir.File("big.bmp");
    const Bytes original(100, 0x3C);
    testing::WriteBytes(path, original);
    auto image = BuildFrameImage(DecodedFrame(64, 64, Gradient(64, 64)));
    // The limit is set in a child so that it does not stay with the tests.
    EXPECT_EXIT(SaveUnderFileSizeLimit(*image, path), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(testing::ReadBytes(path), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

}  // namespace
}  // namespace tessaron

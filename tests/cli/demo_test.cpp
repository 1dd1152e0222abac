// The demo archive: the build's copy is the one the code makes, it holds
// what it promises, and exporting it gives the expected BMP of every frame.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive.h"
#include "cli_test_util.h"
#include "demo_archive.h"
#include "demo_art.h"
#include "fixtures.h"
#include "frame.h"
#include "naming.h"
#include "reference_bmp.h"

namespace tessaron::testing {
namespace {

class DemoArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        bytes_ = demo::DemoArchive().Bytes();
        path_ = WriteFile(dir_, "demo.flx", bytes_);
        NullViews views;
        ASSERT_TRUE(archive_.OpenArchive(path_, views));
    }
    TempDir dir_;
    std::vector<uint8_t> bytes_;
    std::string path_;
    TArchive archive_;
};

TEST_F(DemoArchiveTest, TheBuildWroteTheSameBytes) {
    EXPECT_TRUE(ReadFileBytes(TESSARON_DEMO_ARCHIVE) == bytes_);
    EXPECT_TRUE(demo::DemoArchive().Bytes() == bytes_);
}

TEST_F(DemoArchiveTest, HoldsWhatItPromises) {
    EXPECT_GE(archive_.FBlockCount, 24u);
    EXPECT_GT(archive_.FBlockIndex.Length(), 0u);
    EXPECT_EQ(archive_.FBlockIndex[0], demo::kFigureEntry);
    uint32_t empties = ReadLE32(archive_.FHeader + 84) - archive_.FBlockCount;
    EXPECT_GE(empties, 10u);

    // The standing figure is frame 0 of its entry.
    Spr figure;
    ASSERT_TRUE(archive_.LoadFrame(0, 0, figure));
    ASSERT_TRUE(figure.Decode());
    EXPECT_EQ(figure.Width(), demo::kFigureWidth);
    EXPECT_EQ(figure.Height(), demo::kFigureHeight);
    EXPECT_EQ(figure.Pixels, demo::StandingFigure().Pixels);

    bool codings[2] = {}, tiny = false, wide = false, noPixels = false, noFrames = false;
    for (uint32_t b = 0; b < archive_.FBlockCount; ++b) {
        noFrames |= archive_.FrameCount(b) == 0;
        for (uint32_t f = 0; f < archive_.FrameCount(b); ++f) {
            Spr s;
            ASSERT_TRUE(archive_.LoadFrame(b, f, s));
            ASSERT_TRUE(s.Decode());
            codings[s.Compression() != 0] = true;
            tiny |= !IsVisibleFrame(archive_.Frame(b, f).Size, false);
            wide |= s.Width() > 255;
            noPixels |= s.Width() == 0 && s.Height() == 0;
        }
    }
    EXPECT_TRUE(codings[0] && codings[1] && tiny && wide && noPixels && noFrames);
}

TEST_F(DemoArchiveTest, ExportMatchesTheDecodedFrames) {
    const std::string out = dir_.File("out");
    const CliResult r = RunCli({"--show-tiny", path_, out});
    ASSERT_EQ(r.status, 0) << r.err;
    size_t files = 0;
    for (uint32_t b = 0; b < archive_.FBlockCount; ++b)
        for (uint32_t f = 0; f < archive_.FrameCount(b); ++f) {
            Spr s;
            ASSERT_TRUE(archive_.LoadFrame(b, f, s));
            ASSERT_TRUE(s.Decode());
            writer::Picture p;
            p.Width = s.Width();
            p.Height = s.Height();
            p.Pixels = s.Pixels;
            const std::string name = ExportFileName(out + "/", archive_.FBlockIndex[b], f, ".bmp");
            EXPECT_TRUE(ReadFileBytes(name) == ReferenceBmp(p)) << name;
            ++files;
        }
    EXPECT_EQ(ListFiles(out).size(), files);
}

}  // namespace
}  // namespace tessaron::testing

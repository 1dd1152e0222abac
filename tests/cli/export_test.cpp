// Listing and exporting well-formed archives: names, sizes, the visible
// frame rule, block choice, BMP and raw contents, the output folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "cli_test_util.h"
#include "fixtures.h"
#include "frame.h"
#include "naming.h"
#include "reference_bmp.h"

namespace tessaron::testing {
namespace {

using writer::Coding;
using writer::Picture;

// One row of `width` literal pixels, coded plain: 34 + width bytes.
Picture Line(uint32_t width) {
    Picture p(width, 1, 0);
    for (uint32_t x = 0; x < width; ++x) p.Pixels[x] = uint8_t(1 + x);
    return p;
}

// Two blocks, at entries 1 and 0x1A, and a block without frames at 0x1B.
// Frames 1, 2 and 5 of entry 1 are tiny (35, 51 and 28 bytes); frame 3 is
// 52 bytes and listed.
class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 rng(99);
        auto random = [&](uint32_t w, uint32_t h) {
            Picture p(w, h, BackgroundIndex);
            FillRandomly(rng, p);
            return p;
        };
        Add(1, random(40, 30), Coding::Plain);
        Add(1, Picture(1, 1, 0x10), Coding::Plain);
        Add(1, Line(17), Coding::Plain);
        Add(1, Line(18), Coding::Plain);
        Add(1, random(300, 5), Coding::Runs);
        Add(1, Picture(0, 0, 0), Coding::Plain);
        Add(0x1A, random(20, 20), Coding::Runs, 0x80000000u);
        Add(0x1A, random(7, 3), Coding::Plain);

        writer::ArchiveBuilder builder;
        for (uint32_t entry = 0; entry < 0x1C; ++entry) {
            if (frames_.count(entry))
                builder.AddBlock(frames_[entry]);
            else if (entry == 0x1B)
                builder.AddBlock({});
            else
                builder.AddEmpty();
        }
        built_ = builder.Build();
        archive_ = WriteFile(dir_, "test.flx", built_.Bytes);
        out_ = dir_.File("out");
    }

    void Add(uint32_t entry, const Picture& p, Coding coding, uint32_t flags = 0) {
        writer::FrameRecord record(writer::EncodeFrame(p, coding, {1, 2, 3, 4}));
        record.OffsetFlags = flags;
        frames_[entry].push_back(record);
        pictures_[{entry, uint32_t(frames_[entry].size() - 1)}] = p;
    }

    // The record as stored in the archive.
    std::vector<uint8_t> Stored(size_t block, uint32_t frame) const {
        const auto& f = built_.Blocks[block].Frames[frame];
        return {built_.Bytes.begin() + long(f.Position), built_.Bytes.begin() + long(f.Position + f.Size)};
    }

    TempDir dir_;
    std::map<uint32_t, std::vector<writer::FrameRecord>> frames_;
    std::map<std::pair<uint32_t, uint32_t>, Picture> pictures_;
    writer::BuiltArchive built_;
    std::string archive_, out_;
};

TEST_F(ExportTest, ListsVisibleFramesWithNamesAndStoredSizes) {
    const CliResult r = RunCli({"--list", archive_});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const uint32_t s0 = built_.Blocks[0].Frames[0].Size, s4 = built_.Blocks[0].Frames[4].Size;
    const uint32_t t0 = built_.Blocks[1].Frames[0].Size, t1 = built_.Blocks[1].Frames[1].Size;
    EXPECT_EQ(r.out, "001-000\t" + std::to_string(s0) + "\n001-003\t52\n001-004\t" + std::to_string(s4) +
                         "\n01A-000\t" + std::to_string(t0) + "\n01A-001\t" + std::to_string(t1) + "\n");
}

TEST_F(ExportTest, ListingChoices) {
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {{"--show-tiny"}, {"001-000", "001-001", "001-002", "001-003", "001-004", "001-005", "01A-000", "01A-001"}},
        {{"--block", "1a"}, {"01A-000", "01A-001"}},
        {{"--block", "0x1A"}, {"01A-000", "01A-001"}},
        {{"--block", "1"}, {"001-000", "001-003", "001-004"}},
        {{"--block", "1", "--show-tiny"}, {"001-000", "001-001", "001-002", "001-003", "001-004", "001-005"}},
        {{"--block", "1B"}, {}},  // a block without frames
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.options;
        args.insert(args.begin(), "--list");
        args.push_back(archive_);
        const CliResult r = RunCli(args);
        SCOPED_TRACE(::testing::PrintToString(c.options));
        EXPECT_EQ(r.status, 0);
        std::vector<std::string> names;
        for (const auto& line : Lines(r.out)) names.push_back(line.substr(0, line.find('\t')));
        EXPECT_EQ(names, c.names);
    }
}

TEST_F(ExportTest, ExportAllWritesTheBmpOfEveryVisibleFrame) {
    const CliResult r = RunCli({archive_, out_});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ListFiles(out_),
              (std::vector<std::string>{"001_000.bmp", "001_003.bmp", "001_004.bmp", "01a_000.bmp", "01a_001.bmp"}));
    for (const auto& [key, picture] : pictures_) {
        const std::string file = ExportFileName(out_ + "/", key.first, key.second, ".bmp");
        if (!std::filesystem::exists(file)) continue;
        SCOPED_TRACE(file);
        EXPECT_TRUE(ReadFileBytes(file) == ReferenceBmp(picture));
    }
}

TEST_F(ExportTest, ShowTinyExportsEveryFrameIncludingAnEmptyOne) {
    const CliResult r = RunCli({"--show-tiny", archive_, out_});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ListFiles(out_).size(), 8u);
    EXPECT_EQ(ReadFileBytes(out_ + "/001_002.bmp"), ReferenceBmp(Line(17)));
    // A frame without pixels gives an empty file.
    EXPECT_TRUE(std::filesystem::exists(out_ + "/001_005.bmp"));
    EXPECT_EQ(std::filesystem::file_size(out_ + "/001_005.bmp"), 0u);
    // The background shows as its green in the colour table, blue first.
    const auto bmp = ReadFileBytes(out_ + "/001_000.bmp");
    ASSERT_GE(bmp.size(), 54u + 4 * 0x45);
    EXPECT_EQ(bmp[54 + 4 * 0x44], 0x0C);
    EXPECT_EQ(bmp[54 + 4 * 0x44 + 1], 0xB4);
    EXPECT_EQ(bmp[54 + 4 * 0x44 + 2], 0x00);
}

TEST_F(ExportTest, BlockExportsOnlyThatBlock) {
    const CliResult r = RunCli({"--block", "1A", archive_, out_});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ListFiles(out_), (std::vector<std::string>{"01a_000.bmp", "01a_001.bmp"}));
    EXPECT_EQ(ReadFileBytes(out_ + "/01a_001.bmp"), ReferenceBmp(pictures_[{0x1A, 1}]));
}

TEST_F(ExportTest, RawWritesEachRecordAsStored) {
    const CliResult r = RunCli({"--raw", "--show-tiny", archive_, out_});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ListFiles(out_).size(), 8u);
    for (size_t b = 0; b < 2; ++b) {
        const uint32_t entry = built_.Blocks[b].Entry;
        for (uint32_t f = 0; f < built_.Blocks[b].Frames.size(); ++f) {
            SCOPED_TRACE(std::to_string(entry) + "/" + std::to_string(f));
            EXPECT_EQ(ReadFileBytes(ExportFileName(out_ + "/", entry, f, ".res")), Stored(b, f));
        }
    }
}

TEST_F(ExportTest, CreatesTheFolderWithItsParentsAndReplacesFiles) {
    const std::string deep = dir_.File("a/b/c/");  // a trailing separator is fine too
    EXPECT_EQ(RunCli({"--block", "1a", archive_, deep}).status, 0);
    EXPECT_EQ(ListFiles(deep).size(), 2u);

    // Same names again: replaced, not appended to, and nothing else left over.
    const std::vector<uint8_t> junk(5000, 0xEE);
    ASSERT_TRUE(writer::WriteFileBytes(deep + "01a_000.bmp", junk));
    EXPECT_EQ(RunCli({"--block", "1a", archive_, deep}).status, 0);
    EXPECT_EQ(ReadFileBytes(deep + "01a_000.bmp"), ReferenceBmp(pictures_[{0x1A, 0}]));
    EXPECT_EQ(ListFiles(deep), (std::vector<std::string>{"01a_000.bmp", "01a_001.bmp"}));
}

TEST_F(ExportTest, ProgressBarOnlyWhenAsked) {
    const CliResult quiet = RunCli({archive_, out_});
    EXPECT_EQ(quiet.err, "");
    const CliResult bar = RunCli({archive_, out_}, /*progressBar=*/true);
    EXPECT_EQ(bar.status, 0);
    EXPECT_NE(bar.err.find("\r["), std::string::npos);
    EXPECT_NE(bar.err.find("] 5/5"), std::string::npos);
    EXPECT_EQ(bar.err.back(), '\n');
    // A listing is for stdout alone.
    EXPECT_EQ(RunCli({"--list", archive_}, true).err, "");
}

TEST(ExportRandomArchive, EveryFrameMatchesItsPicture) {
    std::mt19937 rng(4242);
    std::vector<std::vector<Picture>> blocks(6);
    writer::ArchiveBuilder builder;
    for (auto& pictures : blocks) {
        std::vector<writer::FrameRecord> frames;
        for (int i = 0; i < 8; ++i) {
            Picture p = RandomPicture(rng, i % 3 ? 70 : 400, 30);
            frames.push_back(writer::EncodeFrame(p, i % 2 ? Coding::Runs : Coding::Plain));
            pictures.push_back(std::move(p));
        }
        builder.AddBlock(frames).AddEmpty(uint32_t(rng() % 3));
    }
    TempDir dir;
    const std::string out = dir.File("out");
    const CliResult r = RunCli({"--show-tiny", WriteArchive(dir, builder), out});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto built = builder.Build();
    for (size_t b = 0; b < blocks.size(); ++b)
        for (uint32_t f = 0; f < blocks[b].size(); ++f) {
            SCOPED_TRACE(std::to_string(b) + "/" + std::to_string(f));
            EXPECT_TRUE(ReadFileBytes(ExportFileName(out + "/", built.Blocks[b].Entry, f, ".bmp")) ==
                        ReferenceBmp(blocks[b][f]));
        }
}

}  // namespace
}  // namespace tessaron::testing

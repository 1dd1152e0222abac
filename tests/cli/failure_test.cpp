// Archives that cannot be used, frames that cannot be read or decoded, and
// files that cannot be written: exit status, the message, and what is left.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "cli_test_util.h"
#include "fixtures.h"
#include "frame.h"
#include "records.h"
#include "reference_bmp.h"

namespace tessaron::testing {
namespace {

using writer::Coding;
using writer::Picture;
using Bytes = std::vector<uint8_t>;

Bytes SmallFrame(uint8_t colour = 0x20) { return writer::EncodeFrame(Picture(8, 8, colour), Coding::Plain); }

writer::ArchiveBuilder TwoBlocks() {
    writer::ArchiveBuilder b;
    b.AddEmpty().AddBlock({SmallFrame(1), SmallFrame(2)}).AddEmpty().AddBlock({SmallFrame(3)});
    return b;
}

// Cases in which the archive cannot be used at all: nothing is written and
// the output folder is not even made.
TEST(CliFailure, UnusableArchivesWriteNothing) {
    struct Case {
        const char* name;
        std::function<Bytes()> bytes;  // null: no file at all
        std::vector<std::string> options;
        const char* message;
    };
    const Case cases[] = {
        {"missing file", nullptr, {}, "cannot open"},
        {"empty file", [] { return Bytes(); }, {}, "is not an FLX archive: it is 0 bytes long"},
        {"exactly 128 bytes with a good header",
         [] {
             Bytes b = TwoBlocks().Bytes();
             b.resize(128);
             return b;
         },
         {},
         "is not an FLX archive: it is 128 bytes long"},
        {"signature broken at its last byte",
         [] {
             const uint8_t x[] = {0x1B};
             return TwoBlocks().PatchHeader(81, x).Bytes();
         },
         {}, "is not an FLX archive: header byte 81 is 0x1B"},
        {"a text file",
         [] { return Bytes(300, 'a'); }, {}, "is not an FLX archive: header byte 12"},
        {"entry table cut short",
         [] { return TwoBlocks().SetStoredEntryCount(1000).Bytes(); }, {},
         "entry table of 1000 entries ends at byte 8128"},
        {"four billion entries",
         [] { return TwoBlocks().SetStoredEntryCount(0xFFFFFFFFu).Bytes(); }, {},
         "entry table of 4294967295 entries"},
        {"block beyond the end of the file",
         [] { return TwoBlocks().AddRawEntry(1000000, 10).Bytes(); }, {},
         "the block of entry 4 (at byte 1000000)"},
        {"frame table cut short",
         [] {
             writer::BlockOptions o;
             o.StoredFrameCount = 5000;
             return writer::ArchiveBuilder().AddEmpty(2).AddBlock({SmallFrame()}, o).Bytes();
         },
         {}, "the block of entry 2"},
        {"block header cut short",
         [] {
             // A block whose 6-byte header starts 3 bytes before the end.
             const uint32_t length = uint32_t(TwoBlocks().AddRawEntry(0, 1).Bytes().size());
             return TwoBlocks().AddRawEntry(length - 3, 6).Bytes();
         },
         {}, "is cut short: the block of entry 4"},
        {"--block of an empty entry", [] { return TwoBlocks().Bytes(); }, {"--block", "2"},
         "no block at entry 2: that entry is empty"},
        {"--block past the table", [] { return TwoBlocks().Bytes(); }, {"--block", "1f"},
         "no entry 1F: it has 4 entries"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string archive = c.bytes ? WriteFile(dir, "a.flx", c.bytes()) : dir.File("missing.flx");
        const std::string out = dir.File("out");
        for (bool list : {false, true}) {
            std::vector<std::string> args = c.options;
            if (list) args.push_back("--list");
            args.push_back(archive);
            if (!list) args.push_back(out);
            const CliResult r = RunCli(args);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
            EXPECT_EQ(r.err.rfind("tessaron-export: ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

TEST(CliFailure, AFolderOrDeviceIsNoArchive) {
    TempDir dir;
    const CliResult folder = RunCli({dir.Path().string(), dir.File("out")});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("it is a folder"), std::string::npos);
    const CliResult device = RunCli({"/dev/null", dir.File("out")});
    EXPECT_EQ(device.status, 1);
    EXPECT_NE(device.err.find("not a regular file"), std::string::npos);
}

// Frames that cannot be read whole or decoded are named and skipped; the
// rest is written.
TEST(CliFailure, BadFramesAreSkippedAndNamed) {
    writer::FrameRecord pastEnd(SmallFrame(5));
    pastEnd.StoredSize = 1u << 30;
    // Claims 50 rows but holds only its header and a few bytes.
    const Bytes shortRecord = writer::AssembleRecord(0, 4, 50, std::vector<Bytes>(50));
    const Bytes truncated(shortRecord.begin(), shortRecord.begin() + 60);
    const Bytes huge = writer::AssembleRecord(0, 0xFFFFFFF0u, 1, {{255}});  // tiny: 33 bytes

    writer::ArchiveBuilder builder;
    builder.AddBlock({SmallFrame(1), pastEnd, truncated, huge, SmallFrame(6)});
    TempDir dir;
    const std::string archive = WriteArchive(dir, builder);
    const std::string out = dir.File("out");

    const CliResult r = RunCli({"--show-tiny", archive, out});
    EXPECT_EQ(r.status, 1);
    const auto lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 4u) << r.err;
    EXPECT_NE(lines[0].find("frame 000-001 (000_001.bmp) skipped: its record of 1073741824 bytes"),
              std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("runs past the end of the archive"), std::string::npos);
    EXPECT_NE(lines[1].find("frame 000-002 (000_002.bmp) skipped: its record of 60 bytes is shorter than "
                            "its header and line table"),
              std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("frame 000-003 (000_003.bmp) skipped: its size of 4294967280 by 1"),
              std::string::npos) << lines[2];
    EXPECT_EQ(lines[3], "tessaron-export: 2 files written, 3 frames skipped");
    EXPECT_EQ(ListFiles(out), (std::vector<std::string>{"000_000.bmp", "000_004.bmp"}));
    EXPECT_EQ(ReadFileBytes(out + "/000_004.bmp"), ReferenceBmp(Picture(8, 8, 6)));

    // Raw export needs only the bytes: the short and huge records are
    // written as stored, the one past the end is still skipped.
    const std::string rawOut = dir.File("raw");
    const CliResult raw = RunCli({"--raw", "--show-tiny", archive, rawOut});
    EXPECT_EQ(raw.status, 1);
    EXPECT_EQ(Lines(raw.err).size(), 2u) << raw.err;
    EXPECT_EQ(ListFiles(rawOut),
              (std::vector<std::string>{"000_000.res", "000_002.res", "000_003.res", "000_004.res"}));
    EXPECT_EQ(ReadFileBytes(rawOut + "/000_002.res"), truncated);
    EXPECT_EQ(ReadFileBytes(rawOut + "/000_003.res"), huge);
}

// A file that cannot be written stops the run there, as in the viewer; what
// was written stays.
TEST(CliFailure, AFileThatCannotBeWrittenStopsTheRun) {
    TempDir dir;
    const std::string archive = WriteArchive(dir, TwoBlocks());
    const std::string out = dir.File("out");
    // A folder in the way of the second file's name.
    std::filesystem::create_directories(out + "/001_001.bmp");
    const CliResult r = RunCli({archive, out});
    EXPECT_EQ(r.status, 1);
    const auto lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 2u) << r.err;
    EXPECT_EQ(lines[0], "tessaron-export: Cannot create file " + out + "/001_001.bmp");
    EXPECT_EQ(lines[1], "tessaron-export: 1 file written; stopped at a file that could not be written");
    EXPECT_TRUE(std::filesystem::exists(out + "/001_000.bmp"));
    EXPECT_FALSE(std::filesystem::exists(out + "/003_000.bmp"));
    // No temporary files are left behind.
    EXPECT_EQ(ListFiles(out), (std::vector<std::string>{"001_000.bmp"}));
}

TEST(CliFailure, AnOutputFolderThatCannotBeMade) {
    TempDir dir;
    const std::string archive = WriteArchive(dir, TwoBlocks());
    ASSERT_TRUE(writer::WriteFileBytes(dir.File("file"), Bytes{1}));
    for (const std::string& out : {dir.File("file"), dir.File("file/sub")}) {
        const CliResult r = RunCli({archive, out});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind("tessaron-export: cannot create folder " + out + ": ", 0), 0u) << r.err;
        EXPECT_EQ(Lines(r.err).size(), 1u);
    }
}

}  // namespace
}  // namespace tessaron::testing

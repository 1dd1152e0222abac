// Exports with several jobs: the same files, the same messages in the same
// order, and the same stop at a file that cannot be written, whatever the
// number of jobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "cli_test_util.h"
#include "fixtures.h"
#include "frame.h"
#include "records.h"

namespace tessaron::testing {
namespace {

using writer::Coding;
using Bytes = std::vector<uint8_t>;

// Blocks of frames of many sizes in both codings, tiny frames, empty
// entries, a record cut short (height beyond its line table), a frame too
// large to decode, and a frame table entry pointing past the end of the
// file.
writer::ArchiveBuilder MixedArchive() {
    std::mt19937 rng(2024);
    writer::ArchiveBuilder b;
    for (int block = 0; block < 12; ++block) {
        if (block % 4 == 1) b.AddEmpty();
        std::vector<writer::FrameRecord> frames;
        const int count = 1 + int(rng() % 25);
        for (int f = 0; f < count; ++f) {
            const uint32_t kind = rng() % 20;
            if (kind == 0) {
                frames.emplace_back(writer::EncodeFrame(writer::Picture(1, 1, 0x10), Coding::Runs));  // tiny
            } else if (kind == 1) {
                Bytes broken = writer::EncodeFrame(RandomPicture(rng, 40, 40), Coding::Plain);
                writer::PutLE32(broken, 16, 100000);  // a height the record cannot hold
                frames.emplace_back(broken);
            } else if (kind == 2) {
                writer::FrameRecord past(writer::EncodeFrame(RandomPicture(rng, 20, 20), Coding::Runs));
                past.StoredSize = 1u << 30;  // runs past the end of the archive
                frames.push_back(past);
            } else {
                frames.emplace_back(writer::EncodeFrame(RandomPicture(rng, 90, 70), rng() % 2 ? Coding::Runs : Coding::Plain));
            }
        }
        b.AddBlock(std::move(frames));
    }
    return b;
}

struct Export {
    CliResult result;
    std::vector<std::string> files;
    std::vector<Bytes> contents;
};

Export RunExport(const std::string& archive, const std::string& out, std::vector<std::string> options) {
    Export e;
    options.push_back(archive);
    options.push_back(out);
    e.result = RunCli(options);
    e.files = ListFiles(out);
    for (const auto& name : e.files) e.contents.push_back(ReadFileBytes(out + "/" + name));
    return e;
}

TEST(ParallelExport, SameFilesAndMessagesWhateverTheNumberOfJobs) {
    TempDir dir;
    const std::string archive = WriteArchive(dir, MixedArchive());
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, {"--show-tiny"}, {"--raw"}, {"--block", "5"}}) {
        SCOPED_TRACE(::testing::PrintToString(options));
        auto with = [&](const char* jobs) {
            auto o = options;
            o.insert(o.begin(), {"--jobs", jobs});
            return o;
        };
        const Export one = RunExport(archive, dir.File("one"), with("1"));
        ASSERT_EQ(one.result.status, 1);  // the damaged frames are skipped
        ASSERT_GT(one.files.size(), 20u);
        EXPECT_NE(one.result.err.find("skipped"), std::string::npos);
        for (const char* jobs : {"2", "3", "8", "64"}) {
            const std::string out = dir.File(std::string("jobs") + jobs);
            const Export many = RunExport(archive, out, with(jobs));
            EXPECT_EQ(many.result.status, one.result.status) << jobs;
            // The messages name the other folder; otherwise they are the same, in the same order.
            std::string err = many.result.err;
            for (size_t at; (at = err.find(out)) != std::string::npos;) err.replace(at, out.size(), dir.File("one"));
            EXPECT_EQ(err, one.result.err) << jobs;
            EXPECT_EQ(many.files, one.files) << jobs;
            EXPECT_TRUE(many.contents == one.contents) << jobs;
        }
    }
}

// Progress reaches the reporter once per frame, in order, from the calling
// thread, with skipped frames reported before the progress step of their own
// frame.
class RecordingReporter : public cli::Reporter {
public:
    std::vector<std::string> events;
    void Progress(size_t done, size_t total) override {
        events.push_back(std::to_string(done) + "/" + std::to_string(total));
    }
    void Problem(const std::string& message) override { events.push_back(message); }
};

TEST(ParallelExport, ProgressAndProblemsInFrameOrder) {
    TempDir dir;
    const std::string archive = WriteArchive(dir, MixedArchive());
    std::vector<std::string> reference;
    for (unsigned jobs : {1u, 2u, 5u}) {
        cli::Options options;
        options.Archive = archive;
        options.OutDir = dir.File("out" + std::to_string(jobs));
        options.Jobs = jobs;
        RecordingReporter reporter;
        std::ostringstream out;
        EXPECT_EQ(cli::Run(options, out, reporter), 1);
        for (auto& e : reporter.events)
            if (auto at = e.find(options.OutDir); at != std::string::npos) e.replace(at, options.OutDir.size(), "OUT");
        if (reference.empty()) {
            reference = reporter.events;
            // One progress step per frame, counting up.
            size_t steps = 0;
            for (const auto& e : reference) {
                if (e.find('/') != std::string::npos && e.find(' ') == std::string::npos) {
                    EXPECT_EQ(e.substr(0, e.find('/')), std::to_string(++steps));
                }
            }
            EXPECT_GT(steps, 20u);
        } else {
            EXPECT_EQ(reporter.events, reference) << jobs << " jobs";
        }
    }
}

// A file that cannot be put in place stops the run at that frame with any
// number of jobs: the files before it are written, none after it, and no
// temporary file is left.
TEST(ParallelExport, AFileThatCannotBeWrittenStopsEveryRunAtTheSameFrame) {
    TempDir dir;
    writer::ArchiveBuilder b;
    std::mt19937 rng(5);
    std::vector<writer::FrameRecord> frames;
    for (int f = 0; f < 200; ++f) {
        writer::Picture picture(40, 30, 0x20);
        FillRandomly(rng, picture);
        frames.emplace_back(writer::EncodeFrame(picture, Coding::Runs));
    }
    b.AddBlock(std::move(frames));
    const std::string archive = WriteArchive(dir, b);
    std::vector<std::string> expected;
    for (const char* jobs : {"1", "2", "4", "16"}) {
        const std::string out = dir.File(std::string("out") + jobs);
        std::filesystem::create_directories(out + "/000_01e.bmp/inside");  // a folder in the way of frame 30
        const CliResult r = RunCli({"--jobs", jobs, archive, out});
        EXPECT_EQ(r.status, 1) << jobs;
        const auto lines = Lines(r.err);
        ASSERT_EQ(lines.size(), 2u) << r.err;
        EXPECT_EQ(lines[0], "tessaron-export: Cannot create file " + out + "/000_01e.bmp");
        EXPECT_EQ(lines[1], "tessaron-export: 30 files written; stopped at a file that could not be written");
        auto files = ListFiles(out);
        ASSERT_EQ(files.size(), 30u) << jobs;  // the folder in the way is not a regular file
        EXPECT_EQ(files.front(), "000_000.bmp");
        EXPECT_EQ(files.back(), "000_01d.bmp");
        // Nothing else in the folder: no temporary files.
        EXPECT_EQ(size_t(std::distance(std::filesystem::directory_iterator(out), {})), 31u) << jobs;
    }
}

}  // namespace
}  // namespace tessaron::testing

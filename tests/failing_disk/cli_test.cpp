// tessaron-export on a failing disk, started as a user would start it: it
// says "Stream write error" or "Cannot create file ...", stops there, leaves
// no partial or temporary file, and keeps an existing file of the same name.
#include <filesystem>

#include <gtest/gtest.h>

#include "fixtures.h"
#include "frame.h"
#include "limited_child.h"

namespace tessaron::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const Bytes kExisting(100, 0x3C);

Bytes NoisyFrame(uint32_t side, uint32_t seed) {
    std::mt19937 rng(seed);
    writer::Picture picture(side, side, 0);
    for (uint8_t& p : picture.Pixels) p = uint8_t(rng());  // noise: no coding makes it small
    return writer::EncodeFrame(picture, writer::Coding::Plain);
}

// Entry 0: a small frame, a large one, a small one.  Entry 1: a large frame.
// Small frames' files take a few hundred bytes to 1.2 KB, large ones 10 KB
// and more in every format.
writer::ArchiveBuilder Archive() {
    writer::ArchiveBuilder b;
    b.AddBlock({NoisyFrame(8, 1), NoisyFrame(100, 2), NoisyFrame(8, 3)}).AddBlock({NoisyFrame(100, 4)});
    return b;
}

struct Case {
    const char* name;
    std::vector<std::string> options;
    const char* extension;
    const char* failingFile;               // holds kExisting before and after
    std::vector<const char*> writtenFirst;  // complete files written before the failure
};

const Case kCases[] = {
    {"BatchBmp", {}, ".bmp", "000_001", {"000_000"}},
    {"BatchRaw", {"--raw"}, ".res", "000_001", {"000_000"}},
    {"BatchPng", {"--format", "png"}, ".png", "000_001", {"000_000"}},
    {"BatchBmpInParallel", {"--jobs", "3"}, ".bmp", "000_001", {"000_000"}},
    {"BatchRawInParallel", {"--raw", "--jobs", "2"}, ".res", "000_001", {"000_000"}},
    {"SingleFrameBmp", {"--block", "1"}, ".bmp", "001_000", {}},
    {"SingleFrameRaw", {"--raw", "--block", "1"}, ".res", "001_000", {}},
};

struct Scene {
    TempDir dir;
    std::string archive = WriteArchive(dir, Archive());
    std::string out = dir.File("out");
    std::string reference = dir.File("reference");
};

std::vector<std::string> Command(const Case& c, const std::string& archive, const std::string& out) {
    std::vector<std::string> argv = {TESSARON_EXPORT_TOOL};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.push_back(archive);
    argv.push_back(out);
    return argv;
}

// The output folder holds the files written before the failure, exactly as
// a run with room enough writes them, and the existing file untouched.
void ExpectFolderAfterFailure(const Case& c, const Scene& s) {
    std::vector<FolderEntry> expected;
    for (const char* name : c.writtenFirst) {
        const std::string file = std::string(name) + c.extension;
        expected.push_back({file, ReadFileBytes(s.reference + "/" + file)});
    }
    expected.push_back({std::string(c.failingFile) + c.extension, kExisting});
    EXPECT_EQ(Snapshot(s.out), expected);
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ExportOnAFailingDisk : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        const Case& c = GetParam();
        const ChildResult ref = RunProgramWithFileSizeLimit(std::nullopt, Command(c, s.archive, s.reference));
        ASSERT_EQ(ref.Status, 0) << ref.Output;
        ASSERT_GT(fs::file_size(s.reference + "/" + c.failingFile + c.extension), 5000u);
        fs::create_directory(s.out);
        WriteFile(s.dir, std::string("out/") + c.failingFile + c.extension, kExisting);
    }
    Scene s;
};

TEST_P(ExportOnAFailingDisk, FileSizeLimit) {
    const Case& c = GetParam();
    const ChildResult r = RunProgramWithFileSizeLimit(5000, Command(c, s.archive, s.out));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Output.rfind("tessaron-export: Stream write error", 0), 0u) << r.Output;
    EXPECT_NE(r.Output.find("stopped at a file that could not be written"), std::string::npos) << r.Output;
    ExpectFolderAfterFailure(c, s);
}

TEST_P(ExportOnAFailingDisk, ReadOnlyFolder) {
    if (!PermissionsApply()) GTEST_SKIP() << "root ignores folder permissions";
    const Case& c = GetParam();
    fs::permissions(s.out, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const ChildResult r = RunProgramWithFileSizeLimit(std::nullopt, Command(c, s.archive, s.out));
    EXPECT_EQ(r.Status, 1);
    const std::string first = std::string(c.writtenFirst.empty() ? c.failingFile : c.writtenFirst[0]) + c.extension;
    EXPECT_EQ(r.Output.rfind("tessaron-export: Cannot create file " + s.out + "/" + first + "\n", 0), 0u)
        << r.Output;
    EXPECT_EQ(Snapshot(s.out), (std::vector<FolderEntry>{{std::string(c.failingFile) + c.extension, kExisting}}));
}

INSTANTIATE_TEST_SUITE_P(Table, ExportOnAFailingDisk, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
}  // namespace tessaron::testing

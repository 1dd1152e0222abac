// The format core's two writers (a frame image saved as BMP, a record saved
// raw) on a failing disk.  Each write goes to a temporary file beside the
// target and is renamed over it only when complete, so a failure reports
// itself and leaves the folder exactly as it was.
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "errors.h"
#include "fixtures.h"
#include "frame.h"
#include "image.h"
#include "limited_child.h"

namespace tessaron::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const Bytes kExisting(100, 0x3C);

Spr DecodedFrame() {
    // Noise, so that the record is as large as the image (over 4 KB).
    std::mt19937 rng(7);
    writer::Picture picture(64, 64, 0);
    for (uint8_t& p : picture.Pixels) p = uint8_t(rng());
    Spr sprite;
    sprite.LoadFromBytes(writer::EncodeFrame(picture, writer::Coding::Plain));
    sprite.Decode();
    return sprite;
}

struct Writer {
    const char* name;
    std::function<void(const std::string& path)> write;
};
const Writer kWriters[] = {
    {"Bmp", [](const std::string& path) { BuildFrameImage(DecodedFrame())->SaveToFile(path); }},
    {"Raw", [](const std::string& path) { DecodedFrame().SaveRaw(path); }},
};

// A failing disk: how the target is set up, the limit, and what the writer
// must then report.
struct Failure {
    const char* name;
    std::optional<uint64_t> fileSizeLimit;
    bool needsPermissions;
    // Makes the situation inside `dir` and returns the target path.
    std::function<std::string(const TempDir& dir)> prepare;
    bool writeError;  // "Stream write error"; otherwise "Cannot create file <path>"
};

std::string ExistingTarget(const TempDir& dir) {
    WriteFile(dir, "000_000.out", kExisting);
    return dir.File("000_000.out");
}

const Failure kFailures[] = {
    {"FileSizeLimitPartWay", 2000, false, ExistingTarget, true},
    {"FileSizeLimitOfZero", 0, false, ExistingTarget, true},
    {"PathUnderARegularFile", std::nullopt, false,
     [](const TempDir& dir) { WriteFile(dir, "plain", kExisting); return dir.File("plain/000_000.out"); }, false},
    {"FolderInTheWay", std::nullopt, false,
     [](const TempDir& dir) { fs::create_directory(dir.File("000_000.out")); return dir.File("000_000.out"); },
     false},
    {"ReadOnlyFolder", std::nullopt, true,
     [](const TempDir& dir) {
         const std::string path = ExistingTarget(dir);
         fs::permissions(dir.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                         fs::perm_options::remove);
         return path;
     },
     false},
};

void PrintTo(const Writer& w, std::ostream* os) { *os << w.name; }
void PrintTo(const Failure& f, std::ostream* os) { *os << f.name; }

class CoreOnAFailingDisk : public ::testing::TestWithParam<std::tuple<Writer, Failure>> {};

TEST_P(CoreOnAFailingDisk, ReportsAndLeavesTheFolderAsItWas) {
    const auto& [writer, failure] = GetParam();
    if (failure.needsPermissions && !PermissionsApply()) GTEST_SKIP() << "root ignores folder permissions";
    TempDir dir;
    const std::string path = failure.prepare(dir);
    const auto before = Snapshot(dir.Path().string());

    const ChildResult r = RunWithFileSizeLimit(failure.fileSizeLimit, [&]() -> std::string {
        try {
            writer.write(path);
        } catch (const EWriteError& e) {
            return e.what();
        } catch (const EFCreateError& e) {
            return e.what();
        }
        return "written";
    });
    ASSERT_EQ(r.Status, 0);
    EXPECT_EQ(r.Output, failure.writeError ? "Stream write error" : "Cannot create file " + path);
    // No partial file, no temporary left, the existing file intact.
    EXPECT_EQ(Snapshot(dir.Path().string()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoreOnAFailingDisk, ::testing::Combine(::testing::ValuesIn(kWriters), ::testing::ValuesIn(kFailures)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// The same writers with room enough replace the existing file.
TEST(CoreOnAFailingDisk, WithRoomEnoughTheFileIsReplaced) {
    for (const Writer& writer : kWriters) {
        TempDir dir;
        const std::string path = ExistingTarget(dir);
        const ChildResult r = RunWithFileSizeLimit(1 << 20, [&] { writer.write(path); return std::string("written"); });
        EXPECT_EQ(r.Output, "written") << writer.name;
        EXPECT_NE(ReadFileBytes(path), kExisting) << writer.name;
        EXPECT_EQ(ListFiles(dir.Path()), std::vector<std::string>{"000_000.out"}) << writer.name;
    }
}

}  // namespace
}  // namespace tessaron::testing

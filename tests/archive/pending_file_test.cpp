// Files written beside their name and put in place later.
#include <gtest/gtest.h>

#include <filesystem>

#include "bytes.h"
#include "errors.h"
#include "safe_write.h"

namespace tessaron {
namespace {

using testing::Bytes;

size_t EntriesIn(const std::filesystem::path& folder) {
    return size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(PendingFile, AppearsOnlyWhenCommittedAndIsGoneOtherwise) {
    testing::ScratchDir dir;
    const std::string path = dir.File("a.bmp");
    testing::WriteBytes(path, {1, 2, 3});
    const Bytes header{4, 5}, rows{6, 7, 8};
    const std::span<const uint8_t> pieces[] = {header, rows};
    {
        PendingFile pending(path, pieces);
        EXPECT_EQ(testing::ReadBytes(path), (Bytes{1, 2, 3}));  // the old file stays until Commit
    }
    EXPECT_EQ(testing::ReadBytes(path), (Bytes{1, 2, 3}));  // never committed: nothing changed
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    PendingFile pending(path, pieces);
    PendingFile moved = std::move(pending);
    moved.Commit();  // replaces the old file
    EXPECT_EQ(testing::ReadBytes(path), (Bytes{4, 5, 6, 7, 8}));
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    PendingFile fresh(dir.File("b.bmp"), pieces);
    fresh.Commit();  // takes a free name
    EXPECT_EQ(testing::ReadBytes(dir.File("b.bmp")), (Bytes{4, 5, 6, 7, 8}));
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
    EXPECT_EQ(std::filesystem::status(dir.File("b.bmp")).permissions(),
              std::filesystem::status(path).permissions());
}

TEST(PendingFile, ACommitThatFailsLeavesNothingBehind) {
    testing::ScratchDir dir;
    const std::string path = dir.File("in-the-way");
    std::filesystem::create_directories(std::filesystem::path(path) / "inside");
    const Bytes bytes{1};
    const std::span<const uint8_t> pieces[] = {bytes};
    PendingFile pending(path, pieces);
    try {
        pending.Commit();
        FAIL() << "a folder in the way was replaced";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Path(), path);
    }
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);  // only the folder
    EXPECT_THROW(PendingFile(dir.File("missing/a.bmp"), pieces), EFCreateError);
}

}  // namespace
}  // namespace tessaron

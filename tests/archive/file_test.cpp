#include "file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "bytes.h"

namespace tessaron {
namespace {

using testing::Bytes;
using testing::ScratchDir;

bool IsOpenDescriptor(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(TFile, ACopySharesThePositionAndOwnsItsDuplicate) {
    ScratchDir dir;
    testing::WriteBytes(dir.File("a"), Bytes{1, 2, 3, 4, 5, 6});
    TFile file;
    ASSERT_TRUE(file.Open(dir.File("a"), OpenMode::ArchiveRead));
    EXPECT_FALSE(file.Owns);
    EXPECT_EQ(file.Length(), 6);

    int duplicate = -1;
    {
        TFile copy(file);
        duplicate = copy.Handle;
        EXPECT_TRUE(copy.Owns);
        EXPECT_NE(copy.Handle, file.Handle);
        uint8_t two[2];
        EXPECT_EQ(copy.Read(two, 2), 2);
        EXPECT_EQ(file.Position(), 2);  // a read through either moves both
        EXPECT_TRUE(IsOpenDescriptor(duplicate));
    }
    EXPECT_FALSE(IsOpenDescriptor(duplicate));
    EXPECT_TRUE(file.IsOpen());
    uint8_t rest[8];
    EXPECT_EQ(file.Read(rest, 8), 4);  // fewer at the end of the file
    EXPECT_EQ(rest[0], 3);
    EXPECT_EQ(file.Read(rest, 8), 0);
    EXPECT_TRUE(file.Close());
}

TEST(TFile, OpenCloseStates) {
    ScratchDir dir;
    TFile file;
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(file.Length(), -1);
    EXPECT_FALSE(file.Open(dir.File("missing"), OpenMode::ArchiveRead));
    EXPECT_EQ(file.Handle, -1);

    testing::WriteBytes(dir.File("a"), Bytes{9});
    ASSERT_TRUE(file.Open(dir.File("a"), OpenMode::ArchiveRead));
    const int handle = file.Handle;
    EXPECT_FALSE(file.Open(dir.File("a"), OpenMode::ArchiveRead));  // already open: unchanged
    EXPECT_EQ(file.Handle, handle);
    EXPECT_EQ(::fcntl(handle, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.Handle, -1);
    EXPECT_FALSE(IsOpenDescriptor(handle));
}

TEST(TFile, RawWriteCreatesOrEmpties) {
    ScratchDir dir;
    const std::string path = dir.File("out.res");
    testing::WriteBytes(path, Bytes(100, 0xEE));
    {
        TFile file;
        ASSERT_TRUE(file.Open(path, OpenMode::RawWrite));
        const uint8_t three[] = {7, 8, 9};
        EXPECT_EQ(file.Write(three, 3), 3);
        EXPECT_TRUE(file.Close());
    }
    EXPECT_EQ(testing::ReadBytes(path), (Bytes{7, 8, 9}));

    TFile fresh;
    ASSERT_TRUE(fresh.Open(dir.File("new.res"), OpenMode::RawWrite));
    fresh.Close();
    EXPECT_TRUE(std::filesystem::exists(dir.File("new.res")));
}

TEST(TFile, PositionedReadsLeaveTheSharedPositionAlone) {
    ScratchDir dir;
    testing::WriteBytes(dir.File("a"), Bytes{1, 2, 3, 4});
    TFile file;
    ASSERT_TRUE(file.Open(dir.File("a"), OpenMode::ArchiveRead));
    uint8_t b[2];
    EXPECT_EQ(file.ReadAt(b, 2, 2), 2);
    EXPECT_EQ(b[0], 3);
    EXPECT_EQ(file.Position(), 0);
    EXPECT_EQ(file.ReadAt(b, 2, 3), 1);
    file.Close();
}

}  // namespace
}  // namespace tessaron

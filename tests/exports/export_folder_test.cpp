// How an accepted folder text becomes the export folder, and the names the
// exports write under it.
#include <gtest/gtest.h>

#include "export_folder.h"
#include "naming.h"

namespace tessaron {
namespace {

struct NormalizeCase {
    const char* folder;
    const char* expected;
};

class NormalizeExportPathTest : public testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeExportPathTest, GivesOneTrailingSeparatorAndKeepsTheRoot)
{
    EXPECT_EQ(NormalizeExportPath(GetParam().folder), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, NormalizeExportPathTest, testing::Values(
    NormalizeCase{"/home/u/out", "/home/u/out/"},
    NormalizeCase{"/home/u/out/", "/home/u/out/"},
    NormalizeCase{"/home/u//out", "/home/u/out/"},
    NormalizeCase{"/home/u/out///", "/home/u/out/"},
    NormalizeCase{"//server/share/folder", "/server/share/folder/"},
    NormalizeCase{"/", "/"},
    NormalizeCase{"///", "/"},
    NormalizeCase{"out", "out/"},
    NormalizeCase{"out//sub/", "out/sub/"},
    NormalizeCase{"./out", "./out/"},
    NormalizeCase{"../up", "../up/"},
    NormalizeCase{"", "./"},
    NormalizeCase{"/with space/x", "/with space/x/"}));

// The normalised folder is the prefix of every exported name: a second
// normalisation changes nothing.
TEST(NormalizeExportPath, IsIdempotent)
{
    for (const char* folder : {"/a//b/", "rel//x", "///", "", "/"}) {
        const std::string once = NormalizeExportPath(folder);
        EXPECT_EQ(NormalizeExportPath(once), once) << folder;
    }
}

struct NameCase {
    uint32_t entry;
    uint32_t frame;
    const char* extension;
    const char* expected;
};

class ExportNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ExportNameTest, PadsToThreeLowerCaseDigitsAndWritesLongerNumbersInFull)
{
    const NameCase& c = GetParam();
    EXPECT_EQ(ExportFileName("/out/", c.entry, c.frame, c.extension),
              std::string("/out/") + c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ExportNameTest, testing::Values(
    NameCase{0x0, 0x0, ".bmp", "000_000.bmp"},
    NameCase{0xA, 0xF, ".bmp", "00a_00f.bmp"},
    NameCase{0x1A, 0x5, ".bmp", "01a_005.bmp"},
    NameCase{0x123, 0x1F, ".res", "123_01f.res"},
    NameCase{0x1234, 0x0, ".bmp", "1234_000.bmp"},
    NameCase{0xABCDE, 0xFFFF, ".res", "abcde_ffff.res"},
    NameCase{0x2C, 0xBEEF1, ".bmp", "02c_beef1.bmp"}));

// No fixed buffer: a folder far longer than any path limit still gives the
// whole name.
TEST(ExportName, LongFolderIsKeptWhole)
{
    const std::string folder = "/" + std::string(5000, 'd') + "/";
    const std::string name = ExportFileName(folder, 0x2C, 7, ".bmp");
    EXPECT_EQ(name, folder + "02c_007.bmp");
}

}  // namespace
}  // namespace tessaron

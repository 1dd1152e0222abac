#include "naming.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(Naming, TreeAndListTexts) {
    struct Case { uint32_t entry, frame; const char* item; const char* row; };
    const Case cases[] = {
        {0, 0, "0", "000-000"},
        {10, 5, "A", "00A-005"},
        {26, 5, "1A", "01A-005"},
        {255, 0xFFF, "FF", "0FF-FFF"},
        {4096, 0, "1000", "1000-000"},
        {0xFFFFFFFF, 0x1234, "FFFFFFFF", "FFFFFFFF-1234"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BlockItemText(c.entry), c.item);
        EXPECT_EQ(FrameRowName(c.entry, c.frame), c.row);
    }
    EXPECT_EQ(FrameRowSize(1234), "1234");
    EXPECT_EQ(FrameRowSize(4294967295u), "4294967295");
}

TEST(Naming, ExportFileNames) {
    struct Case { uint32_t entry, frame; const char* ext; const char* name; };
    const Case cases[] = {
        {0, 0, ".bmp", "out/000_000.bmp"},
        {0x1A, 5, ".bmp", "out/01a_005.bmp"},
        {0x123, 0x1F, ".res", "out/123_01f.res"},
        {0x1234, 0, ".bmp", "out/1234_000.bmp"},
        {0xABCDE, 0xFFFF, ".res", "out/abcde_ffff.res"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExportFileName("out/", c.entry, c.frame, c.ext), c.name);

    // A long folder is never cut short.
    const std::string folder = "/" + std::string(500, 'd') + "/";
    EXPECT_EQ(ExportFileName(folder, 1, 2, ".bmp"), folder + "001_002.bmp");
}

TEST(Naming, TinyFramesAreThoseOf51BytesOrLess) {
    EXPECT_FALSE(IsVisibleFrame(0, false));
    EXPECT_FALSE(IsVisibleFrame(51, false));
    EXPECT_TRUE(IsVisibleFrame(52, false));
    EXPECT_TRUE(IsVisibleFrame(0xFFFFFFFF, false));
    EXPECT_TRUE(IsVisibleFrame(0, true));
    EXPECT_TRUE(IsVisibleFrame(51, true));
}

}  // namespace
}  // namespace tessaron

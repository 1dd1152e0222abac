#include "palette.h"

#include <cstring>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(Palette, RecordLayout) {
    const TLogPalette p = MakeSpritePalette();
    uint8_t bytes[1028];
    std::memcpy(bytes, &p, sizeof bytes);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 0x0300);
    EXPECT_EQ(bytes[2] | bytes[3] << 8, 256);
    // Entry 0x44 (the background) is a strong green.
    EXPECT_EQ(bytes[4 + 4 * 0x44 + 0], 0x00);
    EXPECT_EQ(bytes[4 + 4 * 0x44 + 1], 0xB4);
    EXPECT_EQ(bytes[4 + 4 * 0x44 + 2], 0x0C);
    EXPECT_EQ(std::memcmp(&p, &SpritePalette, sizeof p), 0);
}

TEST(Palette, EntriesAreSixBitColoursWithoutFlags) {
    const struct { int index; uint32_t rgb; } samples[] = {
        {0x00, 0x000000}, {0x01, 0xFCFCBC}, {0x0F, 0xFCFCD4}, {0x10, 0xFCFCFC},
        {0x7F, 0x04080C}, {0xA0, 0xFC780C}, {0xFE, 0xFC3000}, {0xFF, 0x30B8AC},
    };
    for (const auto& s : samples) {
        const TPaletteEntry& e = SpritePalette.Entries[s.index];
        EXPECT_EQ(uint32_t(e.Red << 16 | e.Green << 8 | e.Blue), s.rgb) << s.index;
    }
    for (const TPaletteEntry& e : SpritePalette.Entries) {
        EXPECT_EQ(e.Flags, 0);
        EXPECT_EQ(e.Red % 4, 0);
        EXPECT_EQ(e.Green % 4, 0);
        EXPECT_EQ(e.Blue % 4, 0);
    }
}

}  // namespace
}  // namespace tessaron

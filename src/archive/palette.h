// The built-in 256-colour palette with which every frame is drawn.
#pragma once

#include <cstdint>

namespace tessaron {

struct TPaletteEntry {
    uint8_t Red, Green, Blue, Flags;
};

// A logical palette record: version, entry count and 256 entries (1028 bytes).
struct TLogPalette {
    uint16_t Version;
    uint16_t NumEntries;
    TPaletteEntry Entries[256];
};
static_assert(sizeof(TLogPalette) == 1028);

// The game's colours, 0xRRGGBB per index.
extern const uint32_t kSpriteColours[256];

// Builds the palette record: version 0x0300, 256 entries, flags 0.
TLogPalette MakeSpritePalette();

// The palette every frame image uses; built once, only read afterwards.
extern const TLogPalette SpritePalette;

}  // namespace tessaron

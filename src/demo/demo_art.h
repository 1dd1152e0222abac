// The sprites of the demo archive, drawn in code with the palette's colours.
#pragma once

#include <cstdint>
#include <vector>

#include "frame_encoder.h"

namespace tessaron::demo {

constexpr uint32_t kFigureWidth = 35;
constexpr uint32_t kFigureHeight = 80;

// A wanderer with a staff, standing, 35 by 80 pixels; the demo archive
// keeps it as frame 0 of entry 1, and the About window shows it.
writer::Picture StandingFigure();
// The wanderer, without the staff, in one of four walking steps (0 to 3).
writer::Picture WalkingFigure(int step);

// Square 32 by 32 ground tiles.
enum class Ground { Grass, Stone, Water, Sand, Brick, Planks, Lava };
writer::Picture GroundTile(Ground ground);
// A 64 by 32 diamond of the same ground, for isometric maps.
writer::Picture DiamondTile(Ground ground);

// One row of the palette (16 indices from 16 * row) as bands, 64 by 16.
writer::Picture PaletteRow(uint32_t row);
// All 256 indices as a 16 by 16 chart of 8 by 8 cells.
writer::Picture PaletteChart();
// A ramp wider than a skip byte can pass: `width` by 12.
writer::Picture WideRamp(uint32_t width, uint8_t first, uint8_t last);
// A narrow, tall ramp.
writer::Picture TallRamp(uint32_t height, uint8_t first, uint8_t last);

enum class Item { Coin, Gem, Potion, Key, Sword, Shield, Tree, Rock, Mushroom, Chest };
writer::Picture ItemSprite(Item item);

// A digit from 0 to 9 in a blocky 12 by 20 face.
writer::Picture Digit(int digit);

// A small landscape: sky, sun, hills and a lake, 200 by 120.
writer::Picture Landscape();

// Animation frames.
writer::Picture SpinningCoin(int step);  // 0 to 7
writer::Picture GlowingOrb(int step);    // 0 to 5
writer::Picture Sparkle(int step);       // 0 to 23, sizes 3 to 9

}  // namespace tessaron::demo

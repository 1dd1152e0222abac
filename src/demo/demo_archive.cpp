#include "demo_archive.h"

#include <algorithm>
#include <vector>

#include "demo_art.h"
#include "frame.h"
#include "frame_encoder.h"

namespace tessaron::demo {
namespace {

using writer::Coding;
using writer::FrameRecord;
using writer::Picture;

// The words the format leaves to the game; the demo stores an anchor point
// (bottom centre) there, which readers carry along without looking at it.
writer::HeaderWords Anchor(const Picture& p) {
    return {0, 0, p.Width / 2, p.Height > 0 ? p.Height - 1 : 0};
}

FrameRecord Encode(const Picture& p, Coding coding) { return writer::EncodeFrame(p, coding, Anchor(p)); }

// Both codings of one picture.
std::vector<FrameRecord> BothCodings(const Picture& p) {
    return {Encode(p, Coding::Plain), Encode(p, Coding::Runs)};
}

// Frames coded plain and with runs in turn.
std::vector<FrameRecord> Alternating(const std::vector<Picture>& pictures) {
    std::vector<FrameRecord> frames;
    for (size_t i = 0; i < pictures.size(); ++i)
        frames.push_back(Encode(pictures[i], i % 2 ? Coding::Runs : Coding::Plain));
    return frames;
}

Picture Recoloured(Picture p, std::initializer_list<std::pair<uint8_t, uint8_t>> swaps) {
    for (uint8_t& px : p.Pixels)
        for (const auto& [from, to] : swaps)
            if (px == from) {
                px = to;
                break;
            }
    return p;
}

std::vector<FrameRecord> WandererBlock() {
    std::vector<FrameRecord> frames = BothCodings(StandingFigure());
    for (int step = 0; step < 4; ++step)
        frames.push_back(Encode(WalkingFigure(step), step % 2 ? Coding::Runs : Coding::Plain));
    return frames;
}

std::vector<FrameRecord> GroundBlock(Ground ground) {
    std::vector<FrameRecord> frames = BothCodings(GroundTile(ground));
    frames.push_back(Encode(DiamondTile(ground), Coding::Runs));
    return frames;
}

// A line of `width` literal pixels in one row, coded plain: its record is
// 28 + 4 + 2 + width bytes, so widths 17 and 18 sit on either side of the
// tiny-frame limit of 51 bytes.
FrameRecord Line(uint32_t width) {
    Picture p(width, 1, 0);
    for (uint32_t x = 0; x < width; ++x) p.Pixels[x] = uint8_t(0x10 + x % 15);
    return Encode(p, Coding::Plain);
}

std::vector<FrameRecord> TinyBlock() {
    Picture dot(1, 1, 0x42);
    Picture square(2, 2, 0xE4);
    Picture plus(3, 3, BackgroundIndex);
    for (int i = 0; i < 3; ++i) plus.At(1, i) = plus.At(i, 1) = 0xFF;
    return {
        Encode(Picture(0, 0, 0), Coding::Plain),  // no pixels at all: 28 bytes
        Encode(dot, Coding::Plain),               // 35 bytes
        Encode(square, Coding::Plain),            // 44 bytes
        Encode(plus, Coding::Runs),               // 51 bytes
        Line(17),                                 // 51 bytes: still tiny
        Line(18),                                 // 52 bytes: listed
        Encode(ItemSprite(Item::Coin), Coding::Runs),
    };
}

}  // namespace

writer::ArchiveBuilder DemoArchive() {
    writer::ArchiveBuilder a;
    a.AddEmpty();                  // 0x00
    a.AddBlock(WandererBlock());   // 0x01
    a.AddEmpty();                  // 0x02
    for (Ground g : {Ground::Grass, Ground::Stone, Ground::Water, Ground::Sand, Ground::Brick,
                     Ground::Planks, Ground::Lava})
        a.AddBlock(GroundBlock(g));  // 0x03 to 0x09
    a.AddEmpty(2);                   // 0x0A, 0x0B

    std::vector<Picture> rows;
    for (uint32_t r = 0; r < 16; ++r) rows.push_back(PaletteRow(r));
    a.AddBlock(Alternating(rows));                 // 0x0C
    a.AddBlock(BothCodings(PaletteChart()));       // 0x0D
    a.AddBlock(Alternating({WideRamp(320, 0x10, 0x1E), WideRamp(300, 0x60, 0x6F),
                            WideRamp(512, 0xE0, 0xFA), WideRamp(256, 0x80, 0x87)}));  // 0x0E
    a.AddBlock(Alternating({TallRamp(300, 0x30, 0x3E), TallRamp(64, 0xC0, 0xCF)}));  // 0x0F
    a.AddEmpty(3);                                 // 0x10 to 0x12

    for (Item item : {Item::Coin, Item::Gem, Item::Potion, Item::Key, Item::Sword, Item::Shield,
                      Item::Tree, Item::Rock, Item::Mushroom, Item::Chest})
        a.AddBlock(BothCodings(ItemSprite(item)));  // 0x13 to 0x1C
    a.AddEmpty();                                   // 0x1D

    std::vector<Picture> digits;
    for (int d = 0; d < 10; ++d) digits.push_back(Digit(d));
    a.AddBlock(Alternating(digits));             // 0x1E
    a.AddBlock(BothCodings(Landscape()));        // 0x1F

    std::vector<Picture> coin, orb, sparkles;
    for (int i = 0; i < 8; ++i) coin.push_back(SpinningCoin(i));
    for (int i = 0; i < 6; ++i) orb.push_back(GlowingOrb(i));
    for (int i = 0; i < 24; ++i) sparkles.push_back(Sparkle(i));
    a.AddBlock(Alternating(coin));      // 0x20
    a.AddBlock(Alternating(orb));       // 0x21
    a.AddBlock(Alternating(sparkles));  // 0x22
    a.AddEmpty();                       // 0x23
    a.AddBlock(TinyBlock());            // 0x24 (kTinyEntry)
    a.AddBlock({});                     // 0x25: a block without frames
    a.AddEmpty();                       // 0x26

    const Picture figure = StandingFigure();
    a.AddBlock(Alternating({Recoloured(figure, {{0x40, 0x43}, {0x41, 0xF4}}),
                            Recoloured(figure, {{0x40, 0x45}, {0x41, 0x86}}),
                            Recoloured(figure, {{0x40, 0x16}, {0x41, 0x19}, {0xB9, 0x12}})}));  // 0x27
    a.AddEmpty(8);  // 0x28 to 0x2F: the table may end in empty entries
    return a;
}

}  // namespace tessaron::demo

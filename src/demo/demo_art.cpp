#include "demo_art.h"

#include <algorithm>
#include <cstdlib>

#include "canvas.h"
#include "frame.h"

namespace tessaron::demo {
namespace {

// Colours used below, by palette index.
constexpr uint8_t kOutline = 0x1D;      // near black
constexpr uint8_t kSkin = 0xD1, kSkinShade = 0xD3;
constexpr uint8_t kHair = 0xB9;
constexpr uint8_t kTunic = 0x40, kTunicShade = 0x41;
constexpr uint8_t kBelt = 0xB8, kBuckle = 0x42;
constexpr uint8_t kTrousers = 0x4B, kTrousersShade = 0x4C;
constexpr uint8_t kBoots = 0xBC, kBootsShade = 0xBD;
constexpr uint8_t kStaff = 0xB6, kStaffGem = 0xFF;
constexpr uint8_t kGold = 0x28, kGoldLight = 0x46, kGoldDark = 0x2C;
constexpr uint8_t kWhite = 0x10;

// Leg and arm placement of one pose of the wanderer.
struct Pose {
    int leftLeg = 0, rightLeg = 0;   // horizontal shift of each foot
    int leftArm = 0, rightArm = 0;   // horizontal shift of each hand
    bool staff = true;
};

void DrawLeg(Canvas& c, int hipX, int footShift) {
    // The leg leans from the hip to the shifted foot.
    c.FillTrapezoid(48, 69, hipX, hipX + 4, hipX + footShift, hipX + 4 + footShift, kTrousers);
    c.FillRect(hipX - 1 + footShift, 70, 7, 6, kBoots);
    c.FillRect(hipX - 2 + footShift, 76, 8, 2, kBoots);
}

void DrawArm(Canvas& c, int shoulderX, int handShift) {
    c.FillTrapezoid(19, 40, shoulderX, shoulderX + 3, shoulderX + handShift, shoulderX + 3 + handShift, kTunic);
    c.FillEllipse(shoulderX + 1 + handShift, 43, 2, 2, kSkin);
}

void DrawWanderer(Canvas& c, const Pose& pose) {
    DrawLeg(c, 11, pose.leftLeg);
    DrawLeg(c, 19, pose.rightLeg);
    DrawArm(c, 5, pose.leftArm);
    DrawArm(c, 26, pose.rightArm);
    // Tunic: shoulders to waist, then a skirt that flares to the hem.
    c.FillTrapezoid(19, 38, 9, 25, 10, 24, kTunic);
    c.FillTrapezoid(38, 49, 10, 24, 8, 26, kTunic);
    c.FillTrapezoid(19, 22, 14, 20, 16, 18, kTunicShade);  // neckline
    c.FillRect(10, 36, 15, 3, kBelt);
    c.FillRect(16, 36, 3, 3, kBuckle);
    // Head: hair behind, face in front, a fringe left on top.
    c.FillRect(15, 16, 5, 4, kSkinShade);  // neck
    c.FillEllipse(17, 9, 7, 7, kHair);
    c.FillEllipse(17, 11, 5, 6, kSkin);
    c.FillRect(12, 5, 11, 3, kHair);
    c.Set(15, 11, kOutline);
    c.Set(19, 11, kOutline);
    c.FillRect(16, 14, 3, 1, 0xC6);  // mouth
    if (pose.staff) {
        const int x = 29 + pose.rightArm;
        c.Line(x + 1, 12, x + 1, 77, kStaff);
        c.FillEllipse(x + 1, 10, 2, 2, kStaffGem);
        c.FillEllipse(x, 43, 2, 2, kSkin);  // the hand over the staff
    }
    c.ShadeRightEdges(kTunic, kTunicShade);
    c.ShadeRightEdges(kSkin, kSkinShade);
    c.ShadeRightEdges(kTrousers, kTrousersShade);
    c.ShadeRightEdges(kBoots, kBootsShade);
    c.Outline(kOutline);
}

// A value from `ramp` (lightest first) picked by noise, mostly the middle.
uint8_t Speckle(Noise& n, uint8_t base, uint8_t lighter, uint8_t darker) {
    const uint32_t r = n.Below(10);
    return r == 0 ? lighter : r == 1 ? darker : base;
}

void GrassTile(Canvas& c, Noise& n) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) c.Set(x, y, Speckle(n, 0x94, 0x93, 0x95));
    for (int i = 0; i < 14; ++i) {  // blades
        const int x = int(n.Below(32)), y = int(n.Below(30));
        c.Set(x, y, 0x92);
        c.Set(x, y + 1, 0x96);
    }
}

void StoneTile(Canvas& c, Noise& n) {
    c.FillRect(0, 0, 32, 32, 0x1A);  // mortar
    for (int row = 0; row < 4; ++row) {
        const int shift = row % 2 ? 5 : 0;
        for (int col = -1; col < 3; ++col) {
            const uint8_t tone = uint8_t(0x14 + n.Below(3));
            const int x = col * 12 + shift, y = row * 8;
            c.FillRect(x + 1, y + 1, 10, 6, tone);
            c.FillRect(x + 1, y + 1, 10, 1, uint8_t(tone - 1));  // lit top edge
        }
    }
}

void WaterTile(Canvas& c, Noise& n) {
    static const int wave[8] = {0, 1, 2, 2, 1, 0, -1, -1};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int band = (y + wave[(x / 2) % 8]) / 4;
            c.Set(x, y, uint8_t(0x34 + (band % 3)));
        }
    for (int i = 0; i < 10; ++i) c.FillRect(int(n.Below(29)), int(n.Below(32)), 3, 1, 0x31);
}

void SandTile(Canvas& c, Noise& n) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) c.Set(x, y, Speckle(n, 0xB3, 0xB1, 0xB5));
}

void BrickTile(Canvas& c, Noise& n) {
    c.FillRect(0, 0, 32, 32, 0x13);
    for (int row = 0; row < 4; ++row)
        for (int col = -1; col < 2; ++col) {
            const int x = col * 16 + (row % 2 ? 8 : 0), y = row * 8;
            const uint8_t tone = uint8_t(0x20 + n.Below(2));
            c.FillRect(x + 1, y + 1, 15, 7, tone);
            c.FillRect(x + 1, y + 7, 15, 1, 0x22);
        }
}

void PlanksTile(Canvas& c, Noise& n) {
    for (int p = 0; p < 4; ++p) {
        c.FillRect(p * 8, 0, 7, 32, p % 2 ? 0xB6 : 0xB7);
        c.FillRect(p * 8 + 7, 0, 1, 32, 0xBB);
        for (int i = 0; i < 4; ++i) c.FillRect(p * 8 + 1 + int(n.Below(5)), int(n.Below(28)), 1, 4, 0xB8);
    }
}

void LavaTile(Canvas& c, Noise& n) {
    c.FillRect(0, 0, 32, 32, 0x6C);
    for (int i = 0; i < 9; ++i) {
        const int x = int(n.Below(32)), y = int(n.Below(32)), r = 3 + int(n.Below(4));
        c.FillEllipse(x, y, r, r, 0x68);
        c.FillEllipse(x, y, r - 1, r - 1, 0x63);
        c.FillEllipse(x, y, r - 2, r - 2, 0x62);
    }
}

Canvas GroundCanvas(Ground ground) {
    Canvas c(32, 32);
    Noise n(0x9E3779B9u + uint32_t(ground) * 7919u);
    switch (ground) {
        case Ground::Grass: GrassTile(c, n); break;
        case Ground::Stone: StoneTile(c, n); break;
        case Ground::Water: WaterTile(c, n); break;
        case Ground::Sand: SandTile(c, n); break;
        case Ground::Brick: BrickTile(c, n); break;
        case Ground::Planks: PlanksTile(c, n); break;
        case Ground::Lava: LavaTile(c, n); break;
    }
    return c;
}

uint8_t Lerp(uint8_t first, uint8_t last, uint32_t at, uint32_t span) {
    if (span == 0) return first;
    return uint8_t(int(first) + (int(last) - int(first)) * int(at) / int(span));
}

// A 3 by 5 bitmap per digit, one row per entry, bit 2 the left column.
constexpr uint8_t kDigitRows[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

// Height of the rolling hills at column x: a sum of parabolic bumps, in
// integers so that every machine draws the same picture.
int HillTop(int x, int base, const int (*bumps)[3], int count) {
    int top = base;
    for (int i = 0; i < count; ++i) {
        const int c = bumps[i][0], w = bumps[i][1], a = bumps[i][2];
        const int d = x - c;
        if (std::abs(d) < w) top -= a * (w * w - d * d) / (w * w);
    }
    return top;
}

}  // namespace

writer::Picture StandingFigure() {
    Canvas c(kFigureWidth, kFigureHeight);
    DrawWanderer(c, Pose{});
    return c.Take();
}

writer::Picture WalkingFigure(int step) {
    // Feet apart, passing, apart the other way, passing back.
    static const Pose poses[4] = {
        {-3, 3, 2, -2, false}, {-1, 1, 1, -1, false}, {3, -3, -2, 2, false}, {1, -1, -1, 1, false}};
    Canvas c(kFigureWidth, kFigureHeight);
    DrawWanderer(c, poses[((step % 4) + 4) % 4]);
    return c.Take();
}

writer::Picture GroundTile(Ground ground) { return GroundCanvas(ground).Take(); }

writer::Picture DiamondTile(Ground ground) {
    const Canvas square = GroundCanvas(ground);
    Canvas c(64, 32);
    for (int y = 0; y < 32; ++y) {
        const int half = (y < 16 ? y : 31 - y) * 2 + 2;
        for (int x = 32 - half; x < 32 + half; ++x) c.Set(x, y, square.Get(x % 32, y));
    }
    return c.Take();
}

writer::Picture PaletteRow(uint32_t row) {
    Canvas c(64, 16);
    for (int band = 0; band < 16; ++band) c.FillRect(band * 4, 0, 4, 16, uint8_t(16 * row + band));
    return c.Take();
}

writer::Picture PaletteChart() {
    Canvas c(128, 128);
    for (int i = 0; i < 256; ++i) c.FillRect((i % 16) * 8, (i / 16) * 8, 8, 8, uint8_t(i));
    return c.Take();
}

writer::Picture WideRamp(uint32_t width, uint8_t first, uint8_t last) {
    Canvas c(width, 12);
    for (uint32_t x = 0; x < width; ++x) c.FillRect(int(x), 0, 1, 12, Lerp(first, last, x, width - 1));
    return c.Take();
}

writer::Picture TallRamp(uint32_t height, uint8_t first, uint8_t last) {
    Canvas c(8, height);
    for (uint32_t y = 0; y < height; ++y) c.FillRect(0, int(y), 8, 1, Lerp(first, last, y, height - 1));
    return c.Take();
}

writer::Picture ItemSprite(Item item) {
    Canvas c(24, 24);
    switch (item) {
        case Item::Coin:
            c.FillEllipse(12, 12, 8, 8, kGold);
            c.FillEllipse(12, 12, 5, 5, kGoldDark);
            c.FillEllipse(12, 12, 4, 4, kGold);
            c.FillRect(8, 7, 2, 2, kGoldLight);
            break;
        case Item::Gem:
            c.FillTrapezoid(4, 9, 8, 15, 3, 20, 0xE8);
            c.FillTrapezoid(10, 20, 3, 20, 12, 11, 0xEB);
            c.FillTrapezoid(4, 9, 10, 12, 8, 12, 0xE2);  // facet
            c.Set(9, 6, kWhite);
            break;
        case Item::Potion:
            c.FillRect(10, 2, 4, 3, 0xB7);  // cork
            c.FillRect(10, 5, 4, 5, 0x31);  // neck
            c.FillEllipse(12, 15, 7, 7, 0x31);
            c.FillEllipse(12, 16, 6, 5, 0x82);
            c.FillRect(8, 12, 2, 2, kWhite);
            break;
        case Item::Key:
            c.FillEllipse(6, 12, 4, 4, kGold);
            c.FillEllipse(6, 12, 2, 2, BackgroundIndex);
            c.FillRect(10, 11, 11, 3, kGold);
            c.FillRect(16, 14, 2, 3, kGold);
            c.FillRect(19, 14, 2, 4, kGold);
            break;
        case Item::Sword:
            c.Line(4, 19, 19, 4, 0x12);
            c.Line(5, 19, 20, 4, 0x15);
            c.Line(4, 18, 19, 3, 0x11);
            c.Line(3, 14, 9, 20, kGold);  // guard
            c.Line(1, 22, 4, 19, 0xB9);   // grip
            break;
        case Item::Shield:
            c.FillTrapezoid(2, 13, 3, 20, 4, 19, kGold);
            c.FillTrapezoid(13, 22, 4, 19, 11, 12, kGold);
            c.FillTrapezoid(4, 13, 5, 18, 6, 17, 0x43);
            c.FillTrapezoid(13, 20, 6, 17, 11, 12, 0x43);
            c.FillRect(11, 6, 2, 10, kGold);
            c.FillRect(7, 9, 10, 2, kGold);
            break;
        case Item::Tree:
            c.FillRect(10, 14, 4, 10, 0xBA);
            c.FillEllipse(12, 9, 9, 8, 0x97);
            c.FillEllipse(10, 8, 6, 5, 0x95);
            c.FillEllipse(9, 6, 3, 2, 0x93);
            break;
        case Item::Rock:
            c.FillEllipse(12, 15, 10, 7, 0x17);
            c.FillEllipse(11, 14, 8, 5, 0x16);
            c.FillEllipse(9, 12, 4, 2, 0x13);
            break;
        case Item::Mushroom:
            c.FillRect(9, 12, 6, 10, 0xB1);
            c.FillEllipse(12, 12, 10, 8, 0xF2);
            c.FillRect(0, 13, 24, 11, BackgroundIndex);  // keep the cap's upper half
            c.FillRect(9, 13, 6, 9, 0xB1);
            c.FillEllipse(8, 8, 1, 1, kWhite);
            c.FillEllipse(15, 6, 1, 1, kWhite);
            c.FillEllipse(13, 10, 1, 1, kWhite);
            break;
        case Item::Chest:
            c.FillRect(2, 8, 20, 14, 0xB9);
            c.FillRect(2, 8, 20, 3, 0xBA);
            c.FillRect(2, 12, 20, 2, kGold);
            c.FillRect(6, 8, 2, 14, kGold);
            c.FillRect(16, 8, 2, 14, kGold);
            c.FillRect(11, 11, 2, 4, kBuckle);
            break;
    }
    c.Outline(kOutline);
    return c.Take();
}

writer::Picture Digit(int digit) {
    Canvas c(12, 20);
    const uint8_t* rows = kDigitRows[((digit % 10) + 10) % 10];
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            if (rows[y] & (4 >> x)) c.FillRect(x * 4, y * 4, 4, 4, 0x46);
    c.ShadeRightEdges(0x46, 0x62);
    return c.Take();
}

writer::Picture Landscape() {
    Canvas c(200, 120);
    for (int y = 0; y < 120; ++y) c.FillRect(0, y, 200, 1, Lerp(0x37, 0x30, uint32_t(y), 80));
    c.FillEllipse(150, 28, 13, 13, 0x47);
    c.FillEllipse(150, 28, 10, 10, 0x42);
    static const int far[][3] = {{20, 60, 30}, {110, 70, 24}, {190, 50, 34}};
    static const int near[][3] = {{60, 70, 22}, {160, 80, 16}};
    for (int x = 0; x < 200; ++x) {
        c.FillRect(x, HillTop(x, 82, far, 3), 1, 120, 0x94);
        c.FillRect(x, HillTop(x, 98, near, 2), 1, 120, 0x97);
    }
    c.FillEllipse(70, 108, 40, 7, 0x40);
    c.FillEllipse(66, 106, 30, 3, 0x35);
    c.FillRect(56, 106, 12, 1, kWhite);
    return c.Take();
}

writer::Picture SpinningCoin(int step) {
    static const int halfWidths[8] = {8, 7, 5, 2, 1, 2, 5, 7};
    Canvas c(24, 24);
    const int rx = halfWidths[((step % 8) + 8) % 8];
    c.FillEllipse(12, 12, rx, 8, kGold);
    if (rx > 3) c.FillEllipse(12, 12, rx - 3, 5, kGoldDark);
    if (rx > 4) c.FillEllipse(12, 12, rx - 4, 4, kGold);
    c.Set(12 - rx + 2, 6, kGoldLight);
    c.Outline(kOutline);
    return c.Take();
}

writer::Picture GlowingOrb(int step) {
    static const uint8_t rings[6] = {0x6B, 0x69, 0x67, 0x65, 0x62, 0x60};
    Canvas c(32, 32);
    const int grow = step % 6 < 3 ? step % 6 : 6 - step % 6;
    for (int i = 0; i < 6; ++i) {
        const int r = 13 - 2 * i + grow - (i == 0 ? 0 : 1);
        c.FillEllipse(16, 16, r, r, rings[i]);
    }
    return c.Take();
}

writer::Picture Sparkle(int step) {
    const int size = 3 + step % 7;
    Canvas c{uint32_t(size), uint32_t(size)};
    const int mid = size / 2;
    const uint8_t arm = step % 3 == 0 ? 0x42 : step % 3 == 1 ? 0xFF : 0xE6;
    c.FillRect(mid, 0, 1, size, arm);
    c.FillRect(0, mid, size, 1, arm);
    c.Set(mid, mid, kWhite);
    if (size >= 7) {
        c.Set(mid - 1, mid - 1, arm);
        c.Set(mid + 1, mid + 1, arm);
        c.Set(mid - 1, mid + 1, arm);
        c.Set(mid + 1, mid - 1, arm);
    }
    return c.Take();
}

}  // namespace tessaron::demo

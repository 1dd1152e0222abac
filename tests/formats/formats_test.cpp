#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "archive_json.h"
#include "frame.h"
#include "palette.h"
#include "png_reader.h"
#include "png_writer.h"
#include "sprite_sheet.h"

namespace tessaron {
namespace {

using testing::DecodedPng;
using testing::ReadPng;

IndexedPicture RandomPicture(std::mt19937& rng, uint32_t w, uint32_t h) {
    IndexedPicture p{w, h, std::vector<uint8_t>(size_t(w) * h)};
    for (auto& px : p.Pixels) px = uint8_t(rng());
    return p;
}

TEST(PngWriter, PixelsComeBackAsTheSameIndices) {
    std::mt19937 rng(5);
    for (auto [w, h] : {std::pair{1u, 1u}, {3u, 7u}, {35u, 80u}, {640u, 2u}}) {
        const IndexedPicture picture = RandomPicture(rng, w, h);
        for (bool transparent : {false, true}) {
            const DecodedPng d = ReadPng(EncodePng(picture, {transparent}));
            EXPECT_EQ(d.width, w);
            EXPECT_EQ(d.height, h);
            EXPECT_EQ(d.bitDepth, 8);
            EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_PALETTE);
            EXPECT_EQ(d.pixels, picture.Pixels);
            ASSERT_EQ(d.palette.size(), 256u);
            for (int k = 0; k < 256; ++k) {
                EXPECT_EQ(d.palette[k].red, SpritePalette.Entries[k].Red);
                EXPECT_EQ(d.palette[k].green, SpritePalette.Entries[k].Green);
                EXPECT_EQ(d.palette[k].blue, SpritePalette.Entries[k].Blue);
            }
            if (!transparent) {
                EXPECT_TRUE(d.alpha.empty());
                continue;
            }
            // Only the background index is transparent.
            ASSERT_GT(d.alpha.size(), size_t(BackgroundIndex));
            for (size_t k = 0; k < d.alpha.size(); ++k) EXPECT_EQ(d.alpha[k], k == BackgroundIndex ? 0 : 255) << k;
        }
    }
}

TEST(PngWriter, EmptyPicturesAreRefused) {
    EXPECT_THROW(EncodePng(IndexedPicture{0, 5, {}}), std::runtime_error);
    EXPECT_THROW(EncodePng(IndexedPicture{2, 2, {1, 2, 3}}), std::invalid_argument);
}

TEST(SpriteSheet, RectanglesHoldExactlyTheFrames) {
    std::mt19937 rng(9);
    std::vector<IndexedPicture> frames;
    for (int i = 0; i < 40; ++i) frames.push_back(RandomPicture(rng, rng() % 50, rng() % 70));
    frames.push_back(RandomPicture(rng, 300, 4));  // wider than the square estimate
    std::vector<SheetRect> sizes;
    std::vector<const IndexedPicture*> pointers;
    for (const auto& f : frames) {
        sizes.push_back({0, 0, f.Width, f.Height});
        pointers.push_back(&f);
    }
    const SheetLayout layout = PackShelves(sizes);
    ASSERT_EQ(layout.Rects.size(), frames.size());
    const IndexedPicture sheet = ComposeSheet(layout, pointers);

    // Every pixel belongs to at most one frame, and frames are at least the
    // gap apart.
    std::vector<int> owner(size_t(sheet.Width) * sheet.Height, -1);
    for (size_t i = 0; i < frames.size(); ++i) {
        const SheetRect& r = layout.Rects[i];
        ASSERT_LE(r.X + r.Width, sheet.Width);
        ASSERT_LE(r.Y + r.Height, sheet.Height);
        for (uint32_t y = 0; y < r.Height; ++y) {
            for (uint32_t x = 0; x < r.Width; ++x) {
                EXPECT_EQ(owner[size_t(r.Y + y) * sheet.Width + r.X + x], -1);
                owner[size_t(r.Y + y) * sheet.Width + r.X + x] = int(i);
                ASSERT_EQ(sheet.Pixels[size_t(r.Y + y) * sheet.Width + r.X + x], frames[i].Pixels[size_t(y) * r.Width + x]);
            }
        }
    }
    for (size_t i = 0; i < owner.size(); ++i) {
        if (owner[i] == -1) {
            EXPECT_EQ(sheet.Pixels[i], BackgroundIndex);
        } else if ((i + 1) % sheet.Width != 0 && owner[i + 1] >= 0) {
            EXPECT_EQ(owner[i + 1], owner[i]);  // neighbours are a gap apart
        }
    }
    // Shelves keep the frame order: left to right, then top to bottom.
    for (size_t i = 1; i < layout.Rects.size(); ++i) {
        const SheetRect &a = layout.Rects[i - 1], &b = layout.Rects[i];
        EXPECT_TRUE((b.Y == a.Y && b.X >= a.X + a.Width) || b.Y > a.Y) << i;
    }
}

TEST(ArchiveJson, DescribesEveryBlockAndFrame) {
    TArchive archive;
    archive.FBlockCount = 1;
    archive.FBlocks = {TFlxEntry{1000, 300}};
    archive.FBlockIndex.SetLength(1);
    archive.FBlockIndex[0] = 0x1A;
    TSBInfo info;
    info.BlockHeader[4] = 2;
    info.Frames = {TFrameEntry{22, 51}, TFrameEntry{73, 200}};
    info.FramesRead = true;
    archive.FBlockInfo = {info};
    const nlohmann::json j = ArchiveIndexJson(archive, false);
    const auto& block = j.at("blocks").at(0);
    EXPECT_EQ(block.at("entry"), 0x1A);
    EXPECT_EQ(block.at("offset"), 1000);
    EXPECT_EQ(block.at("size"), 300);
    EXPECT_EQ(block.at("frameCount"), 2);
    EXPECT_EQ(block.at("frames").at(0).at("offset"), 1022);
    EXPECT_EQ(block.at("frames").at(0).at("visible"), false);
    EXPECT_EQ(block.at("frames").at(1).at("visible"), true);
    EXPECT_EQ(ArchiveIndexJson(archive, true)["blocks"][0]["frames"][0]["visible"], true);
}

}  // namespace
}  // namespace tessaron

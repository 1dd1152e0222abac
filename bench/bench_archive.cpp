#include "bench_archive.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include "archive_builder.h"
#include "frame.h"
#include "frame_encoder.h"
#include "naming.h"
#include "records.h"

namespace tessaron::bench {
namespace {

using writer::Coding;
using writer::Picture;

enum class Texture { Runs, Literal, Shading };

uint8_t NotBackground(uint32_t v) {
    const auto index = uint8_t(v);
    return index == BackgroundIndex ? uint8_t(BackgroundIndex + 1) : index;
}

// A blob on background: each row has a left and right edge that follow an
// ellipse, and the inside is painted with the texture.
Picture Sprite(std::mt19937& rng, uint32_t w, uint32_t h, Texture texture) {
    Picture p(w, h, BackgroundIndex);
    const uint8_t base = uint8_t(rng() % 200 + 16);
    const double cx = w / 2.0, cy = h / 2.0;
    for (uint32_t y = 0; y < h; ++y) {
        const double dy = (y + 0.5 - cy) / cy;
        const double half = dy * dy < 1 ? cx * std::sqrt(1 - dy * dy) : 0;
        const auto left = uint32_t(std::max(0.0, cx - half));
        const auto right = uint32_t(std::min(double(w), cx + half));
        uint32_t x = left;
        while (x < right) {
            switch (texture) {
            case Texture::Runs: {  // bands of one colour, 4 to 40 pixels long
                const uint32_t n = std::min(right - x, uint32_t(rng() % 37 + 4));
                const uint8_t v = NotBackground(base + rng() % 8);
                for (uint32_t i = 0; i < n; ++i) p.At(x + i, y) = v;
                x += n;
                break;
            }
            case Texture::Literal:  // noise
                p.At(x++, y) = NotBackground(rng());
                break;
            case Texture::Shading: {  // a colour ramp changing every 1 to 3 pixels
                const uint32_t n = std::min(right - x, uint32_t(rng() % 3 + 1));
                const uint8_t v = NotBackground(base + (x * 8 / w) + (y % 4));
                for (uint32_t i = 0; i < n; ++i) p.At(x + i, y) = v;
                x += n;
                break;
            }
            }
        }
    }
    return p;
}

// Most game sprites are small; a few are large.
std::pair<uint32_t, uint32_t> SpriteSize(std::mt19937& rng) {
    const uint32_t pick = rng() % 100;
    auto side = [&](uint32_t lo, uint32_t hi) { return lo + rng() % (hi - lo + 1); };
    if (pick < 2) return {side(1, 2), side(1, 2)};  // tiny: an export leaves these out
    if (pick < 80) return {side(8, 64), side(8, 64)};
    if (pick < 98) return {side(64, 128), side(64, 128)};
    return {side(200, 400), side(200, 320)};
}

std::vector<uint8_t> RandomFrame(std::mt19937& rng) {
    const auto [w, h] = SpriteSize(rng);
    const uint32_t t = rng() % 10;
    const Texture texture = t < 4 ? Texture::Runs : t < 7 ? Texture::Shading : Texture::Literal;
    const Coding coding = rng() % 100 < 85 ? Coding::Runs : Coding::Plain;
    return writer::EncodeFrame(Sprite(rng, w, h, texture), coding);
}

// Small frames for the index-heavy archives.
std::vector<uint8_t> SmallFrame(std::mt19937& rng) {
    const uint32_t w = rng() % 24 + 8, h = rng() % 24 + 8;
    return writer::EncodeFrame(Sprite(rng, w, h, Texture::Runs), Coding::Runs);
}

}  // namespace

std::vector<uint8_t> MakeExportArchive(uint32_t frames, uint32_t seed) {
    std::mt19937 rng(seed);
    writer::ArchiveBuilder builder;
    uint32_t made = 0;
    while (made < frames) {
        if (rng() % 10 == 0) builder.AddEmpty();
        const uint32_t count = std::min(frames - made, uint32_t(rng() % 60 + 1));
        std::vector<writer::FrameRecord> block;
        block.reserve(count);
        for (uint32_t i = 0; i < count; ++i) block.emplace_back(RandomFrame(rng));
        builder.AddBlock(std::move(block));
        made += count;
    }
    return builder.Bytes();
}

std::vector<uint8_t> MakeManyBlocksArchive(uint32_t blocks) {
    std::mt19937 rng(7);
    writer::ArchiveBuilder builder;
    for (uint32_t b = 0; b < blocks; ++b) {
        std::vector<writer::FrameRecord> block;
        for (uint32_t i = 0, n = rng() % 2 + 1; i < n; ++i) block.emplace_back(SmallFrame(rng));
        builder.AddBlock(std::move(block));
    }
    return builder.Bytes();
}

std::vector<uint8_t> MakeBigBlockArchive(uint32_t frames) {
    std::mt19937 rng(11);
    // A handful of distinct records repeated: the frame list only reads the
    // frame table, so the records' variety does not matter here.
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < 16; ++i) records.push_back(SmallFrame(rng));
    std::vector<writer::FrameRecord> block;
    block.reserve(frames);
    for (uint32_t i = 0; i < frames; ++i) block.emplace_back(records[i % records.size()]);
    writer::ArchiveBuilder builder;
    builder.AddBlock(std::move(block));
    return builder.Bytes();
}

uint32_t VisibleFrames(const std::vector<uint8_t>& archive) {
    const uint32_t entries = ReadLE32(archive.data() + kFlxCountOffset);
    uint32_t visible = 0;
    for (uint32_t e = 0; e < entries; ++e) {
        const uint8_t* entry = archive.data() + kFlxHeaderSize + kTableEntrySize * e;
        const uint32_t offset = ReadLE32(entry);
        if (offset == 0 && ReadLE32(entry + 4) == 0) continue;
        const uint32_t count = ReadLE16(archive.data() + offset + 4);
        for (uint32_t f = 0; f < count; ++f) {
            const uint32_t size = ReadLE32(archive.data() + offset + kBlockHeaderSize + kTableEntrySize * f + 4);
            if (IsVisibleFrame(size, false)) ++visible;
        }
    }
    return visible;
}

void WriteArchive(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (!writer::WriteFileBytes(path, bytes)) throw std::runtime_error("cannot write " + path);
}

}  // namespace tessaron::bench

// Decoding and BMP encoding speed, each beside memcpy of the same number of
// output bytes (the speed limit of any code that has to produce them).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "frame.h"
#include "frame_encoder.h"
#include "image.h"

namespace {

using tessaron::writer::Coding;

enum class Content { Mixed, RunHeavy, LiteralHeavy };

// A deterministic sprite: a shape on background with runs, gradients and
// noise in the proportions the content asks for.
std::vector<uint8_t> Sprite(uint32_t w, uint32_t h, Content content) {
    std::mt19937 rng(w * 7919 + h);
    std::vector<uint8_t> p(size_t(w) * h, tessaron::BackgroundIndex);
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t margin = (y * 7 + w / 8) % (w / 4 + 1);
        for (uint32_t x = margin; x + margin < w; ++x) {
            uint8_t v;
            switch (content) {
            case Content::RunHeavy: v = uint8_t(0x10 + (x / 24) % 8); break;
            case Content::LiteralHeavy: v = uint8_t(rng() % 256 == 0x44 ? 0x45 : rng() % 256); break;
            default: v = (x / 8 + y / 8) % 2 ? uint8_t(0x20 + x % 16) : uint8_t(0x30); break;
            }
            p[size_t(y) * w + x] = v == 0x44 ? 0x45 : v;
        }
    }
    return p;
}

void SetBytes(benchmark::State& state, uint64_t perIteration) {
    state.SetBytesProcessed(int64_t(state.iterations() * perIteration));
}

void BM_Decode(benchmark::State& state) {
    const auto w = uint32_t(state.range(0)), h = uint32_t(state.range(1));
    const auto content = Content(state.range(2));
    const auto coding = Coding(state.range(3));
    const auto record = tessaron::writer::EncodeFrame(w, h, Sprite(w, h, content), coding);
    tessaron::Spr sprite;
    sprite.LoadFromBytes(record);
    for (auto _ : state) {
        sprite.Decode();
        benchmark::DoNotOptimize(sprite.Pixels.data());
    }
    state.counters["px/s"] = benchmark::Counter(double(state.iterations()) * w * h, benchmark::Counter::kIsRate);
    SetBytes(state, uint64_t(w) * h);
}

// What a batch export does per frame before the write: decode, refill the
// run's image, lay out the file.
void BM_DecodeAndEncodeBmp(benchmark::State& state) {
    const auto w = uint32_t(state.range(0)), h = uint32_t(state.range(1));
    const auto record = tessaron::writer::EncodeFrame(w, h, Sprite(w, h, Content(state.range(2))),
                                                      Coding(state.range(3)));
    tessaron::Spr sprite;
    sprite.LoadFromBytes(record);
    auto image = tessaron::NewFrameImage();
    std::vector<uint8_t> file;
    for (auto _ : state) {
        sprite.Decode();
        tessaron::FillFrameImage(*image, sprite);
        file.resize(tessaron::kBmpPixelOffset + image->Bits().size());
        image->EncodeBmpPrefix(file.data());
        std::memcpy(file.data() + tessaron::kBmpPixelOffset, image->Bits().data(), image->Bits().size());
        benchmark::DoNotOptimize(file.data());
    }
    SetBytes(state, tessaron::kBmpPixelOffset + uint64_t(image->Stride()) * h);
}

void BM_EncodeBmp(benchmark::State& state) {
    const auto w = uint32_t(state.range(0)), h = uint32_t(state.range(1));
    const auto record = tessaron::writer::EncodeFrame(w, h, Sprite(w, h, Content::Mixed), Coding::Runs);
    tessaron::Spr sprite;
    sprite.LoadFromBytes(record);
    sprite.Decode();
    auto image = tessaron::BuildFrameImage(sprite);
    for (auto _ : state) {
        auto file = image->EncodeBmp();
        benchmark::DoNotOptimize(file.data());
    }
    SetBytes(state, tessaron::kBmpPixelOffset + uint64_t(image->Stride()) * h);
}

// The limit: copying as many bytes as the BMP file holds.
void BM_Memcpy(benchmark::State& state) {
    const auto w = uint32_t(state.range(0)), h = uint32_t(state.range(1));
    const size_t n = tessaron::kBmpPixelOffset + size_t((w + 3) & ~3u) * h;
    std::vector<uint8_t> from(n, 1), to(n);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), n);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state, n);
}

void Sizes(benchmark::internal::Benchmark* b, bool withContent) {
    const std::pair<int, int> sizes[] = {{16, 16}, {32, 48}, {64, 64}, {256, 256}, {640, 480}};
    for (auto [w, h] : sizes) {
        if (!withContent) {
            b->Args({w, h});
            continue;
        }
        for (int content : {0, 1, 2})
            for (int coding : {0, 1}) b->Args({w, h, content, coding});
    }
}

}  // namespace

BENCHMARK(BM_Decode)->Apply([](auto* b) { Sizes(b, true); })->ArgNames({"w", "h", "content", "coding"});
BENCHMARK(BM_DecodeAndEncodeBmp)->Apply([](auto* b) { Sizes(b, true); })->ArgNames({"w", "h", "content", "coding"});
BENCHMARK(BM_EncodeBmp)->Apply([](auto* b) { Sizes(b, false); })->ArgNames({"w", "h"});
BENCHMARK(BM_Memcpy)->Apply([](auto* b) { Sizes(b, false); })->ArgNames({"w", "h"});

BENCHMARK_MAIN();

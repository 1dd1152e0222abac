// Decoding and BMP encoding speed, each beside memcpy of the same number of
// output bytes (the speed limit of any code that has to produce them).  The
// counter x_memcpy is that ratio: 1.0 would be as fast as memcpy.  Speeds
// are per CPU second, so a busy machine slows the figures less.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "frame.h"
#include "frame_encoder.h"
#include "image.h"

namespace {

using tessaron::writer::Coding;

enum class Content { Mixed, RunHeavy, LiteralHeavy, Shaded };

// A deterministic sprite: a shape on background with runs, gradients and
// noise in the proportions the content asks for.  Shaded is closest to a
// drawn sprite: flat areas of 3 to 30 pixels between details of 1 to 3, so
// that runs and literals of many lengths follow each other irregularly.
std::vector<uint8_t> Sprite(uint32_t w, uint32_t h, Content content) {
    std::mt19937 rng(w * 7919 + h);
    std::vector<uint8_t> p(size_t(w) * h, tessaron::BackgroundIndex);
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t margin = (y * 7 + w / 8) % (w / 4 + 1);
        uint32_t same = 0;  // Shaded: pixels left of the current stretch
        uint8_t shade = 0;
        for (uint32_t x = margin; x + margin < w; ++x) {
            uint8_t v;
            switch (content) {
            case Content::Shaded:
                if (same == 0) {
                    same = rng() % 2 ? 1 + rng() % 3 : 3 + rng() % 28;
                    shade = uint8_t(0x50 + rng() % 32);
                }
                --same;
                v = shade;
                break;
            case Content::RunHeavy: v = uint8_t(0x10 + (x / 24) % 8); break;
            case Content::LiteralHeavy: v = uint8_t(rng() % 256 == 0x44 ? 0x45 : rng() % 256); break;
            default: v = (x / 8 + y / 8) % 2 ? uint8_t(0x20 + x % 16) : uint8_t(0x30); break;
            }
            p[size_t(y) * w + x] = v == 0x44 ? 0x45 : v;
        }
    }
    return p;
}

double ThreadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Bytes per CPU second of memcpy between two warm buffers of n bytes: the
// median of five 10 ms stretches.  Measured right after each benchmark's
// loop rather than once, so that a machine whose speed drifts (other work,
// frequency) weighs on both sides of the ratio alike.
double MemcpyRate(size_t n) {
    std::vector<uint8_t> from(n, 1), to(n);
    std::vector<double> speeds;
    // Enough copies between clock readings that reading the clock costs nothing.
    const uint64_t batch = std::max<uint64_t>(16, (uint64_t(4) << 20) / n);
    for (int stretch = 0; stretch < 5; ++stretch) {
        const double start = ThreadCpuSeconds();
        uint64_t copies = 0;
        double now = start;
        while (now - start < 0.01) {
            for (uint64_t i = 0; i < batch; ++i) {
                std::memcpy(to.data(), from.data(), n);
                benchmark::ClobberMemory();
            }
            copies += batch;
            now = ThreadCpuSeconds();
        }
        speeds.push_back(double(copies) * double(n) / (now - start));
    }
    std::sort(speeds.begin(), speeds.end());
    return speeds[speeds.size() / 2];
}

// Measures the CPU time of a benchmark's loop, for the ratio to memcpy.
class CpuClock {
public:
    CpuClock() : start_(ThreadCpuSeconds()) {}
    double Seconds() const { return ThreadCpuSeconds() - start_; }

private:
    double start_;
};

// Bytes per second (MB/s in the report) and x_memcpy, the ratio of this
// speed to memcpy of as many bytes, both per CPU second.
void SetBytes(benchmark::State& state, uint64_t perIteration, const CpuClock& clock) {
    const double seconds = clock.Seconds();
    state.SetBytesProcessed(int64_t(state.iterations() * perIteration));
    if (seconds > 0)
        state.counters["x_memcpy"] =
            double(state.iterations()) * double(perIteration) / seconds / MemcpyRate(perIteration);
}

void BM_Decode(benchmark::State& state, uint32_t w, uint32_t h, Content content, Coding coding) {
    const auto record = tessaron::writer::EncodeFrame(w, h, Sprite(w, h, content), coding);
    tessaron::Spr sprite;
    sprite.LoadFromBytes(record);
    const CpuClock clock;
    for (auto _ : state) {
        sprite.Decode();
        benchmark::DoNotOptimize(sprite.Pixels.data());
    }
    state.counters["px/s"] = benchmark::Counter(double(state.iterations()) * w * h, benchmark::Counter::kIsRate);
    SetBytes(state, uint64_t(w) * h, clock);
}

// What a batch export does per frame before the write: decode straight into
// the run's image and lay out the file's header.  The file is then written
// from the header and the image's rows as they are, with no further copy.
void BM_DecodeIntoBmp(benchmark::State& state, uint32_t w, uint32_t h, Content content, Coding coding) {
    const auto record = tessaron::writer::EncodeFrame(w, h, Sprite(w, h, content), coding);
    tessaron::Spr sprite;
    sprite.LoadFromBytes(record);
    auto image = tessaron::NewFrameImage();
    uint8_t header[tessaron::kBmpPixelOffset];
    const CpuClock clock;
    for (auto _ : state) {
        sprite.DecodeInto(*image);
        image->EncodeBmpPrefix(header);
        benchmark::DoNotOptimize(header);
        benchmark::DoNotOptimize(image->Bits().data());
    }
    state.counters["px/s"] = benchmark::Counter(double(state.iterations()) * w * h, benchmark::Counter::kIsRate);
    SetBytes(state, tessaron::kBmpPixelOffset + uint64_t(image->Stride()) * h, clock);
}

// The road through Pixels: decode, copy the rows into the run's image, copy
// header and rows into one buffer.
void BM_DecodeFillCopyBmp(benchmark::State& state, uint32_t w, uint32_t h, Content content, Coding coding) {
    const auto record = tessaron::writer::EncodeFrame(w, h, Sprite(w, h, content), coding);
    tessaron::Spr sprite;
    sprite.LoadFromBytes(record);
    auto image = tessaron::NewFrameImage();
    std::vector<uint8_t> file;
    const CpuClock clock;
    for (auto _ : state) {
        sprite.Decode();
        tessaron::FillFrameImage(*image, sprite);
        file.resize(tessaron::kBmpPixelOffset + image->Bits().size());
        image->EncodeBmpPrefix(file.data());
        std::memcpy(file.data() + tessaron::kBmpPixelOffset, image->Bits().data(), image->Bits().size());
        benchmark::DoNotOptimize(file.data());
    }
    SetBytes(state, tessaron::kBmpPixelOffset + uint64_t(image->Stride()) * h, clock);
}

void BM_EncodeBmp(benchmark::State& state, uint32_t w, uint32_t h) {
    const auto record = tessaron::writer::EncodeFrame(w, h, Sprite(w, h, Content::Mixed), Coding::Runs);
    tessaron::Spr sprite;
    sprite.LoadFromBytes(record);
    sprite.Decode();
    auto image = tessaron::BuildFrameImage(sprite);
    const CpuClock clock;
    for (auto _ : state) {
        auto file = image->EncodeBmp();
        benchmark::DoNotOptimize(file.data());
    }
    SetBytes(state, tessaron::kBmpPixelOffset + uint64_t(image->Stride()) * h, clock);
}

// The limit: copying as many bytes as the BMP file holds.
void BM_Memcpy(benchmark::State& state, uint32_t w, uint32_t h) {
    const size_t n = tessaron::kBmpPixelOffset + size_t((w + 3) & ~3u) * h;
    std::vector<uint8_t> from(n, 1), to(n);
    const CpuClock clock;
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), n);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state, n, clock);
}

// Small frames (16 to 64 pixels on a side) and large ones (256 to 640), in
// the four contents and both codings.
struct Size { uint32_t W, H; };
constexpr Size kSizes[] = {{16, 16}, {32, 48}, {64, 64}, {256, 256}, {640, 480}};
constexpr std::pair<Content, const char*> kContents[] = {
    {Content::Mixed, "mixed"}, {Content::RunHeavy, "runs"}, {Content::LiteralHeavy, "literal"},
    {Content::Shaded, "shaded"}};
constexpr std::pair<Coding, const char*> kCodings[] = {{Coding::Plain, "plain"}, {Coding::Runs, "runcoded"}};

std::string Name(const char* what, Size size) {
    return std::string(what) + "/" + std::to_string(size.W) + "x" + std::to_string(size.H);
}

template <class Fn>
void RegisterPerFrame(const char* what, Fn fn) {
    for (Size size : kSizes)
        for (auto [content, contentName] : kContents)
            for (auto [coding, codingName] : kCodings)
                benchmark::RegisterBenchmark((Name(what, size) + "/" + contentName + "/" + codingName).c_str(), fn,
                                             size.W, size.H, content, coding);
}

}  // namespace

int main(int argc, char** argv) {
    RegisterPerFrame("Decode", BM_Decode);
    RegisterPerFrame("DecodeIntoBmp", BM_DecodeIntoBmp);
    RegisterPerFrame("DecodeFillCopyBmp", BM_DecodeFillCopyBmp);
    for (Size size : kSizes) benchmark::RegisterBenchmark(Name("EncodeBmp", size).c_str(), BM_EncodeBmp, size.W, size.H);
    for (Size size : kSizes) benchmark::RegisterBenchmark(Name("Memcpy", size).c_str(), BM_Memcpy, size.W, size.H);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

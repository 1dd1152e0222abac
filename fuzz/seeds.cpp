// Seed inputs for the fuzzers, made with our archive writer: small archives
// in both codings, tiny and empty frames, empty entries and the odd but
// valid layouts an archive may have.
#include <random>

#include "archive_builder.h"
#include "frame.h"
#include "frame_encoder.h"
#include "targets.h"

namespace tessaron::fuzz {

namespace {

using writer::ArchiveBuilder;
using writer::Coding;
using writer::FrameRecord;
using writer::Picture;

// A picture with background gaps, runs and noise, so that both codings
// produce every kind of span.
Picture MixedPicture(uint32_t width, uint32_t height, uint32_t seed) {
    std::mt19937 rng(seed);
    Picture picture(width, height, BackgroundIndex);
    for (uint8_t& p : picture.Pixels) {
        const uint32_t kind = rng() % 4;
        if (kind == 1) p = uint8_t(rng());
        if (kind == 2) p = uint8_t(seed);
    }
    // A long run across a whole row, past the 127-pixel limit of a run.
    if (height > 0) {
        for (uint32_t x = 0; x < width; ++x) picture.At(x, height - 1) = 0x21;
    }
    return picture;
}

std::vector<uint8_t> Frame(uint32_t width, uint32_t height, Coding coding, uint32_t seed = 1) {
    return writer::EncodeFrame(MixedPicture(width, height, seed), coding);
}

std::vector<uint8_t> Tail(size_t n) { return std::vector<uint8_t>(n, 0); }

}  // namespace

std::vector<Seed> FrameSeeds() {
    std::vector<Seed> seeds;
    for (Coding coding : {Coding::Plain, Coding::Runs}) {
        const std::string c = coding == Coding::Plain ? "plain" : "runs";
        seeds.push_back({c + "-1x1", Frame(1, 1, coding)});
        seeds.push_back({c + "-4x3", Frame(4, 3, coding, 2)});
        seeds.push_back({c + "-17x9", Frame(17, 9, coding, 3)});
        seeds.push_back({c + "-300x2", Frame(300, 2, coding, 4)});
        seeds.push_back({c + "-0x0", Frame(0, 0, coding)});
        seeds.push_back({c + "-0x5", Frame(0, 5, coding)});
        seeds.push_back({c + "-7x0", Frame(7, 0, coding)});
        seeds.push_back({c + "-background", writer::EncodeFrame(Picture(9, 4, BackgroundIndex), coding)});
    }
    seeds.push_back({"header-only", std::vector<uint8_t>(kFrameHeaderSize, 0)});
    return seeds;
}

std::vector<Seed> ArchiveSeeds() {
    std::vector<Seed> seeds;
    auto add = [&](const std::string& name, const ArchiveBuilder& builder) {
        seeds.push_back({name, builder.Bytes()});
    };
    const std::vector<uint8_t> oneByte = Tail(1);

    add("no-entries", ArchiveBuilder().AppendTail(oneByte));
    add("empty-entries", ArchiveBuilder().AddEmpty(3));
    for (Coding coding : {Coding::Plain, Coding::Runs}) {
        const std::string c = coding == Coding::Plain ? "plain" : "runs";
        add(c + "-one-frame", ArchiveBuilder().AddBlock({Frame(6, 5, coding)}));
        add(c + "-two-blocks", ArchiveBuilder()
                                   .AddEmpty()
                                   .AddBlock({Frame(3, 2, coding), Frame(8, 8, coding, 5)})
                                   .AddEmpty(2)
                                   .AddBlock({Frame(12, 4, coding, 6)}));
        add(c + "-tiny-and-empty-frames",
            ArchiveBuilder().AddBlock({Frame(1, 1, coding), Frame(0, 0, coding), Frame(0, 3, coding),
                                       std::vector<uint8_t>{}, Frame(2, 2, coding, 7)}));
    }
    add("block-without-frames", ArchiveBuilder().AddBlock({}).AddBlock({Frame(2, 1, Coding::Runs)}));
    add("bodies-in-reverse", ArchiveBuilder()
                                 .AddBlock({Frame(5, 2, Coding::Plain)})
                                 .AddEmpty()
                                 .AddBlock({Frame(4, 4, Coding::Runs)})
                                 .ReverseBodies());
    FrameRecord flagged(Frame(3, 3, Coding::Runs));
    flagged.OffsetFlags = 0x80000000;
    add("frame-offset-bit-31", ArchiveBuilder().AddBlock({flagged}));
    add("entry-at-offset-0", ArchiveBuilder().AddRawEntry(0, 100).AppendTail(Tail(64)));
    add("entry-of-size-0", ArchiveBuilder().AddRawEntry(136, 0).AppendTail(Tail(6)));
    return seeds;
}

}  // namespace tessaron::fuzz

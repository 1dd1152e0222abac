#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "frame.h"
#include "targets.h"

namespace tessaron::fuzz {
namespace {

namespace fs = std::filesystem;

using Target = int (*)(const uint8_t*, size_t);

struct Input {
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<Input> SavedInputs(const std::string& target) {
    std::vector<Input> inputs;
    const fs::path folder = fs::path(TESSARON_FUZZ_REGRESSIONS) / target;
    if (!fs::is_directory(folder)) return inputs;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name.starts_with(".")) continue;  // .gitkeep
        std::ifstream in(entry.path(), std::ios::binary);
        inputs.push_back({name,
                          std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})});
    }
    std::sort(inputs.begin(), inputs.end(), [](const Input& a, const Input& b) { return a.name < b.name; });
    return inputs;
}

// A broken expectation aborts inside the target, so the name of the input
// is printed first.
void Replay(Target target, const std::string& name, const std::vector<uint8_t>& bytes) {
    SCOPED_TRACE(name);
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", name.c_str(), bytes.size());
    EXPECT_EQ(target(bytes.data(), bytes.size()), 0);
}

struct Corpus {
    const char* folder;
    Target target;
    std::vector<Seed> (*seeds)();
};
const Corpus kCorpora[] = {
    {"archive", FuzzArchive, ArchiveSeeds},
    {"frame", FuzzFrame, FrameSeeds},
};

TEST(FuzzReplay, SeedCorpus) {
    for (const Corpus& corpus : kCorpora) {
        const auto seeds = corpus.seeds();
        EXPECT_FALSE(seeds.empty()) << corpus.folder;
        for (const Seed& seed : seeds) Replay(corpus.target, std::string(corpus.folder) + "/" + seed.Name, seed.Bytes);
    }
}

TEST(FuzzReplay, SavedRegressions) {
    for (const Corpus& corpus : kCorpora) {
        for (const Input& input : SavedInputs(corpus.folder)) {
            Replay(corpus.target, std::string(corpus.folder) + "/" + input.name, input.bytes);
        }
    }
}

// The seeds are worth fuzzing from only if they reach the decoder.
TEST(FuzzReplay, SeedsAreValidInputs) {
    for (const Seed& seed : FrameSeeds()) {
        Spr sprite;
        ASSERT_TRUE(sprite.LoadFromBytes(seed.Bytes));
        EXPECT_TRUE(sprite.Decode()) << seed.Name;
    }
}

}  // namespace
}  // namespace tessaron::fuzz

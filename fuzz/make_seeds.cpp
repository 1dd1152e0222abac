// Writes the seed corpus: <folder>/archive/* and <folder>/frame/*.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "targets.h"

namespace {

bool WriteAll(const std::filesystem::path& folder, const std::vector<tessaron::fuzz::Seed>& seeds) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const auto& seed : seeds) {
        std::ofstream out(folder / seed.Name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(seed.Bytes.data()), std::streamsize(seed.Bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (folder / seed.Name).c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const bool ok = WriteAll(root / "archive", tessaron::fuzz::ArchiveSeeds()) &&
                    WriteAll(root / "frame", tessaron::fuzz::FrameSeeds());
    return ok ? 0 : 1;
}

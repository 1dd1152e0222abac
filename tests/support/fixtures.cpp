#include "fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "frame.h"

namespace tessaron::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tessaron-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make parts read-only; give everything back before removing it.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string WriteFile(const TempDir& dir, const std::string& name, std::span<const uint8_t> bytes) {
    const std::string path = dir.File(name);
    if (!writer::WriteFileBytes(path, bytes)) throw std::runtime_error("cannot write " + path);
    return path;
}

std::string WriteArchive(const TempDir& dir, const writer::ArchiveBuilder& builder,
                         const std::string& name) {
    return WriteFile(dir, name, builder.Bytes());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> ListFiles(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.is_regular_file()) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void FillRandomly(std::mt19937& rng, writer::Picture& picture) {
    auto below = [&](uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng); };
    const size_t total = picture.Pixels.size();
    size_t at = 0;
    while (at < total) {
        // Stretch lengths reach past every limit of the codings (127, 255)
        // and past whole rows.
        const uint32_t kind = below(4);
        const size_t length = std::min<size_t>(total - at, 1 + below(kind == 3 ? 8 : 700));
        const uint8_t value = uint8_t(below(256));
        for (size_t i = 0; i < length; ++i) {
            uint8_t& p = picture.Pixels[at + i];
            switch (kind) {
                case 0: p = BackgroundIndex; break;                  // gap
                case 1: p = value; break;                            // run (may be the background)
                case 2: p = uint8_t(below(256)); break;              // noise
                default: p = i % 2 ? BackgroundIndex : value; break;  // dotted
            }
        }
        at += length;
    }
}

writer::Picture RandomPicture(std::mt19937& rng, uint32_t maxWidth, uint32_t maxHeight) {
    const uint32_t w = std::uniform_int_distribution<uint32_t>(0, maxWidth)(rng);
    const uint32_t h = std::uniform_int_distribution<uint32_t>(0, maxHeight)(rng);
    writer::Picture picture(w, h, BackgroundIndex);
    FillRandomly(rng, picture);
    return picture;
}

bool DecodeRecord(std::span<const uint8_t> record, writer::Picture& out) {
    Spr sprite;
    if (!sprite.LoadFromBytes(record) || !sprite.Decode()) return false;
    out.Width = sprite.Width();
    out.Height = sprite.Height();
    out.Pixels = sprite.Pixels;
    return true;
}

}  // namespace tessaron::testing

// Small helpers for building exact byte layouts and scratch files in tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace tessaron::testing {

using Bytes = std::vector<uint8_t>;

inline void PutU32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void PutU16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Append(Bytes& b, std::initializer_list<uint8_t> more) { b.insert(b.end(), more); }
inline void SetU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A 128-byte archive header with a valid signature and the given count.
inline Bytes FlxHeader(uint32_t entryCount) {
    Bytes h(128, 0);
    for (int i = 12; i < 82; ++i) h[i] = 0x1A;
    SetU32(h, 84, entryCount);
    return h;
}

// A frame record: seven header words (compression, width, height in words
// 2 to 4), the stored line offsets, then the span data.
inline Bytes FrameRecord(uint32_t compression, uint32_t width, uint32_t height,
                         const std::vector<uint32_t>& lineOffsets, const Bytes& spans) {
    Bytes r;
    PutU32(r, 0x11111111);
    PutU32(r, 0x22222222);
    PutU32(r, compression);
    PutU32(r, width);
    PutU32(r, height);
    PutU32(r, 0x66666666);
    PutU32(r, 0x77777777);
    for (uint32_t o : lineOffsets) PutU32(r, o);
    r.insert(r.end(), spans.begin(), spans.end());
    return r;
}

// Line offsets in their stored form for rows starting at the given
// positions within the span data.
inline std::vector<uint32_t> StoredLineOffsets(const std::vector<uint32_t>& rowStarts) {
    std::vector<uint32_t> stored;
    const uint32_t height = uint32_t(rowStarts.size());
    for (uint32_t i = 0; i < height; ++i) stored.push_back(4 * (height - i) + rowStarts[i]);
    return stored;
}

// A folder removed with everything in it when the test ends.
class ScratchDir {
public:
    ScratchDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tessaron-test-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tessaron::testing

namespace tessaron::testing {
inline uint32_t ReadLE32ForTest(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
}  // namespace tessaron::testing

#include "frame.h"

#include <algorithm>
#include <cstring>

#include "records.h"
#include "safe_write.h"

namespace tessaron {

namespace {

// The record must lie within the file; checked before anything is reserved.
bool RecordFits(int64_t position, uint32_t size, int64_t length) {
    return position >= 0 && length >= 0 && position <= length &&
           uint64_t(size) <= uint64_t(length - position);
}

}  // namespace

bool Spr::Load(TFile file, uint32_t size) {
    *this = Spr{};
    if (!RecordFits(file.Position(), size, file.Length())) return false;
    Raw.resize(size);
    if (file.Read(Raw.data(), size) != int64_t(size)) {
        Raw = {};
        return false;
    }
    Split();
    return true;
}

bool Spr::LoadAt(const TFile& file, uint64_t position, uint32_t size) {
    *this = Spr{};
    if (position > uint64_t(INT64_MAX) || !RecordFits(int64_t(position), size, file.Length())) {
        return false;
    }
    Raw.resize(size);
    if (file.ReadAt(Raw.data(), size, position) != int64_t(size)) {
        Raw = {};
        return false;
    }
    Split();
    return true;
}

bool Spr::LoadFromBytes(std::span<const uint8_t> record) {
    *this = Spr{};
    if (record.size() > UINT32_MAX) return false;
    Raw.assign(record.begin(), record.end());
    Split();
    return true;
}

// Splits Raw into header, line offsets and span data, and turns the stored
// line offsets into positions within the span data.
void Spr::Split() {
    RawSize = static_cast<uint32_t>(Raw.size());
    hasRecord_ = true;
    uint8_t header[kFrameHeaderSize] = {};
    if (RawSize > 0) std::memcpy(header, Raw.data(), std::min<size_t>(RawSize, kFrameHeaderSize));
    for (int i = 0; i < 7; ++i) Header[i] = ReadLE32(header + 4 * i);

    // A record too short for its header and line table is held (so that it
    // can still be saved as stored) but cannot be decoded.
    const uint32_t height = Height();
    wellFormed_ = RawSize >= kFrameHeaderSize && (RawSize - kFrameHeaderSize) / 4 >= height;
    if (!wellFormed_) return;

    const uint32_t tableEnd = kFrameHeaderSize + 4 * height;
    DataSize = RawSize - tableEnd;
    LineOffsets.resize(size_t(height) + 1);
    for (uint32_t i = 0; i < height; ++i) LineOffsets[i] = ReadLE32(Raw.data() + kFrameHeaderSize + 4 * i);
    Data.assign(Raw.begin() + tableEnd, Raw.end());

    // Entry i stores the distance from itself to row i's spans; rebased on
    // entry 0 that is a position in the span data.  Arithmetic wraps.
    const uint32_t first = height > 0 ? LineOffsets[0] : 0;
    for (uint32_t i = 1; i < height; ++i) LineOffsets[i] = LineOffsets[i] - first + 4 * i;
    if (height > 0) LineOffsets[0] = 0;
    LineOffsets[height] = DataSize;
    for (uint32_t i = 1; i < height; ++i) LineOffsets[i] = std::min(LineOffsets[i], DataSize);
}

bool Spr::Decode() {
    decoded_ = false;
    if (!hasRecord_ || !wellFormed_) return false;
    const uint32_t width = Width();
    const uint32_t height = Height();
    if (width > kMaxFrameSide || height > kMaxFrameSide ||
        uint64_t(width) * height > kMaxFramePixels) {
        return false;
    }

    const size_t total = size_t(width) * height;
    Pixels.assign(total, BackgroundIndex);
    const uint8_t* data = Data.data();
    const uint32_t end = DataSize;
    const bool runs = Compression() != 0;

    for (uint32_t row = 0; row < height; ++row) {
        uint32_t p = LineOffsets[row];
        uint32_t x = 0;
        const size_t rowStart = size_t(row) * width;
        // Span data that stops short ends the row: nothing past the record is
        // read.  Pixels past the row continue into the next one, and nothing
        // past the last row is written.
        while (x < width) {
            if (p >= end) break;
            x += data[p++];
            if (x >= width) break;
            if (p >= end) break;
            const uint32_t count = data[p++];
            const size_t at = rowStart + x;
            if (runs && (count & 1)) {
                if (p >= end) break;
                const uint32_t n = count >> 1;
                const uint8_t value = data[p++];
                std::memset(Pixels.data() + at, value, std::min<size_t>(n, total - at));
                x += n;
                continue;
            }
            const uint32_t n = runs ? count >> 1 : count;
            const uint32_t available = std::min(n, end - p);
            std::memcpy(Pixels.data() + at, data + p, std::min<size_t>(available, total - at));
            p += available;
            x += n;
            if (available < n) break;
        }
    }
    decoded_ = true;
    return true;
}

bool Spr::SaveRaw(const std::string& path) const {
    if (!hasRecord_) return false;
    WriteFileAtomically(path, std::span<const uint8_t>(Raw));
    return true;
}

}  // namespace tessaron

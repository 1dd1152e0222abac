#include "frame.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "image.h"
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

namespace {

// What the span loops need of a record.
struct SpanSource {
    const uint8_t* Data;
    uint32_t End;  // DataSize
    const uint32_t* LineOffsets;
    uint32_t Width;
    uint32_t Height;
    bool Runs;
};

// Where decoded rows go: row r (0 is the top row) starts at Base + r * Step
// and holds Width pixels.  Pixels has Step = Width; a bottom-up image has a
// negative Step.
struct RowTarget {
    uint8_t* Base;
    ptrdiff_t Step;
    uint8_t* Row(uint32_t row) const { return Base + ptrdiff_t(row) * Step; }
};

// Short spans are the common case and cost more in calls than in bytes, so
// they are written in whole 16-byte blocks when the row has room for the
// excess: every byte past the span up to the row's end is written again
// later (by the next gap, span or the row's background tail).
using Block16 = uint8_t __attribute__((vector_size(16)));
constexpr uint32_t kBlockSpanLimit = 256;

inline uint32_t RoundUp16(uint32_t n) { return (n + 15) & ~15u; }

// Writes n copies of `value` at `out`; `room` bytes from `out` on belong to
// the row.
inline void FillSpan(uint8_t* out, uint8_t value, uint32_t n, uint32_t room) {
    const Block16 block = Block16{} + value;  // value in every byte
    if (n <= 16 && room >= 16) {
        std::memcpy(out, &block, 16);
    } else if (n <= kBlockSpanLimit && RoundUp16(n) <= room) {
        for (uint32_t done = 0; done < n; done += 16) std::memcpy(out + done, &block, 16);
    } else {
        std::memset(out, value, n);
    }
}

// Copies n bytes; like FillSpan, in whole blocks when both the row and the
// span data (`left` bytes from `in` on) have room for the excess.
inline void CopySpan(uint8_t* out, const uint8_t* in, uint32_t n, uint32_t room, uint32_t left) {
    const uint32_t rounded = RoundUp16(n);
    if (n <= 16 && room >= 16 && left >= 16) {
        std::memcpy(out, in, 16);
    } else if (n <= kBlockSpanLimit && rounded <= room && rounded <= left) {
        for (uint32_t done = 0; done < n; done += 16) std::memcpy(out + done, in + done, 16);
    } else {
        std::memcpy(out, in, n);
    }
}

// Decodes every row in order, writing each pixel of the row exactly once in
// the end: background in the gaps and after the last span, span pixels
// elsewhere.  Returns false, leaving the rows half written, as soon as a
// span would reach past the end of its row; such a frame needs
// DecodeAcrossRows.
bool DecodeWithinRows(const SpanSource& f, const RowTarget& rows) {
    const uint8_t* const data = f.Data;
    const uint32_t end = f.End;
    const uint32_t width = f.Width;
    for (uint32_t row = 0; row < f.Height; ++row) {
        uint8_t* const out = rows.Row(row);
        uint32_t p = f.LineOffsets[row];
        uint32_t x = 0;
        while (x < width && p < end) {
            const uint32_t skip = data[p++];
            if (skip >= width - x) break;  // the skip reaches the row's end
            FillSpan(out + x, BackgroundIndex, skip, width - x);
            x += skip;
            if (p >= end) break;
            const uint32_t count = data[p++];
            if (f.Runs && (count & 1)) {
                if (p >= end) break;
                const uint32_t n = count >> 1;
                if (n > width - x) return false;
                FillSpan(out + x, data[p++], n, width - x);
                x += n;
            } else {
                const uint32_t n = f.Runs ? count >> 1 : count;
                const uint32_t available = std::min(n, end - p);
                if (available > width - x) return false;
                CopySpan(out + x, data + p, available, width - x, end - p);
                p += available;
                x += available;
                if (available < n) break;  // the span data stops short
            }
        }
        if (x < width) std::memset(out + x, BackgroundIndex, width - x);
    }
    return true;
}

// Writes n bytes (from `in`, or n copies of `value` when `in` is null) at
// pixel `x` of `row`, continuing into the rows below as Pixels' addressing
// (row x Width + column) does; nothing goes past the last row.
void WriteAcross(const SpanSource& f, const RowTarget& rows, uint32_t row, uint32_t x,
                 const uint8_t* in, uint8_t value, uint32_t n) {
    while (n > 0 && row < f.Height) {
        const uint32_t part = std::min(n, f.Width - x);
        if (in) {
            std::memcpy(rows.Row(row) + x, in, part);
            in += part;
        } else {
            std::memset(rows.Row(row) + x, value, part);
        }
        n -= part;
        x = 0;
        ++row;
    }
}

// The decoder for every record, spans past their row's end included: fills
// the frame with background first, then draws the spans row by row.
void DecodeAcrossRows(const SpanSource& f, const RowTarget& rows) {
    for (uint32_t row = 0; row < f.Height; ++row) std::memset(rows.Row(row), BackgroundIndex, f.Width);
    const uint8_t* const data = f.Data;
    const uint32_t end = f.End;
    for (uint32_t row = 0; row < f.Height; ++row) {
        uint32_t p = f.LineOffsets[row];
        uint32_t x = 0;
        // Span data that stops short ends the row: nothing past the record is
        // read.  Pixels past the row continue into the next one, and nothing
        // past the last row is written.
        while (x < f.Width) {
            if (p >= end) break;
            x += data[p++];
            if (x >= f.Width) break;
            if (p >= end) break;
            const uint32_t count = data[p++];
            if (f.Runs && (count & 1)) {
                if (p >= end) break;
                const uint32_t n = count >> 1;
                WriteAcross(f, rows, row, x, nullptr, data[p++], n);
                x += n;
                continue;
            }
            const uint32_t n = f.Runs ? count >> 1 : count;
            const uint32_t available = std::min(n, end - p);
            WriteAcross(f, rows, row, x, data + p, 0, available);
            p += available;
            x += n;
            if (available < n) break;
        }
    }
}

void DecodeRows(const SpanSource& f, const RowTarget& rows) {
    if (!DecodeWithinRows(f, rows)) DecodeAcrossRows(f, rows);
}

}  // namespace

bool Spr::CanDecode() const {
    if (!hasRecord_ || !wellFormed_) return false;
    const uint32_t width = Width();
    const uint32_t height = Height();
    return width <= kMaxFrameSide && height <= kMaxFrameSide &&
           uint64_t(width) * height <= kMaxFramePixels;
}

bool Spr::Decode() {
    decoded_ = false;
    if (!CanDecode()) return false;
    const uint32_t width = Width();
    const uint32_t height = Height();
    Pixels.assign(size_t(width) * height, BackgroundIndex);
    if (width > 0 && height > 0) {
        const SpanSource source{Data.data(), DataSize, LineOffsets.data(), width, height, Compression() != 0};
        DecodeRows(source, RowTarget{Pixels.data(), ptrdiff_t(width)});
    }
    decoded_ = true;
    return true;
}

bool Spr::DecodeInto(FrameImage& image) const {
    if (!CanDecode()) return false;
    const uint32_t width = Width();
    const uint32_t height = Height();
    image.SetSize(width, height);
    if (width > 0 && height > 0) {
        const SpanSource source{Data.data(), DataSize, LineOffsets.data(), width, height, Compression() != 0};
        // The image's rows lie bottom row first: row r + 1 is one stride below row r.
        DecodeRows(source, RowTarget{image.ScanLine(0), -ptrdiff_t(image.Stride())});
    }
    return true;
}

bool Spr::SaveRaw(const std::string& path) const {
    if (!hasRecord_) return false;
    WriteFileAtomically(path, std::span<const uint8_t>(Raw));
    return true;
}

}  // namespace tessaron

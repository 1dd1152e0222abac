#include "frame.h"

#include <algorithm>
#include <atomic>
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
// and holds Width pixels, followed by Pad bytes that stay zero.  Pixels has
// Step = Width and no padding; a bottom-up image has a negative Step (its
// stride) and pads each row to a multiple of 4.
struct RowTarget {
    uint8_t* Base;
    ptrdiff_t Step;
    uint32_t Pad;
    uint8_t* Row(uint32_t row) const { return Base + ptrdiff_t(row) * Step; }
};

// DecodeWithinRows decodes the rows in the order they lie in memory and
// writes every pixel of a row in the end: background in the gaps and after
// the last span, span pixels elsewhere.  So a write may run past the end of
// its row into the rows that follow in memory (they are written again when
// their turn comes) as long as it stays within the last one; the padding of
// a row is put back to zero once the row is done.  Spans are then written
// as whole blocks instead of exact lengths.

using Block16 = uint8_t __attribute__((vector_size(16)));
constexpr uint32_t kBlockSpanLimit = 256;

inline uint32_t RoundUp16(uint32_t n) { return (n + 15) & ~15u; }

// Writes n copies of `value` at `out`; `room` bytes from `out` on may be
// written.
inline void FillSpan(uint8_t* out, uint8_t value, uint32_t n, size_t room) {
    const Block16 block = Block16{} + value;  // value in every byte
    if (n <= 16 && room >= 16) {
        std::memcpy(out, &block, 16);
    } else if (n <= kBlockSpanLimit && RoundUp16(n) <= room) {
        for (uint32_t done = 0; done < n; done += 16) std::memcpy(out + done, &block, 16);
    } else {
        std::memset(out, value, n);
    }
}

// Copies n bytes; like FillSpan, in whole blocks when both the target
// (`room`) and the span data (`left` bytes from `in` on) have room for the
// excess.
inline void CopySpan(uint8_t* out, const uint8_t* in, uint32_t n, size_t room, uint32_t left) {
    const uint32_t rounded = RoundUp16(n);
    if (n <= 16 && room >= 16 && left >= 16) {
        std::memcpy(out, in, 16);
    } else if (n <= kBlockSpanLimit && rounded <= room && rounded <= left) {
        for (uint32_t done = 0; done < n; done += 16) std::memcpy(out + done, in + done, 16);
    } else {
        std::memcpy(out, in, n);
    }
}

constexpr uint32_t kSpanPastRow = UINT32_MAX;

// Decodes the rest of a row, from read position p and column x on, with
// every read inside the span data and no write more than `limit` bytes from
// the row's start.  Returns the column where the row's spans stop, or
// kSpanPastRow as soon as a span would reach past the end of the row.
uint32_t DecodeRowRest(const SpanSource& f, uint8_t* out, uint32_t p, uint32_t x, size_t limit) {
    const uint8_t* const data = f.Data;
    const uint32_t end = f.End;
    const uint32_t width = f.Width;
    while (x < width && p < end) {
        const uint32_t skip = data[p++];
        if (skip >= width - x) break;  // the skip reaches the row's end
        FillSpan(out + x, BackgroundIndex, skip, limit - x);
        x += skip;
        if (p >= end) break;
        const uint32_t count = data[p++];
        if (f.Runs && (count & 1)) {
            if (p >= end) break;
            const uint32_t n = count >> 1;
            if (n > width - x) return kSpanPastRow;
            FillSpan(out + x, data[p++], n, limit - x);
            x += n;
        } else {
            const uint32_t n = f.Runs ? count >> 1 : count;
            const uint32_t available = std::min(n, end - p);
            if (available > width - x) return kSpanPastRow;
            CopySpan(out + x, data + p, available, limit - x, end - p);
            p += available;
            x += available;
            if (available < n) break;  // the span data stops short
        }
    }
    return x;
}

// The fast loop reads a span only when the whole of it, read as whole blocks,
// lies in the span data: a skip, a count and up to 256 bytes.
constexpr uint32_t kFarFromEnd = 2 + 256;
// ... and runs only in rows that may be written this far past their end.
constexpr size_t kRowSlack = 256;

enum class RowStop { AtRowEnd, NearDataEnd, SpanPastRow };

// Blocks of N bytes in the target's widest registers, loaded and stored at
// any address.  The alignment is lowered on the vector type itself: written
// on the element type, clang keeps the vector's natural alignment.
typedef uint8_t Vector16 __attribute__((vector_size(16)));
typedef uint8_t Vector32 __attribute__((vector_size(32)));
typedef Vector16 UnalignedVector16 __attribute__((aligned(1), may_alias));
typedef Vector32 UnalignedVector32 __attribute__((aligned(1), may_alias));
static_assert(alignof(UnalignedVector16) == 1 && alignof(UnalignedVector32) == 1);

template <unsigned N>
struct Blocks;
template <>
struct Blocks<16> {
    using V = UnalignedVector16;
};
template <>
struct Blocks<32> {
    using V = UnalignedVector32;
};

// Decodes spans of a row whose target has kRowSlack bytes of room past the
// row's end, up to the point where the span data has less than kFarFromEnd
// bytes left (`fastEnd`).  A skip or span of up to N pixels is written as one
// block, a longer one as a fixed number of blocks, so that the branches
// follow size classes rather than lengths.  `in` is the read position, `out`
// the pixel at the column and `left` the pixels from there to the row's end.
template <unsigned N, bool Runs>
[[gnu::always_inline]] inline RowStop FastRow(const uint8_t* fastEnd, const uint8_t*& inOut, uint8_t*& outInOut,
                                              uint32_t& leftInOut) {
    using V = typename Blocks<N>::V;
    constexpr unsigned kAnySpan = (Runs ? 128 : 256) / N;  // blocks that hold any span
    constexpr unsigned kAnySkip = 256 / N;
    const V background = V{} + BackgroundIndex;
    const uint8_t* in = inOut;
    uint8_t* out = outInOut;
    uint32_t left = leftInOut;
    RowStop stop = RowStop::NearDataEnd;
    while (in <= fastEnd) {
        const uint32_t skip = in[0];
        const uint32_t count = in[1];
        if (skip >= left) {  // the skip reaches the row's end
            stop = RowStop::AtRowEnd;
            break;
        }
        V* const gap = reinterpret_cast<V*>(out);
        gap[0] = background;
        if (skip > N) {
            for (unsigned k = 1; k < kAnySkip; ++k) gap[k] = background;
        }
        out += skip;
        left -= skip;
        const uint32_t n = Runs ? count >> 1 : count;
        if (n > left) {
            stop = RowStop::SpanPastRow;
            break;
        }
        V* const span = reinterpret_cast<V*>(out);
        if (Runs && (count & 1)) {
            // Runs and literals take a branch: where they alternate in a
            // pattern it is predicted, and then a run does not wait for its
            // count byte to find the next span.
            const V run = V{} + in[2];
            span[0] = run;
            if (n > N) {
                for (unsigned k = 1; k < kAnySpan; ++k) span[k] = run;
            }
            in += 3;
        } else {
            const V* const literal = reinterpret_cast<const V*>(in + 2);
            span[0] = literal[0];
            if (n > N) {
                for (unsigned k = 1; k < kAnySpan; ++k) span[k] = literal[k];
            }
            in += 2 + n;
        }
        out += n;
        left -= n;
    }
    inOut = in;
    outInOut = out;
    leftInOut = left;
    return stop;
}

// Decodes every row, writing each pixel of the frame (and zero in each
// row's padding) in the end.  Returns false, leaving the rows half written
// and padding possibly overwritten, as soon as a span would reach past the
// end of its row; such a frame needs DecodeAcrossRows.
template <unsigned N>
[[gnu::always_inline]] inline bool DecodeWithinRowsWith(const SpanSource& f, const RowTarget& rows) {
    using V = typename Blocks<N>::V;
    const uint32_t width = f.Width;
    const uint32_t height = f.Height;
    const bool downwards = rows.Step > 0;  // row order is memory order
    uint8_t* const last = rows.Row(downwards ? height - 1 : 0);
    uint8_t* const targetEnd = last + width + rows.Pad;
    const uint8_t* const fastEnd = f.End >= kFarFromEnd ? f.Data + (f.End - kFarFromEnd) : nullptr;
    const V background = V{} + BackgroundIndex;
    for (uint32_t i = 0; i < height; ++i) {
        const uint32_t row = downwards ? i : height - 1 - i;
        uint8_t* const out = rows.Row(row);
        const size_t limit = size_t(targetEnd - out);
        uint32_t p = f.LineOffsets[row];
        uint32_t x = 0;
        RowStop stop = RowStop::NearDataEnd;
        if (limit - width >= kRowSlack && fastEnd) {
            const uint8_t* in = f.Data + p;
            uint8_t* at = out;
            uint32_t left = width;
            stop = f.Runs ? FastRow<N, true>(fastEnd, in, at, left) : FastRow<N, false>(fastEnd, in, at, left);
            if (stop == RowStop::SpanPastRow) return false;
            p = uint32_t(in - f.Data);
            x = width - left;
        }
        if (stop == RowStop::NearDataEnd) {
            x = DecodeRowRest(f, out, p, x, limit);
            if (x == kSpanPastRow) return false;
        }
        if (limit - width >= N) {
            for (; x < width; x += N) *reinterpret_cast<V*>(out + x) = background;
        } else if (x < width) {
            std::memset(out + x, BackgroundIndex, width - x);
        }
        for (uint32_t k = 0; k < rows.Pad; ++k) out[width + k] = 0;
    }
    return true;
}

std::atomic<bool> narrowBlocksOnly{false};

#if defined(__x86_64__)
__attribute__((target("avx2"))) bool DecodeWithinRowsAvx2(const SpanSource& f, const RowTarget& rows) {
    return DecodeWithinRowsWith<32>(f, rows);
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

bool DecodeWithinRows(const SpanSource& f, const RowTarget& rows) {
#if defined(__x86_64__)
    if (HasAvx2() && !narrowBlocksOnly.load(std::memory_order_relaxed)) return DecodeWithinRowsAvx2(f, rows);
#endif
    return DecodeWithinRowsWith<16>(f, rows);
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
    if (DecodeWithinRows(f, rows)) return;
    DecodeAcrossRows(f, rows);
    if (rows.Pad > 0) {
        for (uint32_t row = 0; row < f.Height; ++row) std::memset(rows.Row(row) + f.Width, 0, rows.Pad);
    }
}

}  // namespace

void DecodeWithNarrowBlocksOnly(bool narrow) { narrowBlocksOnly.store(narrow, std::memory_order_relaxed); }

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
        DecodeRows(source, RowTarget{Pixels.data(), ptrdiff_t(width), 0});
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
        DecodeRows(source, RowTarget{image.ScanLine(0), -ptrdiff_t(image.Stride()), image.Stride() - width});
    }
    return true;
}

bool Spr::SaveRaw(const std::string& path) const {
    if (!hasRecord_) return false;
    WriteFileAtomically(path, std::span<const uint8_t>(Raw));
    return true;
}

}  // namespace tessaron

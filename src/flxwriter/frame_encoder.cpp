#include "frame_encoder.h"

#include <algorithm>
#include <stdexcept>

#include "frame.h"
#include "records.h"

namespace tessaron::writer {
namespace {

constexpr uint32_t kMaxSkip = 255;
constexpr uint32_t kMaxPlainCount = 255;
constexpr uint32_t kMaxRunsCount = 127;  // count >> 1 of the largest count byte
// Shorter repeats are cheaper as literals: a run span costs three bytes.
constexpr uint32_t kMinRunLength = 3;

bool IsBackground(uint8_t index) { return index == BackgroundIndex; }

// Passes over `gap` background pixels before a span.  A skip byte holds at
// most 255, so a longer gap is bridged with spans that write nothing.
void PutSkip(std::vector<uint8_t>& out, uint32_t gap) {
    while (gap > kMaxSkip) {
        out.push_back(uint8_t(kMaxSkip));
        out.push_back(0);  // count 0: no pixels, in both codings
        gap -= kMaxSkip;
    }
    out.push_back(uint8_t(gap));
}

// Length of the stretch of equal pixels that starts at `from`.
uint32_t RepeatLength(std::span<const uint8_t> pixels, uint32_t from) {
    uint32_t n = 1;
    while (from + n < pixels.size() && pixels[from + n] == pixels[from]) ++n;
    return n;
}

void PutPlainSpans(std::vector<uint8_t>& out, std::span<const uint8_t> opaque, uint32_t gap) {
    uint32_t done = 0;
    while (done < opaque.size()) {
        const uint32_t n = std::min<uint32_t>(kMaxPlainCount, uint32_t(opaque.size()) - done);
        PutSkip(out, done == 0 ? gap : 0);
        out.push_back(uint8_t(n));
        out.insert(out.end(), opaque.begin() + done, opaque.begin() + done + n);
        done += n;
    }
}

void PutRunSpans(std::vector<uint8_t>& out, std::span<const uint8_t> opaque, uint32_t gap) {
    const uint32_t size = uint32_t(opaque.size());
    uint32_t pos = 0;
    bool first = true;
    auto nextSkip = [&] {
        PutSkip(out, first ? gap : 0);
        first = false;
    };
    while (pos < size) {
        const uint32_t repeat = RepeatLength(opaque, pos);
        if (repeat >= kMinRunLength) {
            const uint32_t n = std::min(repeat, kMaxRunsCount);
            nextSkip();
            out.push_back(uint8_t(n << 1 | 1));
            out.push_back(opaque[pos]);
            pos += n;
            continue;
        }
        // Literals up to the next repeat worth a run.
        uint32_t end = pos;
        while (end < size && end - pos < kMaxRunsCount) {
            const uint32_t r = RepeatLength(opaque, end);
            if (r >= kMinRunLength) break;
            end += std::min(r, kMaxRunsCount - (end - pos));
        }
        nextSkip();
        out.push_back(uint8_t((end - pos) << 1));
        out.insert(out.end(), opaque.begin() + pos, opaque.begin() + end);
        pos = end;
    }
}

}  // namespace

Picture::Picture(uint32_t width, uint32_t height, uint8_t fill)
    : Width(width), Height(height), Pixels(size_t(width) * height, fill) {}

std::vector<uint8_t> EncodeRow(std::span<const uint8_t> row, Coding coding) {
    std::vector<uint8_t> out;
    const uint32_t width = uint32_t(row.size());
    uint32_t x = 0;
    while (x < width) {
        uint32_t start = x;
        while (start < width && IsBackground(row[start])) ++start;
        if (start == width) {
            // Background up to the end: a skip that reaches the width ends the row.
            PutSkip(out, width - x);
            break;
        }
        uint32_t end = start;
        while (end < width && !IsBackground(row[end])) ++end;
        const auto opaque = row.subspan(start, end - start);
        if (coding == Coding::Plain)
            PutPlainSpans(out, opaque, start - x);
        else
            PutRunSpans(out, opaque, start - x);
        x = end;  // when this is the width the row ends right after the span
    }
    return out;
}

std::vector<uint8_t> AssembleRecord(uint32_t compression, uint32_t width, uint32_t height,
                                    const std::vector<std::vector<uint8_t>>& rows,
                                    const HeaderWords& words) {
    if (rows.size() != height) throw std::invalid_argument("AssembleRecord: one row per line expected");
    const size_t tableEnd = kFrameHeaderSize + size_t(4) * height;
    size_t total = tableEnd;
    for (const auto& r : rows) total += r.size();

    std::vector<uint8_t> record(tableEnd);
    const uint32_t header[7] = {words.Word0, words.Word1, compression, width, height,
                                words.Word5, words.Word6};
    for (int i = 0; i < 7; ++i) WriteLE32(&record[4 * i], header[i]);

    record.reserve(total);
    for (uint32_t i = 0; i < height; ++i) {
        const size_t entryAt = kFrameHeaderSize + size_t(4) * i;
        WriteLE32(&record[entryAt], uint32_t(record.size() - entryAt));
        record.insert(record.end(), rows[i].begin(), rows[i].end());
    }
    return record;
}

std::vector<uint8_t> EncodeFrame(uint32_t width, uint32_t height, std::span<const uint8_t> pixels,
                                 Coding coding, const HeaderWords& words) {
    if (pixels.size() != size_t(width) * height)
        throw std::invalid_argument("EncodeFrame: pixel count is not width * height");
    std::vector<std::vector<uint8_t>> rows;
    rows.reserve(height);
    for (uint32_t y = 0; y < height; ++y)
        rows.push_back(EncodeRow(pixels.subspan(size_t(y) * width, width), coding));
    return AssembleRecord(static_cast<uint32_t>(coding), width, height, rows, words);
}

std::vector<uint8_t> EncodeFrame(const Picture& picture, Coding coding, const HeaderWords& words) {
    return EncodeFrame(picture.Width, picture.Height, picture.Pixels, coding, words);
}

}  // namespace tessaron::writer

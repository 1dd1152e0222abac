// One frame record -> load, decode, image, BMP, and back through our writer.
#include <algorithm>
#include <span>

#include "check.h"
#include "frame.h"
#include "frame_encoder.h"
#include "image.h"
#include "targets.h"

namespace tessaron::fuzz {

namespace {

// Re-encoding is only a check; large frames would make inputs slow.
constexpr uint64_t kMaxRoundTripPixels = uint64_t(1) << 16;

void ExpectSplitConsistent(const Spr& sprite, std::span<const uint8_t> record) {
    FUZZ_EXPECT(sprite.HasRecord());
    FUZZ_EXPECT(sprite.RawSize == record.size());
    FUZZ_EXPECT(std::equal(record.begin(), record.end(), sprite.Raw.begin(), sprite.Raw.end()));
    if (!sprite.IsWellFormed()) return;
    const uint32_t height = sprite.Height();
    FUZZ_EXPECT(uint64_t(sprite.DataSize) + kFrameHeaderSize + 4 * uint64_t(height) == record.size());
    FUZZ_EXPECT(sprite.Data.size() == sprite.DataSize);
    FUZZ_EXPECT(sprite.LineOffsets.size() == size_t(height) + 1);
    FUZZ_EXPECT(sprite.LineOffsets[height] == sprite.DataSize);
    if (height > 0) FUZZ_EXPECT(sprite.LineOffsets[0] == 0);
    for (uint32_t offset : sprite.LineOffsets) FUZZ_EXPECT(offset <= sprite.DataSize);
}

bool ShouldDecode(const Spr& sprite) {
    const uint32_t width = sprite.Width();
    const uint32_t height = sprite.Height();
    return sprite.IsWellFormed() && width <= kMaxFrameSide && height <= kMaxFrameSide &&
           uint64_t(width) * height <= kMaxFramePixels;
}

// Whatever a record decodes to, our writer encodes it again in both codings
// and the decoder gives back the same pixels.
void ExpectRoundTrip(const Spr& sprite) {
    for (writer::Coding coding : {writer::Coding::Plain, writer::Coding::Runs}) {
        const std::vector<uint8_t> again =
            writer::EncodeFrame(sprite.Width(), sprite.Height(), sprite.Pixels, coding);
        Spr decoded;
        FUZZ_EXPECT(decoded.LoadFromBytes(again));
        FUZZ_EXPECT(decoded.Decode());
        FUZZ_EXPECT(decoded.Pixels == sprite.Pixels);
    }
}

// A frame that a batch export's image held before, of a size no record of
// interest shares by chance.
Spr PreviousFrame() {
    const uint8_t pixels[5 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    Spr previous;
    previous.LoadFromBytes(writer::EncodeFrame(5, 3, pixels, writer::Coding::Plain));
    previous.Decode();
    return previous;
}

}  // namespace

int FuzzFrame(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> record(data, size);
    Spr sprite;
    FUZZ_EXPECT(sprite.LoadFromBytes(record));
    ExpectSplitConsistent(sprite, record);

    // Decoding straight into a used image: on failure the image stays as it
    // was; otherwise it must equal the image built from Decode's pixels.
    static const Spr previous = PreviousFrame();
    const auto direct = NewFrameImage();
    FillFrameImage(*direct, previous);
    const std::vector<uint8_t> previousBits = direct->Bits();
    const bool decodedInto = sprite.DecodeInto(*direct);

    const bool decoded = sprite.Decode();
    FUZZ_EXPECT(decoded == ShouldDecode(sprite));
    FUZZ_EXPECT(decoded == sprite.IsDecoded());
    FUZZ_EXPECT(decodedInto == decoded);
    if (!decoded) {
        FUZZ_EXPECT(direct->Width() == previous.Width() && direct->Height() == previous.Height());
        FUZZ_EXPECT(direct->Bits() == previousBits);
        return 0;
    }
    const uint64_t pixels = uint64_t(sprite.Width()) * sprite.Height();
    FUZZ_EXPECT(sprite.Pixels.size() == pixels);

    const auto image = BuildFrameImage(sprite);
    FUZZ_EXPECT(image->Width() == sprite.Width() && image->Height() == sprite.Height());
    const std::vector<uint8_t> bmp = image->EncodeBmp();
    FUZZ_EXPECT(bmp.size() == (pixels == 0 ? 0 : kBmpPixelOffset + size_t(image->Stride()) * sprite.Height()));

    FUZZ_EXPECT(direct->Bits() == image->Bits());

    // The same again with the narrower blocks the decoder uses on processors
    // without wider ones.
    DecodeWithNarrowBlocksOnly(true);
    const auto narrow = NewFrameImage();
    const bool decodedNarrow = sprite.DecodeInto(*narrow);
    DecodeWithNarrowBlocksOnly(false);
    FUZZ_EXPECT(decodedNarrow);
    FUZZ_EXPECT(narrow->Bits() == image->Bits());

    const auto reused = NewFrameImage();
    FillFrameImage(*reused, previous);
    FillFrameImage(*reused, sprite);
    FUZZ_EXPECT(reused->EncodeBmp() == bmp);
    FillFrameImage(*reused, sprite);
    FUZZ_EXPECT(reused->Bits() == image->Bits());

    if (pixels <= kMaxRoundTripPixels) ExpectRoundTrip(sprite);
    return 0;
}

}  // namespace tessaron::fuzz

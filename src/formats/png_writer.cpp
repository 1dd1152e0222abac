#include "png_writer.h"

#include <png.h>

#include <stdexcept>

#include "frame.h"
#include "palette.h"
#include "safe_write.h"

namespace tessaron {

namespace {

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// libpng reports errors by a long jump back into EncodePng; the message is
// kept here on the way.
struct ErrorText {
    std::string text;
};

void KeepErrorAndJump(png_structp png, png_const_charp message) {
    static_cast<ErrorText*>(png_get_error_ptr(png))->text = message;
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Owns libpng's write state for one file.
class PngWriteState {
public:
    explicit PngWriteState(ErrorText& error) {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, KeepErrorAndJump, IgnoreWarning);
        if (!png_) throw std::runtime_error("PNG encoding failed: out of memory");
        info_ = png_create_info_struct(png_);
        if (!info_) {
            png_destroy_write_struct(&png_, nullptr);
            throw std::runtime_error("PNG encoding failed: out of memory");
        }
    }
    ~PngWriteState() { png_destroy_write_struct(&png_, &info_); }
    PngWriteState(const PngWriteState&) = delete;
    PngWriteState& operator=(const PngWriteState&) = delete;

    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

}  // namespace

std::vector<uint8_t> EncodePng(const IndexedPicture& picture, const PngOptions& options) {
    if (picture.Width == 0 || picture.Height == 0) {
        throw std::runtime_error("PNG encoding failed: a PNG image cannot be empty");
    }
    if (picture.Pixels.size() != size_t(picture.Width) * picture.Height) {
        throw std::invalid_argument("picture size does not match its pixels");
    }
    // Everything that lives across the long jump is made before setjmp.
    std::vector<uint8_t> file;
    ErrorText error;
    PngWriteState state(error);
    png_color colours[256];
    png_byte alpha[BackgroundIndex + 1];
    if (setjmp(png_jmpbuf(state.png_))) {
        throw std::runtime_error("PNG encoding failed: " + error.text);
    }
    png_set_write_fn(state.png_, &file, AppendToVector, FlushNothing);
    png_set_IHDR(state.png_, state.info_, picture.Width, picture.Height, 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    for (int k = 0; k < 256; ++k) {
        const TPaletteEntry& e = SpritePalette.Entries[k];
        colours[k] = png_color{e.Red, e.Green, e.Blue};
    }
    png_set_PLTE(state.png_, state.info_, colours, 256);
    if (options.TransparentBackground) {
        // Alpha for indices 0..0x44; indices past the table are opaque.
        for (auto& a : alpha) a = 255;
        alpha[BackgroundIndex] = 0;
        png_set_tRNS(state.png_, state.info_, alpha, BackgroundIndex + 1, nullptr);
    }
    png_write_info(state.png_, state.info_);
    for (uint32_t row = 0; row < picture.Height; ++row) {
        png_write_row(state.png_, picture.Pixels.data() + size_t(row) * picture.Width);
    }
    png_write_end(state.png_, nullptr);
    return file;
}

void SavePng(const std::string& path, const IndexedPicture& picture, const PngOptions& options) {
    const std::vector<uint8_t> file = EncodePng(picture, options);
    WriteFileAtomically(path, std::span<const uint8_t>(file));
}

}  // namespace tessaron

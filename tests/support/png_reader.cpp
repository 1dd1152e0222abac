#include "png_reader.h"

#include <cstring>

#include <gtest/gtest.h>

namespace tessaron::testing {
namespace {

struct PngSource {
    const std::vector<uint8_t>* bytes;
    size_t at = 0;
};

void ReadFromBytes(png_structp png, png_bytep out, png_size_t n) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (n > source->bytes->size() - source->at) png_error(png, "read past the end");
    std::memcpy(out, source->bytes->data() + source->at, n);
    source->at += n;
}

}  // namespace

DecodedPng ReadPng(const std::vector<uint8_t>& file) {
    DecodedPng d;
    PngSource source{&file};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        ADD_FAILURE() << "libpng could not read the file";
        return {};
    }
    png_set_read_fn(png, &source, ReadFromBytes);
    png_read_info(png, info);
    d.width = png_get_image_width(png, info);
    d.height = png_get_image_height(png, info);
    d.bitDepth = png_get_bit_depth(png, info);
    d.colourType = png_get_color_type(png, info);
    png_colorp colours = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &colours, &count)) d.palette.assign(colours, colours + count);
    png_bytep trans = nullptr;
    int transCount = 0;
    if (png_get_tRNS(png, info, &trans, &transCount, nullptr)) d.alpha.assign(trans, trans + transCount);
    d.pixels.resize(size_t(d.width) * d.height);
    for (uint32_t row = 0; row < d.height; ++row) png_read_row(png, d.pixels.data() + size_t(row) * d.width, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return d;
}

}  // namespace tessaron::testing

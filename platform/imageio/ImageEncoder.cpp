#include "platform/imageio/ImageEncoder.h"
#include "platform/imageio/cairo/ImageEncoderCairo.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <jpeglib.h>
#include <png.h>

namespace {

std::uint8_t unpremultiply(std::uint32_t channel, std::uint32_t alpha)
{
    return alpha == 0 ? 0 : static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

void appendPNGBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushPNG(png_structp) { }

void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) { }

struct JPEGErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<JPEGErrors*>(info->err)->jump, 1); }
void jpegSilent(j_common_ptr) { }

// Writes into a vector the caller owns, so a failed encode leaves nothing to free by hand.
struct JPEGDestination {
    jpeg_destination_mgr manager;
    std::vector<std::uint8_t>* out { nullptr };
    std::uint8_t chunk[16384];
};

void initDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<JPEGDestination*>(info->dest);
    destination->manager.next_output_byte = destination->chunk;
    destination->manager.free_in_buffer = sizeof destination->chunk;
}

boolean emptyDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<JPEGDestination*>(info->dest);
    destination->out->insert(destination->out->end(), destination->chunk, destination->chunk + sizeof destination->chunk);
    initDestination(info);
    return TRUE;
}

void termDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<JPEGDestination*>(info->dest);
    const std::size_t used = sizeof destination->chunk - destination->manager.free_in_buffer;
    destination->out->insert(destination->out->end(), destination->chunk, destination->chunk + used);
}

} // namespace

namespace ImageEncoder {

std::optional<std::vector<std::uint8_t>> png(const CGImageRef& image)
{
    const auto pixels = ImageEncoderCairo::pixelsOf(image);
    if (!pixels)
        return std::nullopt;
    std::vector<std::uint8_t> out;
    std::vector<png_byte> row(pixels->width * 4);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png)
        return std::nullopt;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return std::nullopt;
    }
    png_set_write_fn(png, &out, appendPNGBytes, flushPNG);
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixels->width), static_cast<png_uint_32>(pixels->height), 8,
        PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::size_t y = 0; y < pixels->height; ++y) {
        const std::uint32_t* source = pixels->argb.data() + y * pixels->width;
        for (std::size_t x = 0; x < pixels->width; ++x) {
            const std::uint32_t p = source[x], a = p >> 24;
            row[4 * x] = unpremultiply((p >> 16) & 0xFF, a);
            row[4 * x + 1] = unpremultiply((p >> 8) & 0xFF, a);
            row[4 * x + 2] = unpremultiply(p & 0xFF, a);
            row[4 * x + 3] = static_cast<png_byte>(a);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::optional<std::vector<std::uint8_t>> jpeg(const CGImageRef& image, double quality)
{
    const auto pixels = ImageEncoderCairo::pixelsOf(image);
    if (!pixels)
        return std::nullopt;
    if (!(quality >= 0))
        quality = 0;
    const int percent = static_cast<int>(std::lround(std::min(1.0, quality) * 100));

    jpeg_compress_struct info {};
    JPEGErrors errors {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    errors.manager.output_message = jpegSilent;
    std::vector<std::uint8_t> out;
    std::vector<JSAMPLE> row(pixels->width * 3);
    auto destination = std::make_unique<JPEGDestination>();
    destination->out = &out;
    destination->manager.init_destination = initDestination;
    destination->manager.empty_output_buffer = emptyDestination;
    destination->manager.term_destination = termDestination;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return std::nullopt;
    }
    jpeg_create_compress(&info);
    info.dest = &destination->manager;
    info.image_width = static_cast<JDIMENSION>(pixels->width);
    info.image_height = static_cast<JDIMENSION>(pixels->height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, std::max(1, percent), TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::uint32_t* source = pixels->argb.data() + std::size_t(info.next_scanline) * pixels->width;
        for (std::size_t x = 0; x < pixels->width; ++x) {
            // Premultiplied channels are the colour over black, which is what a JPEG shows.
            row[3 * x] = static_cast<JSAMPLE>((source[x] >> 16) & 0xFF);
            row[3 * x + 1] = static_cast<JSAMPLE>((source[x] >> 8) & 0xFF);
            row[3 * x + 2] = static_cast<JSAMPLE>(source[x] & 0xFF);
        }
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return out;
}

} // namespace ImageEncoder

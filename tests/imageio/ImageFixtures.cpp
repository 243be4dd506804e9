#include "ImageFixtures.h"

#include <cairo.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gif_lib.h>
#include <jpeglib.h>

namespace {

// A GIF encoder that appends to the bytes.
GifFileType* openGifWriter(std::vector<std::uint8_t>& bytes)
{
    int error = 0;
    return EGifOpen(&bytes,
        [](GifFileType* gif, const GifByteType* data, int length) {
            auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
            out->insert(out->end(), data, data + length);
            return length;
        },
        &error);
}

} // namespace

namespace ImageFixtures {

std::vector<std::uint8_t> png(int width, int height, std::uint32_t (*rgba)(int x, int y))
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = rgba(x, y);
            const std::uint32_t r = p >> 24, g = (p >> 16) & 0xFF, b = (p >> 8) & 0xFF, a = p & 0xFF;
            reinterpret_cast<std::uint32_t*>(data + y * stride)[x]
                = (a << 24) | ((r * a + 127) / 255 << 16) | ((g * a + 127) / 255 << 8) | ((b * a + 127) / 255);
        }
    }
    cairo_surface_mark_dirty(surface);
    std::vector<std::uint8_t> bytes;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* chunk, unsigned int length) {
            auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
            out->insert(out->end(), chunk, chunk + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    cairo_surface_destroy(surface);
    return bytes;
}

std::vector<std::uint8_t> jpeg(int width, int height, std::optional<int> orientation, bool progressive)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    unsigned seed = 7;
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245 + 12345;
            row[3 * x] = static_cast<JSAMPLE>(200 + (seed >> 16) % 40);
            row[3 * x + 1] = 40;
            row[3 * x + 2] = static_cast<JSAMPLE>((seed >> 8) % 255);
        }
        JSAMPROW rows[] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    if (orientation) {
        const std::uint8_t value = static_cast<std::uint8_t>(*orientation);
        const std::vector<std::uint8_t> app1 { 0xFF, 0xE1, 0x00, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
            0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, value, 0, 0, 0, 0, 0, 0 };
        bytes.insert(bytes.begin() + 2, app1.begin(), app1.end());
    }
    return bytes;
}

std::vector<std::uint8_t> gif(const std::vector<std::pair<int, int>>& frames)
{
    std::vector<std::uint8_t> bytes;
    int error = 0;
    GifFileType* file = openGifWriter(bytes);
    const GifColorType colours[4] = { { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 }, { 0, 0, 0 } };
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, 4, 4, 2, 0, map);
    for (const auto& [index, delay] : frames) {
        const GifByteType control[4] = { 0x01 | (1 << 2), static_cast<GifByteType>(delay & 0xFF), static_cast<GifByteType>(delay >> 8), 3 };
        EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, control);
        EGifPutImageDesc(file, 0, 0, 4, 4, false, nullptr);
        GifPixelType line[4] = { GifPixelType(index), GifPixelType(index), GifPixelType(index), GifPixelType(index) };
        for (int y = 0; y < 4; ++y)
            EGifPutLine(file, line, 4);
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return bytes;
}

std::vector<std::uint8_t> animatedGif(int width, int height, int frames)
{
    std::vector<std::uint8_t> bytes;
    int error = 0;
    GifFileType* file = openGifWriter(bytes);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = { GifByteType(i), GifByteType(255 - i), GifByteType(i * 7) };
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, width, height, 8, 0, map);
    const GifByteType loop[3] = { 1, 0, 0 };
    EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(file, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(file, 3, loop);
    EGifPutExtensionTrailer(file);
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int frame = 0; frame < frames; ++frame) {
        const GifByteType control[4] = { GifByteType(0x01 | ((frame % 4) << 2)), GifByteType(frame + 2), 0, 0 };
        EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, control);
        const int inset = frame % 3 == 0 ? 0 : frame % 5 + 1;
        const int w = width - 2 * inset, h = height - 2 * inset;
        EGifPutImageDesc(file, inset, inset, w, h, frame % 2 == 1, nullptr);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t n = (std::uint32_t(x) * 73856093u ^ std::uint32_t(y + frame * 131) * 19349663u) * 2654435761u;
                line[std::size_t(x)] = GifPixelType(n >> 24);
            }
            EGifPutLine(file, line.data(), w);
        }
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return bytes;
}

} // namespace ImageFixtures

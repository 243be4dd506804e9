#include "platform/imageio/PNGImageDecoder.h"

#include <csetjmp>
#include <cstring>
#include <png.h>

namespace {

struct ProgressiveState {
    ImageDecoder::Result* result { nullptr };
    std::vector<std::uint32_t>* pixels { nullptr };
    std::vector<png_byte>* row { nullptr };
    std::size_t rowsDone { 0 };
    bool interlaced { false };
    int passes { 1 };
    std::vector<std::vector<png_byte>>* interlacedRows { nullptr };
    bool damaged { false };
};

void premultiplyInto(const png_byte* rgba, std::uint32_t* out, std::size_t width)
{
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t r = rgba[4 * x], g = rgba[4 * x + 1], b = rgba[4 * x + 2], a = rgba[4 * x + 3];
        out[x] = (a << 24) | (((r * a + 127) / 255) << 16) | (((g * a + 127) / 255) << 8) | ((b * a + 127) / 255);
    }
}

void onInfo(png_structp png, png_infop info)
{
    auto* state = static_cast<ProgressiveState*>(png_get_progressive_ptr(png));
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    if (width > ImageDecoder::kMaximumSide || height > ImageDecoder::kMaximumSide
        || std::size_t(width) * height > ImageDecoder::kMaximumPixels)
        png_error(png, "image too large");
    ImageDecoder::Result& result = *state->result;
    result.headerRead = true;
    result.width = width;
    result.height = height;
    result.hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    result.gray = !(colorType & PNG_COLOR_MASK_COLOR);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    state->interlaced = interlace != PNG_INTERLACE_NONE;
    state->passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    try {
        state->pixels->assign(std::size_t(width) * height, 0);
        state->row->assign(std::size_t(width) * 4, 0);
        if (state->interlaced)
            state->interlacedRows->assign(height, std::vector<png_byte>(std::size_t(width) * 4, 0));
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void onRow(png_structp png, png_bytep newRow, png_uint_32 rowNumber, int pass)
{
    auto* state = static_cast<ProgressiveState*>(png_get_progressive_ptr(png));
    const std::size_t width = state->result->width;
    if (rowNumber >= state->result->height)
        return;
    if (state->interlaced) {
        auto& row = (*state->interlacedRows)[rowNumber];
        png_progressive_combine_row(png, row.data(), newRow);
        premultiplyInto(row.data(), state->pixels->data() + rowNumber * width, width);
        // Each pass refines the whole picture, so any pass shows every row.
        state->rowsDone = state->result->height;
    } else if (newRow) {
        premultiplyInto(newRow, state->pixels->data() + rowNumber * width, width);
        state->rowsDone = std::max<std::size_t>(state->rowsDone, rowNumber + 1);
    }
    (void)pass;
}

void onEnd(png_structp png, png_infop)
{
    auto* state = static_cast<ProgressiveState*>(png_get_progressive_ptr(png));
    state->result->complete = true;
}

// The library reports a wrong checksum of the compressed image data only as a warning; the
// image is damaged all the same.
void onWarning(png_structp png, png_const_charp message)
{
    auto* state = static_cast<ProgressiveState*>(png_get_progressive_ptr(png));
    if (state && message && std::strstr(message, "IDAT") && std::strstr(message, "checksum"))
        state->damaged = true;
}

void errorExit(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

} // namespace

ImageDecoder::Result PNGImageDecoder::decode(std::span<const std::uint8_t> bytes, bool allDataReceived) const
{
    Result result;
    std::vector<std::uint32_t> pixels;
    std::vector<png_byte> row;
    std::vector<std::vector<png_byte>> interlacedRows;
    ProgressiveState state { &result, &pixels, &row, 0, false, 1, &interlacedRows };
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, errorExit, onWarning);
    if (!png) {
        result.failed = true;
        return result;
    }
    png_infop info = png_create_info_struct(png);
    // Nothing with a destructor may be created between here and the end of the reading.
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (!result.complete)
            result.failed = true;
    } else {
        png_set_progressive_read_fn(png, &state, onInfo, onRow, onEnd);
        png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_WARN_DISCARD);
        png_process_data(png, info, const_cast<png_bytep>(bytes.data()), bytes.size());
        png_destroy_read_struct(&png, &info, nullptr);
    }
    if (state.damaged) {
        result.failed = true;
        result.complete = false;
    }
    // While data is still arriving, the rows before a fault are shown; once it has all arrived, a
    // fault means damaged data and no image at all.
    if (result.failed && result.headerRead && state.rowsDone > 0 && !result.complete && !allDataReceived)
        result.failed = false;
    if (state.rowsDone > 0 && result.headerRead && !result.failed) {
        Frame frame;
        frame.surface = surfaceFromPixels(pixels, result.width, result.complete ? result.height : state.rowsDone);
        frame.complete = result.complete;
        if (frame.surface)
            result.frames.push_back(std::move(frame));
    }
    return result;
}

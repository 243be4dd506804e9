#include "platform/imageio/JPEGImageDecoder.h"

#include "platform/imageio/ExifOrientation.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

struct SourceManager {
    jpeg_source_mgr manager;
    const JOCTET* data { nullptr };
    std::size_t length { 0 };
    bool reachedEnd { false };
};

const JOCTET kEndOfImage[] = { 0xFF, JPEG_EOI };

void errorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void silentMessage(j_common_ptr) { }
void silentEmit(j_common_ptr, int) { }

void initSource(j_decompress_ptr) { }

boolean fillInput(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<SourceManager*>(info->src);
    // Called only once the data is used up: end the stream here.
    source->reachedEnd = true;
    source->manager.next_input_byte = kEndOfImage;
    source->manager.bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count)
{
    auto* source = reinterpret_cast<SourceManager*>(info->src);
    if (count <= 0)
        return;
    while (static_cast<std::size_t>(count) > source->manager.bytes_in_buffer) {
        count -= static_cast<long>(source->manager.bytes_in_buffer);
        fillInput(info);
        if (source->reachedEnd)
            return;
    }
    source->manager.next_input_byte += count;
    source->manager.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void termSource(j_decompress_ptr) { }

} // namespace

ImageDecoder::Result JPEGImageDecoder::decode(std::span<const std::uint8_t> bytes, bool) const
{
    Result result;
    result.orientation = ExifOrientation::fromJPEG(bytes);
    std::vector<std::uint32_t> pixels;
    std::vector<JSAMPLE> cmykRow;
    // Read again after a long jump, so kept in memory.
    volatile std::size_t rowsDone = 0;
    bool cmyk = false;

    jpeg_decompress_struct info {};
    ErrorManager errors {};
    SourceManager source {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = errorExit;
    errors.manager.output_message = silentMessage;
    errors.manager.emit_message = silentEmit;
    // Nothing with a destructor may be created between here and jpeg_destroy_decompress.
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        if (!result.complete)
            result.failed = rowsDone == 0;
    } else {
        jpeg_create_decompress(&info);
        source.manager.init_source = initSource;
        source.manager.fill_input_buffer = fillInput;
        source.manager.skip_input_data = skipInput;
        source.manager.resync_to_restart = jpeg_resync_to_restart;
        source.manager.term_source = termSource;
        source.manager.next_input_byte = bytes.data();
        source.manager.bytes_in_buffer = bytes.size();
        info.src = &source.manager;
        jpeg_read_header(&info, TRUE);
        if (!sizeIsAcceptable(info.image_width, info.image_height))
            errorExit(reinterpret_cast<j_common_ptr>(&info));
        result.headerRead = true;
        result.width = info.image_width;
        result.height = info.image_height;
        result.gray = info.jpeg_color_space == JCS_GRAYSCALE;
        cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
        info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
        pixels.resize(result.width * result.height);
        cmykRow.resize(result.width * 4);
        const bool progressive = jpeg_has_multiple_scans(&info);
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            const std::size_t y = info.output_scanline;
            JSAMPROW row = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(pixels.data() + y * result.width);
            if (jpeg_read_scanlines(&info, &row, 1) != 1)
                break;
            if (cmyk) {
                // Adobe writes CMYK inverted; this is what every encoder in use produces.
                for (std::size_t x = 0; x < result.width; ++x) {
                    const std::uint32_t c = cmykRow[4 * x], m = cmykRow[4 * x + 1], ye = cmykRow[4 * x + 2], k = cmykRow[4 * x + 3];
                    pixels[y * result.width + x] = 0xFF000000u | ((c * k / 255) << 16) | ((m * k / 255) << 8) | (ye * k / 255);
                }
            }
            // A progressive file was read whole before the first row: every row shows what arrived.
            if (source.reachedEnd && !progressive)
                break;
            rowsDone = y + 1;
        }
        if (!source.reachedEnd && info.output_scanline == info.output_height) {
            jpeg_finish_decompress(&info);
            result.complete = true;
        }
        jpeg_destroy_decompress(&info);
    }
    if (rowsDone > 0) {
        Frame frame;
        frame.surface = surfaceFromPixels(pixels, result.width, rowsDone);
        frame.complete = result.complete;
        if (frame.surface)
            result.frames.push_back(std::move(frame));
    }
    return result;
}

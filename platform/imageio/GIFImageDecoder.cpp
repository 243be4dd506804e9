#include "platform/imageio/cairo/GIFImageDecoder.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>

namespace {

struct Reader {
    std::span<const std::uint8_t> bytes;
    std::size_t offset { 0 };
};

int readBytes(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* reader = static_cast<Reader*>(gif->UserData);
    const std::size_t available = reader->bytes.size() - reader->offset;
    const std::size_t count = std::min<std::size_t>(available, static_cast<std::size_t>(std::max(length, 0)));
    std::memcpy(buffer, reader->bytes.data() + reader->offset, count);
    reader->offset += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

struct ControlExtension {
    int disposal { 0 };
    int transparentIndex { -1 };
    std::optional<double> delay;
};

// Rows of an interlaced image arrive in four passes: every 8th from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
std::size_t interlacedRow(std::size_t index, std::size_t height)
{
    const std::size_t pass1 = (height + 7) / 8;
    const std::size_t pass2 = (height + 3) / 8;
    const std::size_t pass3 = (height + 1) / 4;
    if (index < pass1)
        return index * 8;
    index -= pass1;
    if (index < pass2)
        return index * 8 + 4;
    index -= pass2;
    if (index < pass3)
        return index * 4 + 2;
    index -= pass3;
    return index * 2 + 1;
}

} // namespace

// FIXME: GIF data arriving in pieces is still decoded again from its start at each update; the
// budget bounds the cost, but frames could be kept as they complete as PNG and JPEG rows are.
ImageDecoder::Result GIFImageDecoder::decode(std::span<const std::uint8_t> bytes, bool) const
{
    Result result;
    Reader reader { bytes, 0 };
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readBytes, &error));
    if (!gif) {
        result.failed = bytes.size() >= 13;
        return result;
    }
    const std::size_t width = static_cast<std::size_t>(std::max(gif->SWidth, 0));
    const std::size_t height = static_cast<std::size_t>(std::max(gif->SHeight, 0));
    if (!sizeIsAcceptable(width, height)) {
        result.failed = true;
        return result;
    }
    result.headerRead = true;
    result.width = width;
    result.height = height;
    result.hasAlpha = true;
    const std::size_t frameBytes = width * height * 4;
    // The canvas counts against the budget too.
    std::size_t decodedBytes = frameBytes;
    std::vector<std::uint32_t> canvas(width * height, 0);
    std::vector<std::uint32_t> saved;
    std::vector<GifPixelType> line;
    ControlExtension control;

    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            break;
        if (type == TERMINATE_RECORD_TYPE) {
            result.complete = true;
            break;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif.get(), &code, &extension) == GIF_ERROR)
                break;
            bool netscape = false;
            if (code == GRAPHICS_EXT_FUNC_CODE && extension && extension[0] >= 4) {
                control.disposal = (extension[1] >> 2) & 7;
                control.transparentIndex = (extension[1] & 1) ? extension[4] : -1;
                control.delay = (extension[2] | (extension[3] << 8)) / 100.0;
            } else if (code == APPLICATION_EXT_FUNC_CODE && extension && extension[0] >= 11) {
                netscape = std::memcmp(extension + 1, "NETSCAPE2.0", 11) == 0;
            }
            bool broken = false;
            while (extension) {
                if (DGifGetExtensionNext(gif.get(), &extension) == GIF_ERROR) {
                    broken = true;
                    break;
                }
                if (netscape && extension && extension[0] >= 3 && extension[1] == 1)
                    result.loopCount = extension[2] | (extension[3] << 8);
            }
            if (broken)
                break;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            break;
        const GifImageDesc& desc = gif->Image;
        const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        const long left = desc.Left, top = desc.Top;
        const long frameWidth = desc.Width, frameHeight = desc.Height;
        if (!colors || frameWidth <= 0 || frameHeight <= 0 || std::size_t(frameWidth) > kMaximumSide
            || std::size_t(frameHeight) > kMaximumSide) {
            result.failed = result.frames.empty();
            break;
        }
        if (control.disposal == 3)
            saved = canvas;
        line.assign(static_cast<std::size_t>(frameWidth), 0);
        std::size_t rowsRead = 0;
        for (long i = 0; i < frameHeight; ++i) {
            if (DGifGetLine(gif.get(), line.data(), static_cast<int>(frameWidth)) == GIF_ERROR)
                break;
            ++rowsRead;
            const long y = top + static_cast<long>(desc.Interlace ? interlacedRow(std::size_t(i), std::size_t(frameHeight)) : std::size_t(i));
            if (y < 0 || y >= static_cast<long>(height))
                continue;
            for (long x = 0; x < frameWidth; ++x) {
                const long cx = left + x;
                const int index = line[std::size_t(x)];
                if (cx < 0 || cx >= static_cast<long>(width) || index == control.transparentIndex || index >= colors->ColorCount)
                    continue;
                const GifColorType c = colors->Colors[index];
                canvas[std::size_t(y) * width + std::size_t(cx)] = 0xFF000000u | (c.Red << 16) | (c.Green << 8) | c.Blue;
            }
        }
        if (rowsRead == 0)
            break;
        // Every frame is kept whole, so frames beyond the budget, or one that cannot be kept,
        // make the file invalid: a partial set of frames is never complete.
        decodedBytes += frameBytes;
        Frame frame;
        if (decodedBytes <= kMaximumDecodedBytes)
            frame.surface = surfaceFromPixels(canvas, width, height);
        if (!frame.surface) {
            result.failed = true;
            break;
        }
        frame.delay = control.delay;
        frame.complete = rowsRead == std::size_t(frameHeight);
        result.frames.push_back(std::move(frame));
        if (rowsRead < std::size_t(frameHeight))
            break;
        if (control.disposal == 2) {
            for (long y = std::max(top, 0L); y < std::min(top + frameHeight, long(height)); ++y)
                for (long x = std::max(left, 0L); x < std::min(left + frameWidth, long(width)); ++x)
                    canvas[std::size_t(y) * width + std::size_t(x)] = 0;
        } else if (control.disposal == 3 && saved.size() == canvas.size()) {
            canvas = saved;
        }
        control = {};
    }
    return result;
}

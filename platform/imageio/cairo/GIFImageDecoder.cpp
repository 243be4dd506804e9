#include "platform/imageio/cairo/GIFImageDecoder.h"

#include "platform/foundation/Guarded.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <gif_lib.h>
#include <new>
#include <thread>

namespace {

// Where giflib reads from: every byte at once, or the bytes as they arrive.
class Input {
public:
    virtual ~Input() = default;
    // Fewer bytes than asked for end the reading.
    virtual std::size_t read(GifByteType* buffer, std::size_t length) = 0;
};

class WholeInput final : public Input {
public:
    explicit WholeInput(std::span<const std::uint8_t> bytes) : m_bytes(bytes) { }
    std::size_t read(GifByteType* buffer, std::size_t length) override
    {
        const std::size_t count = std::min(m_bytes.size() - m_offset, length);
        std::memcpy(buffer, m_bytes.data() + m_offset, count);
        m_offset += count;
        return count;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_offset { 0 };
};

int readBytes(GifFileType* gif, GifByteType* buffer, int length)
{
    return static_cast<int>(static_cast<Input*>(gif->UserData)->read(buffer, static_cast<std::size_t>(std::max(length, 0))));
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

// One pass over a file from its start: the frames composed so far, and while a frame is being
// read, the rows of it already on the canvas.
class GIFReading {
public:
    explicit GIFReading(Input& input) : m_input(input) { }

    // Until the data ends, the file does, or it proves damaged.
    void run();

    ImageDecoder::Result result;
    bool openFailed { false };
    std::vector<std::uint32_t> canvas;
    // Of the frame being read; 0 between frames.
    std::size_t frameRows { 0 };
    ControlExtension control;
    // Decoded pixels held, the canvas included, against the budget.
    std::size_t decodedBytes { 0 };

    std::size_t frameBytes() const { return result.width * result.height * 4; }
    bool partialFrameFits() const { return decodedBytes + frameBytes() <= ImageDecoder::kMaximumDecodedBytes; }

private:
    bool readExtension(GifFileType* gif);
    // False once the reading must stop.
    bool readFrame(GifFileType* gif);

    Input& m_input;
    std::vector<std::uint32_t> m_saved;
    std::vector<GifPixelType> m_line;
};

void GIFReading::run()
{
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&m_input, readBytes, &error));
    if (!gif) {
        openFailed = true;
        return;
    }
    const std::size_t width = static_cast<std::size_t>(std::max(gif->SWidth, 0));
    const std::size_t height = static_cast<std::size_t>(std::max(gif->SHeight, 0));
    if (!GIFImageDecoder::acceptsSize(width, height)) {
        result.failed = true;
        return;
    }
    result.headerRead = true;
    result.width = width;
    result.height = height;
    result.hasAlpha = true;
    decodedBytes = frameBytes();
    canvas.assign(width * height, 0);

    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            return;
        if (type == TERMINATE_RECORD_TYPE) {
            result.complete = true;
            return;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            if (!readExtension(gif.get()))
                return;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (!readFrame(gif.get()))
            return;
    }
}

bool GIFReading::readExtension(GifFileType* gif)
{
    int code = 0;
    GifByteType* extension = nullptr;
    if (DGifGetExtension(gif, &code, &extension) == GIF_ERROR)
        return false;
    bool netscape = false;
    if (code == GRAPHICS_EXT_FUNC_CODE && extension && extension[0] >= 4) {
        control.disposal = (extension[1] >> 2) & 7;
        control.transparentIndex = (extension[1] & 1) ? extension[4] : -1;
        control.delay = (extension[2] | (extension[3] << 8)) / 100.0;
    } else if (code == APPLICATION_EXT_FUNC_CODE && extension && extension[0] >= 11) {
        netscape = std::memcmp(extension + 1, "NETSCAPE2.0", 11) == 0;
    }
    while (extension) {
        if (DGifGetExtensionNext(gif, &extension) == GIF_ERROR)
            return false;
        if (netscape && extension && extension[0] >= 3 && extension[1] == 1)
            result.loopCount = extension[2] | (extension[3] << 8);
    }
    return true;
}

bool GIFReading::readFrame(GifFileType* gif)
{
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        return false;
    const std::size_t width = result.width, height = result.height;
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    const long left = desc.Left, top = desc.Top;
    const long frameWidth = desc.Width, frameHeight = desc.Height;
    if (!colors || frameWidth <= 0 || frameHeight <= 0 || std::size_t(frameWidth) > ImageDecoder::kMaximumSide
        || std::size_t(frameHeight) > ImageDecoder::kMaximumSide) {
        result.failed = result.frames.empty();
        return false;
    }
    if (control.disposal == 3)
        m_saved = canvas;
    m_line.assign(static_cast<std::size_t>(frameWidth), 0);
    for (long i = 0; i < frameHeight; ++i) {
        if (DGifGetLine(gif, m_line.data(), static_cast<int>(frameWidth)) == GIF_ERROR)
            break;
        const long y = top + static_cast<long>(desc.Interlace ? interlacedRow(std::size_t(i), std::size_t(frameHeight)) : std::size_t(i));
        if (y >= 0 && y < static_cast<long>(height)) {
            for (long x = 0; x < frameWidth; ++x) {
                const long cx = left + x;
                const int index = m_line[std::size_t(x)];
                if (cx < 0 || cx >= static_cast<long>(width) || index == control.transparentIndex || index >= colors->ColorCount)
                    continue;
                const GifColorType c = colors->Colors[index];
                canvas[std::size_t(y) * width + std::size_t(cx)] = 0xFF000000u | (c.Red << 16) | (c.Green << 8) | c.Blue;
            }
        }
        ++frameRows;
    }
    const std::size_t rowsRead = std::exchange(frameRows, 0);
    if (rowsRead == 0)
        return false;
    // Every frame is kept whole, so frames beyond the budget, or one that cannot be kept,
    // make the file invalid: a partial set of frames is never complete.
    ImageDecoder::Frame frame;
    if (partialFrameFits())
        frame.surface = ImageDecoder::surfaceFromPixels(canvas, width, height);
    decodedBytes += frameBytes();
    if (!frame.surface) {
        result.failed = true;
        return false;
    }
    frame.delay = control.delay;
    frame.complete = rowsRead == std::size_t(frameHeight);
    result.frames.push_back(std::move(frame));
    if (!result.frames.back().complete)
        return false;
    if (control.disposal == 2) {
        for (long y = std::max(top, 0L); y < std::min(top + frameHeight, long(height)); ++y)
            for (long x = std::max(left, 0L); x < std::min(left + frameWidth, long(width)); ++x)
                canvas[std::size_t(y) * width + std::size_t(x)] = 0;
    } else if (control.disposal == 3 && m_saved.size() == canvas.size()) {
        canvas = m_saved;
    }
    control = {};
    return true;
}

// giflib pulls its bytes and cannot stop half-way through a frame, so the reading runs on a
// thread of its own that waits in its read for the next piece. It moves only while update()
// waits for it, so between updates its state may be read without a lock, and it only reads
// the bytes of the update under way.
class GIFIncremental final : public ImageDecoder::Incremental, private Input {
public:
    GIFIncremental() : m_reading(*this) { }
    ~GIFIncremental() override
    {
        {
            auto handoff = m_handoff.lock();
            handoff->abandoned = true;
            handoff->starved = false;
        }
        m_condition.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    ImageDecoder::Result update(std::span<const std::uint8_t> bytes, bool allDataReceived) override;
    CairoSurface surface() const override;
    std::size_t revision() const override { return m_revision; }

private:
    std::size_t read(GifByteType* buffer, std::size_t length) override;

    GIFReading m_reading;
    std::thread m_thread;
    // What update() and the reading hand each other.
    struct Handoff {
        std::span<const std::uint8_t> bytes;
        std::size_t offset { 0 };
        bool final { false };
        bool abandoned { false };
        // The reading waits for bytes beyond those given.
        bool starved { false };
        bool done { false };
    };
    Guarded<Handoff> m_handoff;
    std::condition_variable m_condition;
    std::size_t m_revision { 0 };
    std::size_t m_shownFrames { 0 };
    std::size_t m_shownRows { 0 };
};

std::size_t GIFIncremental::read(GifByteType* buffer, std::size_t length)
{
    auto handoff = m_handoff.lock();
    while (handoff->bytes.size() - handoff->offset < length && !handoff->final && !handoff->abandoned) {
        handoff->starved = true;
        m_condition.notify_all();
        handoff.wait(m_condition, [&handoff] { return !handoff->starved; });
    }
    if (handoff->abandoned)
        return 0;
    const std::size_t count = std::min(handoff->bytes.size() - handoff->offset, length);
    std::memcpy(buffer, handoff->bytes.data() + handoff->offset, count);
    handoff->offset += count;
    return count;
}

ImageDecoder::Result GIFIncremental::update(std::span<const std::uint8_t> bytes, bool allDataReceived)
{
    bool done = false;
    {
        auto handoff = m_handoff.lock();
        if (!handoff->done) {
            handoff->bytes = bytes;
            handoff->final = allDataReceived;
            handoff->starved = false;
            if (!m_thread.joinable()) {
                m_thread = std::thread([this] {
                    try {
                        m_reading.run();
                    } catch (const std::bad_alloc&) {
                        // As when the budget is exceeded: the file reads as invalid.
                        m_reading.result.failed = true;
                    }
                    auto finished = m_handoff.lock();
                    finished->done = true;
                    m_condition.notify_all();
                });
            } else {
                m_condition.notify_all();
            }
            handoff.wait(m_condition, [&handoff] { return handoff->starved || handoff->done; });
            handoff->bytes = {};
        }
        done = handoff->done;
    }
    if (done && m_thread.joinable())
        m_thread.join();

    const ImageDecoder::Result& reading = m_reading.result;
    ImageDecoder::Result result;
    result.headerRead = reading.headerRead;
    result.complete = reading.complete;
    result.failed = reading.failed || (m_reading.openFailed && bytes.size() >= 13);
    result.width = reading.width;
    result.height = reading.height;
    result.hasAlpha = reading.hasAlpha;
    result.loopCount = reading.loopCount;
    for (const auto& frame : reading.frames) {
        ImageDecoder::Frame copy;
        copy.surface = retainSurface(frame.surface.get());
        copy.delay = frame.delay;
        copy.complete = frame.complete;
        result.frames.push_back(std::move(copy));
    }
    // The frame under way shows the rows read so far, as the whole file cut here would; its
    // surface is made when asked for.
    if (m_reading.frameRows > 0) {
        if (m_reading.partialFrameFits()) {
            ImageDecoder::Frame partial;
            partial.delay = m_reading.control.delay;
            result.frames.push_back(std::move(partial));
        } else {
            result.failed = true;
        }
    }
    if (std::exchange(m_shownFrames, reading.frames.size()) != reading.frames.size()
        || std::exchange(m_shownRows, m_reading.frameRows) != m_reading.frameRows)
        ++m_revision;
    return result;
}

CairoSurface GIFIncremental::surface() const
{
    if (m_reading.frameRows == 0 || !m_reading.partialFrameFits())
        return nullptr;
    return ImageDecoder::surfaceFromPixels(m_reading.canvas, m_reading.result.width, m_reading.result.height);
}

} // namespace

ImageDecoder::Result GIFImageDecoder::decode(std::span<const std::uint8_t> bytes, bool) const
{
    WholeInput input(bytes);
    GIFReading reading(input);
    reading.run();
    reading.result.failed |= reading.openFailed && bytes.size() >= 13;
    return std::move(reading.result);
}

std::unique_ptr<ImageDecoder::Incremental> GIFImageDecoder::incremental() const
{
    return std::make_unique<GIFIncremental>();
}

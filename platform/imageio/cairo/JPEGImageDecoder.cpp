#include "platform/imageio/cairo/JPEGImageDecoder.h"

#include "platform/imageio/ExifOrientation.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// The bytes so far. Without more to come the stream is ended with an end-of-image marker;
// otherwise reading suspends until the next update.
struct SourceManager {
    jpeg_source_mgr manager;
    const JOCTET* base { nullptr };
    std::size_t pendingSkip { 0 };
    bool allDataReceived { false };
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
    if (!source->allDataReceived)
        return FALSE;
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
    if (static_cast<std::size_t>(count) <= source->manager.bytes_in_buffer) {
        source->manager.next_input_byte += count;
        source->manager.bytes_in_buffer -= static_cast<std::size_t>(count);
        return;
    }
    // The rest is skipped as it arrives.
    source->pendingSkip = static_cast<std::size_t>(count) - source->manager.bytes_in_buffer;
    source->manager.next_input_byte += source->manager.bytes_in_buffer;
    source->manager.bytes_in_buffer = 0;
    if (source->allDataReceived)
        fillInput(info);
}

void termSource(j_decompress_ptr) { }

class JPEGIncremental final : public ImageDecoder::Incremental {
public:
    JPEGIncremental()
    {
        m_info.err = jpeg_std_error(&m_errors.manager);
        m_errors.manager.error_exit = errorExit;
        m_errors.manager.output_message = silentMessage;
        m_errors.manager.emit_message = silentEmit;
        jpeg_create_decompress(&m_info);
        m_source.manager.init_source = initSource;
        m_source.manager.fill_input_buffer = fillInput;
        m_source.manager.skip_input_data = skipInput;
        m_source.manager.resync_to_restart = jpeg_resync_to_restart;
        m_source.manager.term_source = termSource;
        m_info.src = &m_source.manager;
    }
    ~JPEGIncremental() override { jpeg_destroy_decompress(&m_info); }

    ImageDecoder::Result update(std::span<const std::uint8_t> bytes, bool allDataReceived) override;
    CairoSurface surface() const override;
    std::size_t revision() const override { return m_revision; }

private:
    enum class Phase { Header, Start, Rows, Scans, Finish, Done };

    void feed(std::span<const std::uint8_t> bytes, bool allDataReceived);
    void advance();
    void readHeader();
    void readRows();
    void readScans();
    void outputScan(int scan);
    void storeRow(std::size_t y);

    jpeg_decompress_struct m_info {};
    ErrorManager m_errors {};
    SourceManager m_source {};
    Phase m_phase { Phase::Header };
    ImageDecoder::Result m_result;
    std::vector<std::uint32_t> m_pixels;
    std::vector<JSAMPLE> m_cmykRow;
    std::size_t m_rowsDone { 0 };
    bool m_cmyk { false };
    bool m_progressive { false };
    int m_shownScan { 0 };
    bool m_faulted { false };
    bool m_orientationRead { false };
    std::size_t m_revision { 0 };
};

void JPEGIncremental::feed(std::span<const std::uint8_t> bytes, bool allDataReceived)
{
    // Unread bytes stay where they were in the data, which may have moved since.
    if (!m_source.reachedEnd) {
        const std::size_t consumed = m_source.base ? std::size_t(m_source.manager.next_input_byte - m_source.base) : 0;
        std::size_t at = std::min(consumed, bytes.size());
        const std::size_t skipped = std::min(m_source.pendingSkip, bytes.size() - at);
        at += skipped;
        m_source.pendingSkip -= skipped;
        m_source.base = bytes.data();
        m_source.manager.next_input_byte = bytes.data() + at;
        m_source.manager.bytes_in_buffer = bytes.size() - at;
    }
    m_source.allDataReceived = allDataReceived;
}

ImageDecoder::Result JPEGIncremental::update(std::span<const std::uint8_t> bytes, bool allDataReceived)
{
    if (!m_faulted && m_phase != Phase::Done) {
        feed(bytes, allDataReceived);
        // Nothing with a destructor may be created between here and the end of the reading.
        if (setjmp(m_errors.jump)) {
            m_faulted = true;
            m_phase = Phase::Done;
            jpeg_abort_decompress(&m_info);
        } else {
            advance();
        }
    }
    // The orientation comes before the frame header: known once the header is.
    if (m_result.headerRead && !m_orientationRead) {
        m_orientationRead = true;
        m_result.orientation = ExifOrientation::fromJPEG(bytes);
    }

    ImageDecoder::Result result;
    result.headerRead = m_result.headerRead;
    result.width = m_result.width;
    result.height = m_result.height;
    result.gray = m_result.gray;
    result.orientation = m_result.orientation;
    result.complete = m_result.complete;
    result.failed = m_faulted && !m_result.complete && m_rowsDone == 0;
    if (m_rowsDone > 0) {
        ImageDecoder::Frame frame;
        frame.complete = result.complete;
        result.frames.push_back(std::move(frame));
    }
    return result;
}

void JPEGIncremental::advance()
{
    if (m_phase == Phase::Header) {
        if (jpeg_read_header(&m_info, TRUE) == JPEG_SUSPENDED)
            return;
        readHeader();
    }
    if (m_phase == Phase::Start) {
        if (!jpeg_start_decompress(&m_info))
            return;
        m_phase = m_progressive ? Phase::Scans : Phase::Rows;
    }
    if (m_phase == Phase::Rows)
        readRows();
    if (m_phase == Phase::Scans)
        readScans();
    // Whatever follows the last row or scan (even a missing end marker) takes nothing away.
    if (m_phase == Phase::Finish && jpeg_finish_decompress(&m_info))
        m_phase = Phase::Done;
}

void JPEGIncremental::readHeader()
{
    if (m_info.image_width == 0 || m_info.image_height == 0
        || m_info.image_width > ImageDecoder::kMaximumSide || m_info.image_height > ImageDecoder::kMaximumSide
        || std::size_t(m_info.image_width) * m_info.image_height > ImageDecoder::kMaximumPixels)
        errorExit(reinterpret_cast<j_common_ptr>(&m_info));
    m_result.headerRead = true;
    m_result.width = m_info.image_width;
    m_result.height = m_info.image_height;
    m_result.gray = m_info.jpeg_color_space == JCS_GRAYSCALE;
    m_cmyk = m_info.jpeg_color_space == JCS_CMYK || m_info.jpeg_color_space == JCS_YCCK;
    m_info.out_color_space = m_cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    m_progressive = jpeg_has_multiple_scans(&m_info);
    // Scans are kept as they arrive and shown as each completes.
    m_info.buffered_image = m_progressive ? TRUE : FALSE;
    try {
        m_pixels.assign(m_result.width * m_result.height, 0);
        m_cmykRow.assign(m_result.width * 4, 0);
    } catch (const std::bad_alloc&) {
        errorExit(reinterpret_cast<j_common_ptr>(&m_info));
    }
    m_phase = Phase::Start;
}

void JPEGIncremental::storeRow(std::size_t y)
{
    if (!m_cmyk)
        return;
    // Adobe writes CMYK inverted; this is what every encoder in use produces.
    for (std::size_t x = 0; x < m_result.width; ++x) {
        const std::uint32_t c = m_cmykRow[4 * x], m = m_cmykRow[4 * x + 1], ye = m_cmykRow[4 * x + 2], k = m_cmykRow[4 * x + 3];
        m_pixels[y * m_result.width + x] = 0xFF000000u | ((c * k / 255) << 16) | ((m * k / 255) << 8) | (ye * k / 255);
    }
}

void JPEGIncremental::readRows()
{
    while (m_info.output_scanline < m_info.output_height) {
        const std::size_t y = m_info.output_scanline;
        JSAMPROW row = m_cmyk ? m_cmykRow.data() : reinterpret_cast<JSAMPROW>(m_pixels.data() + y * m_result.width);
        if (jpeg_read_scanlines(&m_info, &row, 1) != 1)
            return;
        // Rows decoded past the end of the data are made up: they are not shown.
        if (m_source.reachedEnd) {
            m_phase = Phase::Done;
            return;
        }
        storeRow(y);
        m_rowsDone = y + 1;
        ++m_revision;
    }
    m_result.complete = true;
    m_phase = Phase::Finish;
}

void JPEGIncremental::readScans()
{
    for (;;) {
        const int status = jpeg_consume_input(&m_info);
        if (status == JPEG_SUSPENDED || status == JPEG_REACHED_EOI)
            break;
    }
    const bool inputComplete = jpeg_input_complete(&m_info);
    // Each scan refines the whole picture once, when the next begins (so showing it never waits
    // for data); a file cut short shows what arrived.
    const int shown = inputComplete ? m_info.input_scan_number : m_info.input_scan_number - 1;
    if (shown > m_shownScan)
        outputScan(shown);
    if (inputComplete) {
        m_result.complete = !m_source.reachedEnd;
        m_phase = m_result.complete ? Phase::Finish : Phase::Done;
        if (!m_result.complete)
            jpeg_abort_decompress(&m_info);
    }
}

void JPEGIncremental::outputScan(int scan)
{
    jpeg_start_output(&m_info, scan);
    while (m_info.output_scanline < m_info.output_height) {
        const std::size_t y = m_info.output_scanline;
        JSAMPROW row = m_cmyk ? m_cmykRow.data() : reinterpret_cast<JSAMPROW>(m_pixels.data() + y * m_result.width);
        if (jpeg_read_scanlines(&m_info, &row, 1) != 1)
            break;
        storeRow(y);
    }
    jpeg_finish_output(&m_info);
    m_shownScan = scan;
    m_rowsDone = m_result.height;
    ++m_revision;
}

CairoSurface JPEGIncremental::surface() const
{
    if (m_rowsDone == 0)
        return nullptr;
    return ImageDecoder::surfaceFromPixels(m_pixels, m_result.width, m_result.complete ? m_result.height : m_rowsDone);
}

} // namespace

ImageDecoder::Result JPEGImageDecoder::decode(std::span<const std::uint8_t> bytes, bool allDataReceived) const
{
    JPEGIncremental reading;
    // Read whole: data that may still grow is read as if it had ended here.
    (void)allDataReceived;
    Result result = reading.update(bytes, true);
    if (!result.frames.empty()) {
        result.frames[0].surface = reading.surface();
        if (!result.frames[0].surface)
            result.frames.clear();
    }
    return result;
}

std::unique_ptr<ImageDecoder::Incremental> JPEGImageDecoder::incremental() const
{
    return std::make_unique<JPEGIncremental>();
}

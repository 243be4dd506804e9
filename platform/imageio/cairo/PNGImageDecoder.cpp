#include "platform/imageio/cairo/PNGImageDecoder.h"

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

// One reading of a file, fed the new bytes of each update.
class PNGIncremental final : public ImageDecoder::Incremental {
public:
    PNGIncremental() : m_state { &m_result, &m_pixels, &m_row, 0, false, 1, &m_interlacedRows } { }
    ~PNGIncremental() override { end(); }

    ImageDecoder::Result update(std::span<const std::uint8_t> bytes, bool allDataReceived) override;
    CairoSurface surface() const override;
    std::size_t revision() const override { return m_revision; }

private:
    void end()
    {
        if (m_png)
            png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr);
        m_png = nullptr;
        m_info = nullptr;
    }

    ImageDecoder::Result m_result;
    std::vector<std::uint32_t> m_pixels;
    std::vector<png_byte> m_row;
    std::vector<std::vector<png_byte>> m_interlacedRows;
    ProgressiveState m_state;
    png_structp m_png { nullptr };
    png_infop m_info { nullptr };
    std::size_t m_fed { 0 };
    bool m_started { false };
    bool m_faulted { false };
    std::size_t m_revision { 0 };
};

ImageDecoder::Result PNGIncremental::update(std::span<const std::uint8_t> bytes, bool allDataReceived)
{
    if (!m_started) {
        m_started = true;
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, errorExit, onWarning);
        m_info = m_png ? png_create_info_struct(m_png) : nullptr;
        if (!m_info) {
            end();
            m_faulted = true;
        } else {
            png_set_progressive_read_fn(m_png, &m_state, onInfo, onRow, onEnd);
            png_set_crc_action(m_png, PNG_CRC_DEFAULT, PNG_CRC_WARN_DISCARD);
        }
    }
    const std::size_t rowsBefore = m_state.rowsDone;
    const bool completeBefore = m_result.complete;
    if (m_png && !m_result.complete && bytes.size() > m_fed) {
        // Nothing with a destructor may be created between here and the end of the reading.
        if (setjmp(png_jmpbuf(m_png))) {
            end();
            m_faulted = true;
        } else {
            png_process_data(m_png, m_info, const_cast<png_bytep>(bytes.data() + m_fed), bytes.size() - m_fed);
            m_fed = bytes.size();
        }
    }
    if (m_result.complete || m_state.damaged)
        end();
    // Interlaced passes refine rows already shown.
    if (m_state.rowsDone != rowsBefore || m_result.complete != completeBefore || (m_state.interlaced && m_state.rowsDone))
        ++m_revision;

    ImageDecoder::Result result;
    result.headerRead = m_result.headerRead;
    result.width = m_result.width;
    result.height = m_result.height;
    result.hasAlpha = m_result.hasAlpha;
    result.gray = m_result.gray;
    result.complete = m_result.complete && !m_state.damaged;
    // While data is still arriving, the rows before a fault are shown; once it has all arrived, a
    // fault means damaged data and no image at all.
    const bool faulted = (m_faulted && !m_result.complete) || m_state.damaged;
    result.failed = faulted && (allDataReceived || !result.headerRead || m_state.rowsDone == 0);
    if (m_state.rowsDone > 0 && result.headerRead && !result.failed) {
        ImageDecoder::Frame frame;
        frame.complete = result.complete;
        result.frames.push_back(std::move(frame));
    }
    return result;
}

CairoSurface PNGIncremental::surface() const
{
    if (!m_result.headerRead || m_state.rowsDone == 0)
        return nullptr;
    return ImageDecoder::surfaceFromPixels(m_pixels, m_result.width, m_result.complete ? m_result.height : m_state.rowsDone);
}

} // namespace

ImageDecoder::Result PNGImageDecoder::decode(std::span<const std::uint8_t> bytes, bool allDataReceived) const
{
    PNGIncremental reading;
    Result result = reading.update(bytes, allDataReceived);
    if (!result.frames.empty()) {
        result.frames[0].surface = reading.surface();
        if (!result.frames[0].surface)
            result.frames.clear();
    }
    return result;
}

std::unique_ptr<ImageDecoder::Incremental> PNGImageDecoder::incremental() const
{
    return std::make_unique<PNGIncremental>();
}

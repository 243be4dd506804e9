#include "platform/layers/LayerCompositor.h"

#include "platform/graphics/cairo/CairoBackend.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

void LayerCompositor::shiftPixels(int x0, int y0, int width, int height, int dx, int dy)
{
    cairo_surface_t* pixels = m_context->backend().cairoSurface();
    cairo_surface_flush(pixels);
    unsigned char* data = cairo_image_surface_get_data(pixels);
    const std::ptrdiff_t stride = cairo_image_surface_get_stride(pixels);
    const std::size_t rowBytes = static_cast<std::size_t>(width - std::abs(dx)) * 4;
    const int fromX = x0 + std::max(0, -dx), toX = x0 + std::max(0, dx);
    const int rows = int(m_pictureRows);
    if (dx == 0 && x0 == 0 && std::ptrdiff_t(rowBytes) == stride && rows - height < height - std::abs(dy)) {
        const std::ptrdiff_t row = std::ptrdiff_t(m_pictureRow) - dy;
        if (row >= 0 && std::size_t(row) <= m_spareRows) {
            // The picture slides by whole rows in its memory; the rows above and below the
            // rectangle stay where they were on the screen, so they are copied after it.
            std::uint8_t* slid = m_pictureMemory.get() + row * stride;
            if (y0 > 0)
                std::memmove(slid, data, std::size_t(y0) * rowBytes);
            if (y0 + height < rows)
                std::memmove(slid + std::ptrdiff_t(y0 + height) * stride, data + std::ptrdiff_t(y0 + height) * stride,
                    std::size_t(rows - y0 - height) * rowBytes);
            placePicture(std::size_t(row));
            return;
        }
        // Out of spare rows: shifted as it is copied, once, to the far end of its memory, which
        // leaves every spare row to a scroll that goes on the same way. Every row moves the same
        // way, so the blocks are copied in the order that never overwrites a row still to be read.
        const std::size_t to = dy > 0 ? m_spareRows : 0;
        std::uint8_t* const target = m_pictureMemory.get() + std::ptrdiff_t(to) * stride;
        const auto copyRows = [&](int toRow, int fromRow, int count) {
            if (count > 0)
                std::memmove(target + std::ptrdiff_t(toRow) * stride, data + std::ptrdiff_t(fromRow) * stride, std::size_t(count) * rowBytes);
        };
        const auto above = [&] { copyRows(0, 0, y0); };
        const auto inside = [&] { copyRows(y0 + std::max(0, dy), y0 + std::max(0, -dy), height - std::abs(dy)); };
        const auto below = [&] { copyRows(y0 + height, y0 + height, rows - y0 - height); };
        if (dy > 0) {
            below();
            inside();
            above();
        } else {
            above();
            inside();
            below();
        }
        placePicture(to);
        return;
    }
    if (dx == 0 && x0 == 0 && std::ptrdiff_t(rowBytes) == stride) {
        // Whole rows: one move of the block.
        std::memmove(data + (y0 + std::max(0, dy)) * stride, data + (y0 + std::max(0, -dy)) * stride,
            std::size_t(height - std::abs(dy)) * rowBytes);
    } else {
        // Rows in the order that never overwrites a row still to be read.
        for (int i = 0; i < height - std::abs(dy); ++i) {
            const int toY = dy > 0 ? y0 + height - 1 - i : y0 + i;
            const int fromY = toY - dy;
            std::memmove(data + toY * stride + toX * 4, data + fromY * stride + fromX * 4, rowBytes);
        }
    }
    cairo_surface_mark_dirty(pixels);
}

void LayerCompositor::paintBackground()
{
    cairo_t* cr = m_context->backend().cairoContext();
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    const auto rgba = m_backgroundColor ? m_backgroundColor->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 0 };
    cairo_set_source_rgba(cr, rgba[0], rgba[1], rgba[2], rgba[3]);
    cairo_paint(cr);
    cairo_restore(cr);
}

CGImageRef LayerCompositor::image() const
{
    return CGImageCreateWithCairoSurface(m_context->backend().cairoSurface(), CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
}

bool LayerCompositor::writePNG(const NSString& path) const
{
    return cairo_surface_write_to_png(m_context->backend().cairoSurface(), path.UTF8String().c_str()) == CAIRO_STATUS_SUCCESS;
}

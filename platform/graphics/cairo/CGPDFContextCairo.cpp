#include "platform/graphics/CGPDFContext.h"
#include "platform/graphics/cairo/CairoBackend.h"

#include <cairo-pdf.h>

namespace {

cairo_status_t writeToConsumer(void* closure, const unsigned char* data, unsigned int length)
{
    return static_cast<CGDataConsumer*>(closure)->write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

} // namespace

bool CGPDFContext::init(CGDataConsumerRef consumer, CGRect mediaBox)
{
    mediaBox = CGRectStandardize(mediaBox);
    if (!consumer || !(mediaBox.size.width > 0) || !(mediaBox.size.height > 0))
        return false;
    m_consumer = std::move(consumer);
    m_mediaBox = mediaBox;
    CairoSurface surface(cairo_pdf_surface_create_for_stream(writeToConsumer, m_consumer.get(), mediaBox.size.width, mediaBox.size.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    CGContext::init(CGContextMakeCairoBackend(surface.get(), mediaBox.size,
        CGAffineTransformMakeTranslation(-mediaBox.origin.x, -mediaBox.origin.y), 1));
    return true;
}

void CGPDFContext::beginPage(const CGRect* mediaBox)
{
    if (m_closed)
        return;
    if (m_inPage)
        endPage();
    const CGRect box = mediaBox ? CGRectStandardize(*mediaBox) : m_mediaBox;
    if (box.size.width > 0 && box.size.height > 0) {
        cairo_pdf_surface_set_size(backend().cairoSurface(), box.size.width, box.size.height);
        m_mediaBox = box;
    }
    CGContext::init(CGContextMakeCairoBackend(backend().cairoSurface(), m_mediaBox.size,
        CGAffineTransformMakeTranslation(-m_mediaBox.origin.x, -m_mediaBox.origin.y), 1));
    m_inPage = true;
}

void CGPDFContext::endPage()
{
    if (!m_inPage || m_closed)
        return;
    cairo_show_page(backend().cairoContext());
    m_inPage = false;
}

void CGPDFContext::close()
{
    if (m_closed)
        return;
    if (m_inPage)
        endPage();
    cairo_surface_finish(backend().cairoSurface());
    m_closed = true;
}

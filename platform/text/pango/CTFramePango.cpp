#include "platform/text/pango/PangoText.h"

#include "platform/text/pango/TextDrawing.h"

namespace {

void drawFrame(const CTFrame& frame, cairo_t* cairo)
{
    const auto& lines = frame.lines();
    const auto& origins = frame.lineOrigins();
    const CGPoint corner = frame.bounds().origin;
    for (std::size_t index = 0; index < lines.size(); ++index)
        lines[index]->backend().draw(cairo, CGPointMake(corner.x + origins[index].x, corner.y + origins[index].y), true);
}

} // namespace

void CTFrameDraw(const CTFrameRef& frame, cairo_t* cairo)
{
    if (frame && cairo)
        drawFrame(*frame, cairo);
}

void CTFrameDraw(const CTFrameRef& frame, const std::shared_ptr<CGContext>& context)
{
    if (frame && context)
        TextDrawing::drawInContext(context, [&](cairo_t* cairo) { drawFrame(*frame, cairo); });
}

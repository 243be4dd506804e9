#include "platform/text/TextLayout.h"
#include "platform/text/pango/PangoText.h"
#include "platform/text/pango/TextDrawing.h"

void TextLayout::drawInContext(const CGContextRef& context, CGPoint topLeft) const
{
    TextDrawing::drawInContext(context, [&](cairo_t* cairo) {
        for (const PlacedLine& placed : m_lines)
            placed.line->backend().draw(cairo, CGPointMake(topLeft.x + placed.origin.x, topLeft.y + placed.origin.y), false);
    });
}

void TextLayout::drawLine(const CTLineRef& line, const CGContextRef& context, CGPoint baselineOrigin)
{
    if (line)
        TextDrawing::drawInContext(context, [&](cairo_t* cairo) { line->backend().draw(cairo, baselineOrigin, false); });
}

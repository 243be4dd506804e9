#include "platform/text/pango/PangoText.h"

#include "platform/text/pango/TextDrawing.h"

#include <algorithm>

void CTFrame::init(std::vector<CTLineRef> lines, std::vector<CGPoint> origins, CGPathRef path, CGRect bounds, CFRange stringRange,
    CFRange visibleStringRange)
{
    m_lines = std::move(lines);
    m_origins = std::move(origins);
    m_path = std::move(path);
    m_bounds = bounds;
    m_stringRange = stringRange;
    m_visibleStringRange = visibleStringRange;
}

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

std::vector<CTLineRef> CTFrameGetLines(const CTFrameRef& frame)
{
    return frame ? frame->lines() : std::vector<CTLineRef> {};
}

void CTFrameGetLineOrigins(const CTFrameRef& frame, CFRange range, CGPoint* origins)
{
    if (!frame || !origins)
        return;
    const auto& all = frame->lineOrigins();
    const CFIndex count = static_cast<CFIndex>(all.size());
    CFIndex end = 0;
    if (!CTTypes::rangeEnd(range, count, end))
        return;
    std::copy(all.begin() + range.location, all.begin() + end, origins);
}

CFRange CTFrameGetStringRange(const CTFrameRef& frame)
{
    return frame ? frame->stringRange() : CFRangeMake(0, 0);
}

CFRange CTFrameGetVisibleStringRange(const CTFrameRef& frame)
{
    return frame ? frame->visibleStringRange() : CFRangeMake(0, 0);
}

CGPathRef CTFrameGetPath(const CTFrameRef& frame)
{
    return frame ? frame->path() : nullptr;
}

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

#include "platform/text/CTFrame.h"

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

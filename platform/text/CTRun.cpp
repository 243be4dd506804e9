#include "platform/text/CTRun.h"

#include <algorithm>

void CTRun::init(CFRange stringRange, NSAttributes attributes, CTRunStatus status, CGFloat x, CGFloat width, Metrics metrics,
    std::vector<CGPoint> positions)
{
    m_stringRange = stringRange;
    m_attributes = std::move(attributes);
    m_status = status;
    m_x = x;
    m_width = width;
    m_metrics = metrics;
    m_positions = std::move(positions);
}

CFIndex CTRunGetGlyphCount(const CTRunRef& run)
{
    return run ? static_cast<CFIndex>(run->positions().size()) : 0;
}

CFRange CTRunGetStringRange(const CTRunRef& run)
{
    return run ? run->stringRange() : CFRangeMake(kCFNotFound, 0);
}

NSAttributes CTRunGetAttributes(const CTRunRef& run)
{
    return run ? run->attributes() : nullptr;
}

CTRunStatus CTRunGetStatus(const CTRunRef& run)
{
    return run ? run->status() : kCTRunStatusNoStatus;
}

double CTRunGetTypographicBounds(const CTRunRef& run, CFRange range, CGFloat* ascent, CGFloat* descent, CGFloat* leading)
{
    if (ascent)
        *ascent = run ? run->metrics().ascent : 0;
    if (descent)
        *descent = run ? run->metrics().descent : 0;
    if (leading)
        *leading = run ? run->metrics().leading : 0;
    if (!run)
        return 0;
    const auto& positions = run->positions();
    const CFIndex count = static_cast<CFIndex>(positions.size());
    CFIndex end = 0;
    if (!CTTypes::rangeEnd(range, count, end))
        return 0;
    if (range.location == 0 && end == count)
        return run->width();
    const CGFloat right = run->x() + run->width();
    auto edge = [&](CFIndex index) { return index >= count ? right : positions[static_cast<std::size_t>(index)].x; };
    return std::max<CGFloat>(0, edge(end) - edge(range.location));
}

void CTRunGetPositions(const CTRunRef& run, CFRange range, CGPoint* buffer)
{
    if (!run || !buffer)
        return;
    const auto& positions = run->positions();
    const CFIndex count = static_cast<CFIndex>(positions.size());
    CFIndex end = 0;
    if (!CTTypes::rangeEnd(range, count, end))
        return;
    std::copy(positions.begin() + range.location, positions.begin() + end, buffer);
}

#pragma once
// A run: a stretch of one line drawn with one set of attributes.

#include "platform/text/CTTypes.h"
#include "platform/text/NSAttributedString.h"
#include "platform/graphics/CGGeometry.h"

#include <vector>

enum CTRunStatus : std::uint32_t {
    kCTRunStatusNoStatus = 0,
    kCTRunStatusRightToLeft = 1 << 0,
    kCTRunStatusNonMonotonic = 1 << 1,
    kCTRunStatusHasNonIdentityMatrix = 1 << 2,
};

class CTRun : public NSObject {
    NS_OBJECT(CTRun, NSObject)
public:
    struct Metrics {
        CGFloat ascent { 0 };
        CGFloat descent { 0 };
        CGFloat leading { 0 };
    };

    CFRange stringRange() const { return m_stringRange; }
    const NSAttributes& attributes() const { return m_attributes; }
    CTRunStatus status() const { return m_status; }
    // Left edge in the line, relative to the line's origin.
    CGFloat x() const { return m_x; }
    CGFloat width() const { return m_width; }
    const Metrics& metrics() const { return m_metrics; }
    // Glyph origins relative to the line's origin, baseline at y 0.
    const std::vector<CGPoint>& positions() const { return m_positions; }

protected:
    void init(CFRange stringRange, NSAttributes attributes, CTRunStatus status, CGFloat x, CGFloat width, Metrics metrics,
        std::vector<CGPoint> positions);

private:
    CFRange m_stringRange;
    NSAttributes m_attributes;
    CTRunStatus m_status { kCTRunStatusNoStatus };
    CGFloat m_x { 0 };
    CGFloat m_width { 0 };
    Metrics m_metrics;
    std::vector<CGPoint> m_positions;
};

using CTRunRef = std::shared_ptr<CTRun>;

CFIndex CTRunGetGlyphCount(const CTRunRef& run);
CFRange CTRunGetStringRange(const CTRunRef& run);
NSAttributes CTRunGetAttributes(const CTRunRef& run);
CTRunStatus CTRunGetStatus(const CTRunRef& run);
// The run's width over the range of its glyphs (length 0: to the end).
double CTRunGetTypographicBounds(const CTRunRef& run, CFRange range, CGFloat* ascent, CGFloat* descent, CGFloat* leading);
void CTRunGetPositions(const CTRunRef& run, CFRange range, CGPoint* buffer);

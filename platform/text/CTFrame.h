#pragma once
// Lines laid out in a rectangle, with origins as the text engine gives them: relative to the
// bottom-left corner of the rectangle, y up. Lines that do not fit the rectangle are dropped.

#include "platform/text/CTLine.h"
#include "platform/graphics/CGPath.h"

class CTFrame : public NSObject {
    NS_OBJECT(CTFrame, NSObject)
public:
    const std::vector<CTLineRef>& lines() const { return m_lines; }
    const std::vector<CGPoint>& lineOrigins() const { return m_origins; }
    CGRect bounds() const { return m_bounds; }
    const CGPathRef& path() const { return m_path; }
    CFRange stringRange() const { return m_stringRange; }
    CFRange visibleStringRange() const { return m_visibleStringRange; }

protected:
    void init(std::vector<CTLineRef> lines, std::vector<CGPoint> origins, CGPathRef path, CGRect bounds, CFRange stringRange,
        CFRange visibleStringRange);

private:
    std::vector<CTLineRef> m_lines;
    std::vector<CGPoint> m_origins;
    CGPathRef m_path;
    CGRect m_bounds;
    CFRange m_stringRange;
    CFRange m_visibleStringRange;
};

using CTFrameRef = std::shared_ptr<CTFrame>;

std::vector<CTLineRef> CTFrameGetLines(const CTFrameRef& frame);
// Copies the origins of the lines of the range (length 0: to the last line).
void CTFrameGetLineOrigins(const CTFrameRef& frame, CFRange range, CGPoint* origins);
CFRange CTFrameGetStringRange(const CTFrameRef& frame);
CFRange CTFrameGetVisibleStringRange(const CTFrameRef& frame);
CGPathRef CTFrameGetPath(const CTFrameRef& frame);
// Draws in the context's user space, y up, with its shadow and alpha.
void CTFrameDraw(const CTFrameRef& frame, const std::shared_ptr<CGContext>& context);

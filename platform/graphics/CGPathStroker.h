#pragma once
// Turns a path into the outline of its stroke, or into its dashes. The outline is a union of
// pieces (one quadrilateral per segment, one per join, one per cap), all wound the same way,
// so filling it with the winding rule paints exactly the stroked area.

#include "platform/graphics/CGPath.h"

#include <vector>

class CGPathStroker {
public:
    void setLineWidth(CGFloat width) { m_lineWidth = width; }
    void setLineCap(CGLineCap cap) { m_lineCap = cap; }
    void setLineJoin(CGLineJoin join) { m_lineJoin = join; }
    void setMiterLimit(CGFloat limit) { m_miterLimit = limit; }
    // An empty list, or one whose lengths are all zero, means a solid line.
    void setDash(CGFloat phase, std::vector<CGFloat> lengths);

    std::shared_ptr<CGPath> strokedPath(const CGPath& path) const;
    std::shared_ptr<CGPath> dashedPath(const CGPath& path) const;

private:
    std::vector<CGPath::Polyline> dashed(const std::vector<CGPath::Polyline>& lines) const;
    void strokePolyline(const CGPath::Polyline& line, CGPath& out) const;
    void addJoin(CGPoint vertex, CGPoint incoming, CGPoint outgoing, CGPath& out) const;
    void addCap(CGPoint end, CGPoint direction, CGPath& out) const;

    CGFloat m_lineWidth { 1 };
    CGLineCap m_lineCap { kCGLineCapButt };
    CGLineJoin m_lineJoin { kCGLineJoinMiter };
    CGFloat m_miterLimit { 10 };
    CGFloat m_dashPhase { 0 };
    std::vector<CGFloat> m_dashLengths;
};

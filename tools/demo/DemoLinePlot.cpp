#include "tools/demo/DemoLinePlot.h"

#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEPlotSpace.h"

#include <algorithm>

void DemoLinePlot::init(CGRect frame)
{
    PEPlot::init(frame);
    m_lineStyle = PELineStyle::lineStyle();
}

void DemoLinePlot::setPoints(std::vector<CGPoint> points)
{
    m_points = std::move(points);
    setNeedsDisplay();
}

void DemoLinePlot::setLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_lineStyle)
        return;
    m_lineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
}

std::shared_ptr<PEPlotRange> DemoLinePlot::plotRangeForCoordinate(PECoordinate coordinate) const
{
    if (m_points.empty())
        return nullptr;
    auto value = [coordinate](CGPoint point) { return coordinate == PECoordinateX ? point.x : point.y; };
    auto [low, high] = std::minmax_element(m_points.begin(), m_points.end(), [&](CGPoint a, CGPoint b) { return value(a) < value(b); });
    return PEPlotRange::plotRangeWithLocation(value(*low), value(*high) - value(*low));
}

void DemoLinePlot::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    PEPlot::renderAsVectorInContext(context);
    if (!plotSpace() || !m_lineStyle || m_points.size() < 2)
        return;
    // The line stays inside the plot area however far the ranges are zoomed.
    CGContextClipToRect(context, bounds());
    m_lineStyle->setLineStyleInContext(context);
    CGContextBeginPath(context);
    bool first = true;
    for (CGPoint point : m_points) {
        double plotPoint[2] = { point.x, point.y };
        CGPoint viewPoint = plotSpace()->plotAreaViewPointForDoublePrecisionPlotPoint(plotPoint, 2);
        if (first)
            CGContextMoveToPoint(context, viewPoint.x, viewPoint.y);
        else
            CGContextAddLineToPoint(context, viewPoint.x, viewPoint.y);
        first = false;
    }
    m_lineStyle->strokePathInContext(context);
}

void DemoLinePlot::drawSwatchForLegend(PELegend&, NSUInteger, CGRect rect, const CGContextRef& context)
{
    if (!m_lineStyle)
        return;
    m_lineStyle->setLineStyleInContext(context);
    CGContextBeginPath(context);
    CGContextMoveToPoint(context, CGRectGetMinX(rect), CGRectGetMidY(rect));
    CGContextAddLineToPoint(context, CGRectGetMaxX(rect), CGRectGetMidY(rect));
    m_lineStyle->strokePathInContext(context);
}

#pragma once
// A plain line through a few data points, for the chart screen of the demonstration: the engine's
// plot types pull their figures from data sources; this one simply holds them.

#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEPlot.h"

#include <vector>

class DemoLinePlot : public PEPlot {
    NS_OBJECT(DemoLinePlot, PEPlot)
public:
    const std::vector<CGPoint>& points() const { return m_points; }
    void setPoints(std::vector<CGPoint> points);
    const std::shared_ptr<PELineStyle>& lineStyle() const { return m_lineStyle; }
    void setLineStyle(const std::shared_ptr<PELineStyle>& style);

    std::shared_ptr<PEPlotRange> plotRangeForCoordinate(PECoordinate coordinate) const override;
    void renderAsVectorInContext(const CGContextRef& context) override;
    void drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context) override;

protected:
    void init(CGRect frame);
    void init() { init(CGRectZero); }

private:
    std::vector<CGPoint> m_points;
    std::shared_ptr<PELineStyle> m_lineStyle;
};

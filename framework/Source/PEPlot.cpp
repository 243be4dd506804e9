#include "framework/Source/PEPlot.h"

#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEPlotSpace.h"

void PEPlot::init(CGRect frame)
{
    PEAnnotationHostLayer::init(frame);
    setNeedsDisplayOnBoundsChange(true);
}

void PEPlot::setPlotSpace(const std::shared_ptr<PEPlotSpace>& space)
{
    if (space == m_plotSpace)
        return;
    m_plotSpace = space;
    setNeedsLayout();
    setNeedsDisplay();
}

std::shared_ptr<PEPlotRange> PEPlot::plotRangeForCoordinate(PECoordinate) const { return nullptr; }

NSString PEPlot::titleForLegendEntryAtIndex(NSUInteger) const
{
    if (auto text = ns::cast<NSStringObject>(identifier()))
        return NSString(text);
    return nullptr;
}

std::shared_ptr<NSAttributedString> PEPlot::attributedTitleForLegendEntryAtIndex(NSUInteger) const
{
    if (auto text = ns::cast<NSAttributedString>(identifier()))
        return text;
    return nullptr;
}

void PEPlot::drawSwatchForLegend(PELegend&, NSUInteger, CGRect, const CGContextRef&) { }

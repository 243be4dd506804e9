#include "framework/Source/PEAxisSet.h"

#include "framework/Source/PEAxis.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEPlotArea.h"
#include "platform/foundation/NSArray.h"

void PEAxisSet::setAxes(std::vector<std::shared_ptr<PEAxis>> axes)
{
    auto area = m_axes.empty() ? nullptr : m_axes.front()->plotArea();
    for (const auto& axis : m_axes) {
        axis->setPlotArea(nullptr);
        axis->removeFromSuperlayer();
    }
    m_axes = std::move(axes);
    for (const auto& axis : m_axes) {
        addSublayer(axis);
        axis->setGraph(graph());
        if (area)
            axis->setPlotArea(area);
    }
    if (area) {
        for (auto type : { PEPlotAreaLayerTypeMajorGridLines, PEPlotAreaLayerTypeMinorGridLines, PEPlotAreaLayerTypeAxisLabels, PEPlotAreaLayerTypeAxisTitles })
            area->updateAxisSetLayersForType(type);
    }
    setNeedsLayout();
    setNeedsDisplay();
}

std::shared_ptr<PEAxis> PEAxisSet::axisForCoordinate(PECoordinate coordinate, NSUInteger index) const
{
    NSUInteger found = 0;
    for (const auto& axis : m_axes) {
        if (axis->coordinate() != coordinate)
            continue;
        if (found++ == index)
            return axis;
    }
    return nullptr;
}

void PEAxisSet::setBorderLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_borderLineStyle)
        return;
    m_borderLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
}

void PEAxisSet::setGraph(const std::shared_ptr<PEGraph>& graph)
{
    PELayer::setGraph(graph);
    for (const auto& axis : m_axes)
        axis->setGraph(graph);
}

void PEAxisSet::relabelAxes()
{
    for (const auto& axis : m_axes) {
        axis->setNeedsRelabel();
        axis->relabel();
    }
}

void PEAxisSet::layoutSublayers()
{
    PELayer::layoutSublayers();
    for (const auto& axis : m_axes)
        axis->updateAxisLabelPositions();
}

bool PEAxisSet::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    for (const auto& axis : m_axes) {
        if (axis->pointingDeviceDownEvent(event, interactionPoint))
            return true;
    }
    return PELayer::pointingDeviceDownEvent(event, interactionPoint);
}

void PEAxisSet::encodeWithCoder(NSCoder& coder) const
{
    PELayer::encodeWithCoder(coder);
    coder.encodeObject(NSArray::create(std::vector<id>(m_axes.begin(), m_axes.end())), "PEAxisSet.axes");
    coder.encodeObject(m_borderLineStyle, "PEAxisSet.borderLineStyle");
}

bool PEAxisSet::init(NSCoder& coder)
{
    if (!PELayer::init(coder))
        return false;
    std::vector<std::shared_ptr<PEAxis>> axes;
    if (auto array = coder.decodeObjectOfClass<NSArray>("PEAxisSet.axes")) {
        for (NSUInteger i = 0; i < array->count(); ++i) {
            if (auto axis = ns::cast<PEAxis>(array->objectAtIndex(i)))
                axes.push_back(axis);
        }
    }
    setAxes(std::move(axes));
    m_borderLineStyle = coder.decodeObjectOfClass<PELineStyle>("PEAxisSet.borderLineStyle");
    return true;
}

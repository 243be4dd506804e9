#include "framework/Source/PEPlotArea.h"

#include "framework/Source/PEAxis.h"
#include "framework/Source/PEAxisLabelGroup.h"
#include "framework/Source/PEAxisSet.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEGridLineGroup.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEPlotGroup.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSNumber.h"

#include <algorithm>

void PEPlotArea::init(CGRect frame)
{
    PEAnnotationHostLayer::init(frame);
    updateLayerOrder();
    setPlotGroup(PEPlotGroup::create(frame));
    setNeedsDisplayOnBoundsChange(true);
}

std::shared_ptr<CALayer> PEPlotArea::layerForType(PEPlotAreaLayerType type) const
{
    switch (type) {
    case PEPlotAreaLayerTypeMinorGridLines:
        return m_minorGridLineGroup;
    case PEPlotAreaLayerTypeMajorGridLines:
        return m_majorGridLineGroup;
    case PEPlotAreaLayerTypeAxisLines:
        return m_axisSet;
    case PEPlotAreaLayerTypePlots:
        return m_plotGroup;
    case PEPlotAreaLayerTypeAxisLabels:
        return m_axisLabelGroup;
    case PEPlotAreaLayerTypeAxisTitles:
        return m_axisTitleGroup;
    }
    return nullptr;
}

void PEPlotArea::setTopDownLayerOrder(const std::vector<int>& order)
{
    if (order == m_topDownLayerOrder)
        return;
    m_topDownLayerOrder = order;
    updateLayerOrder();
}

void PEPlotArea::updateLayerOrder()
{
    // The named types go on top in the order given; the rest keep their default order below.
    // Repeats and values outside the six types are skipped, so the array always holds each
    // type exactly once.
    std::vector<PEPlotAreaLayerType> named;
    for (int entry : m_topDownLayerOrder) {
        if (entry < 0 || entry >= PEPlotAreaLayerTypeCount)
            continue;
        auto type = static_cast<PEPlotAreaLayerType>(entry);
        if (std::find(named.begin(), named.end(), type) == named.end())
            named.push_back(type);
        if (named.size() == PEPlotAreaLayerTypeCount)
            break;
    }
    std::size_t index = 0;
    for (int type = 0; type < PEPlotAreaLayerTypeCount; ++type) {
        if (std::find(named.begin(), named.end(), static_cast<PEPlotAreaLayerType>(type)) == named.end())
            m_bottomUpLayerOrder[index++] = static_cast<PEPlotAreaLayerType>(type);
    }
    for (auto it = named.rbegin(); it != named.rend(); ++it)
        m_bottomUpLayerOrder[index++] = *it;

    m_updatingLayers = true;
    setMinorGridLineGroup(m_minorGridLineGroup);
    setMajorGridLineGroup(m_majorGridLineGroup);
    setAxisSet(m_axisSet);
    setPlotGroup(m_plotGroup);
    setAxisLabelGroup(m_axisLabelGroup);
    setAxisTitleGroup(m_axisTitleGroup);
    m_updatingLayers = false;
}

NSUInteger PEPlotArea::indexForLayerType(PEPlotAreaLayerType type) const
{
    NSUInteger index = 0;
    for (auto entry : m_bottomUpLayerOrder) {
        if (entry == type)
            break;
        if (layerForType(entry))
            ++index;
    }
    return std::min<NSUInteger>(index, sublayers().size());
}

void PEPlotArea::installLayer(std::shared_ptr<CALayer> current, const std::shared_ptr<CALayer>& layer, PEPlotAreaLayerType type)
{
    if (current)
        current->removeFromSuperlayer();
    if (layer)
        insertSublayer(layer, static_cast<unsigned>(indexForLayerType(type)));
    setNeedsLayout();
}

void PEPlotArea::setMinorGridLineGroup(const std::shared_ptr<PEGridLineGroup>& group)
{
    if (group == m_minorGridLineGroup && !m_updatingLayers)
        return;
    auto old = m_minorGridLineGroup;
    m_minorGridLineGroup = group;
    if (group) {
        group->setPlotArea(self());
        group->setMajor(false);
    }
    installLayer(old, group, PEPlotAreaLayerTypeMinorGridLines);
}

void PEPlotArea::setMajorGridLineGroup(const std::shared_ptr<PEGridLineGroup>& group)
{
    if (group == m_majorGridLineGroup && !m_updatingLayers)
        return;
    auto old = m_majorGridLineGroup;
    m_majorGridLineGroup = group;
    if (group) {
        group->setPlotArea(self());
        group->setMajor(true);
    }
    installLayer(old, group, PEPlotAreaLayerTypeMajorGridLines);
}

void PEPlotArea::setAxisSet(const std::shared_ptr<PEAxisSet>& axisSet)
{
    if (axisSet == m_axisSet && !m_updatingLayers)
        return;
    auto old = m_axisSet;
    if (old && old != axisSet) {
        for (const auto& axis : old->axes())
            axis->setPlotArea(nullptr);
    }
    m_axisSet = axisSet;
    if (old)
        old->removeFromSuperlayer();
    for (auto type : { PEPlotAreaLayerTypeMajorGridLines, PEPlotAreaLayerTypeMinorGridLines, PEPlotAreaLayerTypeAxisLabels, PEPlotAreaLayerTypeAxisTitles })
        updateAxisSetLayersForType(type);
    if (axisSet) {
        insertSublayer(axisSet, static_cast<unsigned>(indexForLayerType(PEPlotAreaLayerTypeAxisLines)));
        axisSet->setGraph(graph());
        for (const auto& axis : axisSet->axes()) {
            axis->setPlotArea(self());
            axis->setGraph(graph());
        }
    }
    setNeedsLayout();
}

void PEPlotArea::setPlotGroup(const std::shared_ptr<PEPlotGroup>& group)
{
    if (group == m_plotGroup && !m_updatingLayers)
        return;
    auto old = m_plotGroup;
    m_plotGroup = group;
    installLayer(old, group, PEPlotAreaLayerTypePlots);
}

void PEPlotArea::setAxisLabelGroup(const std::shared_ptr<PEAxisLabelGroup>& group)
{
    if (group == m_axisLabelGroup && !m_updatingLayers)
        return;
    auto old = m_axisLabelGroup;
    m_axisLabelGroup = group;
    installLayer(old, group, PEPlotAreaLayerTypeAxisLabels);
}

void PEPlotArea::setAxisTitleGroup(const std::shared_ptr<PEAxisLabelGroup>& group)
{
    if (group == m_axisTitleGroup && !m_updatingLayers)
        return;
    auto old = m_axisTitleGroup;
    m_axisTitleGroup = group;
    installLayer(old, group, PEPlotAreaLayerTypeAxisTitles);
}

void PEPlotArea::updateAxisSetLayersForType(PEPlotAreaLayerType type)
{
    if (type == PEPlotAreaLayerTypeAxisLines || type == PEPlotAreaLayerTypePlots || type < 0 || type >= PEPlotAreaLayerTypeCount)
        return;
    bool needed = false;
    if (m_axisSet) {
        for (const auto& axis : m_axisSet->axes())
            needed = needed || axis->needsLayerOfType(type);
    }
    if (needed) {
        setAxisSetLayersForType(type);
        return;
    }
    switch (type) {
    case PEPlotAreaLayerTypeMinorGridLines:
        setMinorGridLineGroup(nullptr);
        break;
    case PEPlotAreaLayerTypeMajorGridLines:
        setMajorGridLineGroup(nullptr);
        break;
    case PEPlotAreaLayerTypeAxisLabels:
        setAxisLabelGroup(nullptr);
        break;
    case PEPlotAreaLayerTypeAxisTitles:
        setAxisTitleGroup(nullptr);
        break;
    default:
        break;
    }
}

void PEPlotArea::setAxisSetLayersForType(PEPlotAreaLayerType type)
{
    switch (type) {
    case PEPlotAreaLayerTypeMinorGridLines:
        if (!m_minorGridLineGroup)
            setMinorGridLineGroup(PEGridLineGroup::create(bounds()));
        break;
    case PEPlotAreaLayerTypeMajorGridLines:
        if (!m_majorGridLineGroup)
            setMajorGridLineGroup(PEGridLineGroup::create(bounds()));
        break;
    case PEPlotAreaLayerTypeAxisLabels:
        if (!m_axisLabelGroup)
            setAxisLabelGroup(PEAxisLabelGroup::create(bounds()));
        break;
    case PEPlotAreaLayerTypeAxisTitles:
        if (!m_axisTitleGroup)
            setAxisTitleGroup(PEAxisLabelGroup::create(bounds()));
        break;
    default:
        break;
    }
}

NSUInteger PEPlotArea::sublayerIndexForAxis(const std::shared_ptr<PEAxis>& axis, PEPlotAreaLayerType type) const
{
    NSUInteger index = 0;
    if (!m_axisSet)
        return 0;
    for (const auto& candidate : m_axisSet->axes()) {
        if (candidate == axis)
            break;
        if (candidate->needsLayerOfType(type))
            ++index;
    }
    return index;
}

std::shared_ptr<PELineStyle> PEPlotArea::borderLineStyle() const { return m_axisSet ? m_axisSet->borderLineStyle() : nullptr; }

void PEPlotArea::setBorderLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (m_axisSet)
        m_axisSet->setBorderLineStyle(style);
}

void PEPlotArea::setFill(const std::shared_ptr<PEFill>& fill)
{
    if (fill == m_fill)
        return;
    m_fill = fill ? std::static_pointer_cast<PEFill>(fill->copy()) : nullptr;
    setNeedsDisplay();
}

void PEPlotArea::setGraph(const std::shared_ptr<PEGraph>& newGraph)
{
    if (newGraph == graph())
        return;
    PEAnnotationHostLayer::setGraph(newGraph);
    if (m_axisSet)
        m_axisSet->setGraph(newGraph);
}

void PEPlotArea::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    PEAnnotationHostLayer::renderAsVectorInContext(context);
    bool masked = masksToBounds();
    setMasksToBounds(true);
    CGContextSaveGState(context);
    if (CGPathRef path = maskingPath()) {
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        CGContextClip(context);
    }
    if (m_fill)
        m_fill->fillRect(bounds(), context);
    if (m_axisSet) {
        auto axes = m_axisSet->axes();
        for (const auto& axis : axes)
            axis->drawBackgroundBandsInContext(context);
        for (const auto& axis : axes)
            axis->drawBackgroundLimitsInContext(context);
    }
    CGContextRestoreGState(context);
    setMasksToBounds(masked);
}

void PEPlotArea::layoutSublayers()
{
    PEAnnotationHostLayer::layoutSublayers();
    auto superlayer = this->superlayer();
    if (!superlayer)
        return;
    CGRect superBounds = superlayer->bounds();
    if (auto engineSuper = std::dynamic_pointer_cast<PELayer>(superlayer))
        superBounds = engineSuper->bounds();
    CGSize size = convertRectFromLayer(superBounds, superlayer).size;
    CGPoint origin = convertPointToLayer(bounds().origin, superlayer);
    origin.x = -origin.x;
    origin.y = -origin.y;
    CGRect whole { origin, size };
    if (m_minorGridLineGroup)
        m_minorGridLineGroup->setFrame(whole);
    if (m_majorGridLineGroup)
        m_majorGridLineGroup->setFrame(whole);
    if (m_axisSet)
        m_axisSet->setFrame(whole);
    if (m_plotGroup)
        m_plotGroup->setFrame(CGRect { CGPointZero, bounds().size });
    if (m_axisLabelGroup)
        m_axisLabelGroup->setFrame(CGRect { origin, CGSizeZero });
    if (m_axisTitleGroup)
        m_axisTitleGroup->setFrame(CGRect { origin, CGSizeZero });
}

std::optional<PELayer::LayerSet> PEPlotArea::sublayersExcludedFromAutomaticLayout() const
{
    auto excluded = PEAnnotationHostLayer::sublayersExcludedFromAutomaticLayout();
    std::vector<std::shared_ptr<CALayer>> own { m_minorGridLineGroup, m_majorGridLineGroup, m_axisSet, m_plotGroup, m_axisLabelGroup, m_axisTitleGroup };
    if (std::all_of(own.begin(), own.end(), [](const auto& layer) { return !layer; }))
        return excluded;
    LayerSet result = excluded ? *excluded : LayerSet {};
    for (const auto& layer : own) {
        if (layer)
            result.insert(layer);
    }
    return result;
}

bool PEPlotArea::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    auto owner = graph();
    if (!owner || isHidden())
        return false;
    auto delegate = plotAreaDelegate();
    if (!delegate)
        return PEAnnotationHostLayer::pointingDeviceDownEvent(event, interactionPoint);
    CGPoint point = convertPointFromLayer(interactionPoint, owner);
    if (CGRectContainsPoint(bounds(), point)) {
        delegate->plotAreaWasSelected(*this);
        delegate->plotAreaWasSelected(*this, event);
        return false;
    }
    return PEAnnotationHostLayer::pointingDeviceDownEvent(event, interactionPoint);
}

void PEPlotArea::encodeWithCoder(NSCoder& coder) const
{
    PEAnnotationHostLayer::encodeWithCoder(coder);
    coder.encodeObject(m_minorGridLineGroup, "PEPlotArea.minorGridLineGroup");
    coder.encodeObject(m_majorGridLineGroup, "PEPlotArea.majorGridLineGroup");
    coder.encodeObject(m_axisSet, "PEPlotArea.axisSet");
    coder.encodeObject(m_plotGroup, "PEPlotArea.plotGroup");
    coder.encodeObject(m_axisLabelGroup, "PEPlotArea.axisLabelGroup");
    coder.encodeObject(m_axisTitleGroup, "PEPlotArea.axisTitleGroup");
    coder.encodeObject(m_fill, "PEPlotArea.fill");
    std::vector<id> order;
    for (int type : m_topDownLayerOrder)
        order.push_back(NSNumber::numberWithInt(type));
    coder.encodeObject(NSArray::create(order), "PEPlotArea.topDownLayerOrder");
}

bool PEPlotArea::init(NSCoder& coder)
{
    if (!PEAnnotationHostLayer::init(coder))
        return false;
    // The decoded layers were archived as sublayers of nothing: the stack is rebuilt below.
    m_minorGridLineGroup = coder.decodeObjectOfClass<PEGridLineGroup>("PEPlotArea.minorGridLineGroup");
    m_majorGridLineGroup = coder.decodeObjectOfClass<PEGridLineGroup>("PEPlotArea.majorGridLineGroup");
    m_axisSet = coder.decodeObjectOfClass<PEAxisSet>("PEPlotArea.axisSet");
    m_plotGroup = coder.decodeObjectOfClass<PEPlotGroup>("PEPlotArea.plotGroup");
    // The graph adds its decoded plots to the group, so an archive without one gets a new one.
    if (!m_plotGroup)
        m_plotGroup = PEPlotGroup::create(bounds());
    m_axisLabelGroup = coder.decodeObjectOfClass<PEAxisLabelGroup>("PEPlotArea.axisLabelGroup");
    m_axisTitleGroup = coder.decodeObjectOfClass<PEAxisLabelGroup>("PEPlotArea.axisTitleGroup");
    m_fill = coder.decodeObjectOfClass<PEFill>("PEPlotArea.fill");
    if (auto order = coder.decodeObjectOfClass<NSArray>("PEPlotArea.topDownLayerOrder")) {
        for (NSUInteger i = 0; i < order->count(); ++i) {
            if (auto number = ns::cast<NSNumber>(order->objectAtIndex(i)))
                m_topDownLayerOrder.push_back(number->intValue());
        }
    }
    updateLayerOrder();
    setNeedsDisplayOnBoundsChange(true);
    return true;
}

void PEPlotArea::init(const CALayer& layer)
{
    PEAnnotationHostLayer::init(layer);
    auto model = dynamic_cast<const PEPlotArea*>(&layer);
    if (!model)
        return;
    m_minorGridLineGroup = model->m_minorGridLineGroup;
    m_majorGridLineGroup = model->m_majorGridLineGroup;
    m_axisSet = model->m_axisSet;
    m_plotGroup = model->m_plotGroup;
    m_axisLabelGroup = model->m_axisLabelGroup;
    m_axisTitleGroup = model->m_axisTitleGroup;
    m_fill = model->m_fill;
    m_topDownLayerOrder = model->m_topDownLayerOrder;
    m_delegate = model->m_delegate;
}

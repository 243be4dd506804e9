#include "framework/Source/PEGridLineGroup.h"

#include "framework/Source/PEAxis.h"
#include "framework/Source/PEAxisSet.h"
#include "framework/Source/PEPlotArea.h"

void PEGridLineGroup::init(CGRect frame)
{
    PELayer::init(frame);
    setNeedsDisplayOnBoundsChange(true);
}

void PEGridLineGroup::setPlotArea(const std::shared_ptr<PEPlotArea>& plotArea)
{
    if (plotArea == m_plotArea.lock())
        return;
    m_plotArea = plotArea;
    if (plotArea)
        setNeedsDisplay();
}

void PEGridLineGroup::setMajor(bool major)
{
    if (major == m_major)
        return;
    m_major = major;
    setNeedsDisplay();
}

void PEGridLineGroup::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    auto area = plotArea();
    if (!area || !area->axisSet())
        return;
    for (const auto& axis : area->axisSet()->axes()) {
        if (!axis->separateLayers())
            axis->drawGridLinesInContext(context, m_major);
    }
}

void PEGridLineGroup::encodeWithCoder(NSCoder& coder) const
{
    PELayer::encodeWithCoder(coder);
    coder.encodeConditionalObject(m_plotArea.lock(), "PEGridLineGroup.plotArea");
    coder.encodeBool(m_major, "PEGridLineGroup.major");
}

bool PEGridLineGroup::init(NSCoder& coder)
{
    if (!PELayer::init(coder))
        return false;
    m_plotArea = coder.decodeWeakObjectOfClass<PEPlotArea>("PEGridLineGroup.plotArea");
    m_major = coder.decodeBoolForKey("PEGridLineGroup.major");
    setNeedsDisplayOnBoundsChange(true);
    return true;
}

void PEGridLineGroup::init(const CALayer& layer)
{
    PELayer::init(layer);
    auto model = dynamic_cast<const PEGridLineGroup*>(&layer);
    if (!model)
        return;
    m_plotArea = model->m_plotArea;
    m_major = model->m_major;
}

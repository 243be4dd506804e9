#include "framework/Source/PEGridLines.h"

#include "framework/Source/PEAxis.h"

void PEGridLines::init(CGRect frame)
{
    PELayer::init(frame);
    setNeedsDisplayOnBoundsChange(true);
}

void PEGridLines::setAxis(const std::shared_ptr<PEAxis>& axis)
{
    if (axis == m_axis.lock())
        return;
    m_axis = axis;
    setNeedsDisplay();
}

void PEGridLines::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    if (auto owner = axis())
        owner->drawGridLinesInContext(context, m_major);
}

void PEGridLines::encodeWithCoder(NSCoder& coder) const
{
    PELayer::encodeWithCoder(coder);
    coder.encodeConditionalObject(m_axis.lock(), "PEGridLines.axis");
    coder.encodeBool(m_major, "PEGridLines.major");
}

bool PEGridLines::init(NSCoder& coder)
{
    if (!PELayer::init(coder))
        return false;
    m_axis = coder.decodeWeakObjectOfClass<PEAxis>("PEGridLines.axis");
    m_major = coder.decodeBoolForKey("PEGridLines.major");
    setNeedsDisplayOnBoundsChange(true);
    return true;
}

void PEGridLines::init(const CALayer& layer)
{
    PELayer::init(layer);
    auto model = dynamic_cast<const PEGridLines*>(&layer);
    if (!model)
        return;
    m_axis = model->m_axis;
    m_major = model->m_major;
}

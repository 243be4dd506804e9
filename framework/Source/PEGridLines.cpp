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

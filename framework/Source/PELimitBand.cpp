#include "framework/Source/PELimitBand.h"

#include "framework/Source/PEFill.h"
#include "framework/Source/PEPlotRange.h"

void PELimitBand::init(const std::shared_ptr<PEPlotRange>& range, const std::shared_ptr<PEFill>& fill)
{
    m_range = range;
    m_fill = fill;
}

id PELimitBand::copy() const
{
    return create(m_range ? m_range->copyRange() : nullptr, m_fill ? std::static_pointer_cast<PEFill>(m_fill->copy()) : nullptr);
}

NSString PELimitBand::description() const
{
    return NSString::stringWithFormat("<%@ with range: %@ and fill: %@>", NSObject::description(),
        m_range ? m_range->description() : NSString("(null)"), m_fill ? m_fill->description() : NSString("(null)"));
}

void PELimitBand::encodeWithCoder(NSCoder& coder) const
{
    if (!coder.allowsKeyedCoding()) {
        coder.encodeObject(m_range);
        coder.encodeObject(m_fill);
        return;
    }
    coder.encodeObject(m_range, "PELimitBand.range");
    coder.encodeObject(m_fill, "PELimitBand.fill");
}

bool PELimitBand::init(NSCoder& coder)
{
    if (!coder.allowsKeyedCoding()) {
        auto range = ns::cast<PEPlotRange>(coder.decodeObject());
        auto fill = ns::cast<PEFill>(coder.decodeObject());
        init(range, fill);
        return true;
    }
    init(coder.decodeObjectOfClass<PEPlotRange>("PELimitBand.range"), coder.decodeObjectOfClass<PEFill>("PELimitBand.fill"));
    return true;
}

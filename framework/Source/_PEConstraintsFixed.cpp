#include "framework/Source/_PEConstraintsFixed.h"

#include "framework/Source/NSCoder_PEExtensions.h"

#include <string_view>

void _PEConstraintsFixed::init(double offset, bool isFixedToLower)
{
    m_offset = offset;
    m_isFixedToLower = isFixedToLower;
}

void _PEConstraintsFixed::init(NSCoder& coder)
{
    m_offset = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "_PEConstraintsFixed.offset");
    m_isFixedToLower = coder.decodeBoolForKey("_PEConstraintsFixed.isFixedToLower");
}

bool _PEConstraintsFixed::isEqualToConstraint(const std::shared_ptr<const PEConstraints>& otherConstraint) const
{
    auto other = std::dynamic_pointer_cast<const _PEConstraintsFixed>(otherConstraint);
    return other && std::string_view(other->className()) == className() && other->m_offset == m_offset
        && other->m_isFixedToLower == m_isFixedToLower;
}

double _PEConstraintsFixed::positionForLowerBound(double lowerBound, double upperBound) const
{
    assertBounds(lowerBound, upperBound);
    return m_isFixedToLower ? lowerBound + m_offset : upperBound - m_offset;
}

id _PEConstraintsFixed::copy() const { return create(m_offset, m_isFixedToLower); }

void _PEConstraintsFixed::encodeWithCoder(NSCoder& coder) const
{
    NSCoder_PEExtensions::encodeCGFloat(coder, m_offset, "_PEConstraintsFixed.offset");
    coder.encodeBool(m_isFixedToLower, "_PEConstraintsFixed.isFixedToLower");
}

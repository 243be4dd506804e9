#include "framework/Source/_PEConstraintsRelative.h"

#include "framework/Source/NSCoder_PEExtensions.h"

#include <string_view>

#include <cmath>

void _PEConstraintsRelative::init(double offset) { m_offset = offset; }

void _PEConstraintsRelative::init(NSCoder& coder)
{
    m_offset = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "_PEConstraintsRelative.offset");
}

bool _PEConstraintsRelative::isEqualToConstraint(const std::shared_ptr<const PEConstraints>& otherConstraint) const
{
    auto other = std::dynamic_pointer_cast<const _PEConstraintsRelative>(otherConstraint);
    return other && std::string_view(other->className()) == className() && other->m_offset == m_offset;
}

double _PEConstraintsRelative::positionForLowerBound(double lowerBound, double upperBound) const
{
    assertBounds(lowerBound, upperBound);
    return std::fma(upperBound - lowerBound, m_offset, lowerBound);
}

id _PEConstraintsRelative::copy() const { return create(m_offset); }

void _PEConstraintsRelative::encodeWithCoder(NSCoder& coder) const
{
    NSCoder_PEExtensions::encodeCGFloat(coder, m_offset, "_PEConstraintsRelative.offset");
}

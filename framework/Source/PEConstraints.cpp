#include "framework/Source/PEConstraints.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/_PEConstraintsFixed.h"
#include "framework/Source/_PEConstraintsRelative.h"
#include "platform/foundation/NSAssertionHandler.h"

#include <cmath>
#include <limits>

namespace {

[[maybe_unused]] const bool constraintsRegistered = [] {
    NSCoder::registerClass("PEConstraints", { "PEConstraints", "NSObject" }, &PEConstraints::decodeWithCoder);
    NSCoder::registerClass<_PEConstraintsFixed>();
    NSCoder::registerClass<_PEConstraintsRelative>();
    return true;
}();

} // namespace

std::shared_ptr<PEConstraints> PEConstraints::constraintWithLowerOffset(double newOffset)
{
    return _PEConstraintsFixed::create(newOffset, true);
}

std::shared_ptr<PEConstraints> PEConstraints::constraintWithUpperOffset(double newOffset)
{
    return _PEConstraintsFixed::create(newOffset, false);
}

std::shared_ptr<PEConstraints> PEConstraints::constraintWithRelativeOffset(double newOffset)
{
    return _PEConstraintsRelative::create(newOffset);
}

bool PEConstraints::isEqualToConstraint(const std::shared_ptr<const PEConstraints>& otherConstraint) const
{
    return otherConstraint.get() == this;
}

double PEConstraints::positionForLowerBound(double, double) const { return std::numeric_limits<double>::quiet_NaN(); }

id PEConstraints::copy() const { return nullptr; }

void PEConstraints::encodeWithCoder(NSCoder&) const { }

void PEConstraints::assertBounds(double lowerBound, double upperBound)
{
    NSAssert(lowerBound <= upperBound, "lowerBound must be less than or equal to upperBound");
}

id PEConstraints::decodeWithCoder(NSCoder& coder)
{
    if (coder.containsValueForKey("_PEConstraintsFixed.offset")) {
        const double offset = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "_PEConstraintsFixed.offset");
        const bool isFixedToLower = coder.decodeBoolForKey("_PEConstraintsFixed.isFixedToLower");
        return isFixedToLower ? constraintWithLowerOffset(offset) : constraintWithUpperOffset(offset);
    }
    if (coder.containsValueForKey("_PEConstraintsRelative.offset"))
        return constraintWithRelativeOffset(NSCoder_PEExtensions::decodeCGFloatForKey(coder, "_PEConstraintsRelative.offset"));
    return create();
}

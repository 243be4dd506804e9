#pragma once
// Numbers holding CGFloats.

#include "platform/foundation/NSNumber.h"
#include "platform/graphics/CGGeometry.h"

namespace NSNumber_PEExtensions {

// A number of type "d".
std::shared_ptr<NSNumber> numberWithCGFloat(CGFloat number);
CGFloat cgFloatValue(const NSNumber& number);

} // namespace NSNumber_PEExtensions

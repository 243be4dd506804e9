#include "framework/Source/NSNumber_PEExtensions.h"

namespace NSNumber_PEExtensions {

std::shared_ptr<NSNumber> numberWithCGFloat(CGFloat number) { return NSNumber::numberWithDouble(number); }
CGFloat cgFloatValue(const NSNumber& number) { return number.doubleValue(); }

} // namespace NSNumber_PEExtensions

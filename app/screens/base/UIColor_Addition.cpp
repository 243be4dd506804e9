#include "app/screens/base/UIColor_Addition.h"

#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSScanner.h"

namespace UIColor_Addition {

namespace {

// A pair without any hexadecimal digit leaves the scanner's value untouched: it counts as 0.
CGFloat componentOf(const NSString& digits, NSUInteger location)
{
    unsigned value = 0;
    NSScanner::scannerWithString(digits.substringWithRange(NSMakeRange(location, 2)))->scanHexInt(&value);
    return CGFloat(float(value) / 255.0f);
}

} // namespace

std::shared_ptr<UIColor> colorWithHexString(const NSString& text)
{
    if (text.isNil())
        return UIColor::grayColor();
    NSString digits = text.stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceAndNewlineCharacterSet()).uppercaseString();
    if (digits.length() < 6)
        return UIColor::grayColor();
    if (digits.hasPrefix("0X"))
        digits = digits.substringFromIndex(2);
    if (digits.length() != 6)
        return UIColor::grayColor();
    return UIColor::colorWithRed(componentOf(digits, 0), componentOf(digits, 2), componentOf(digits, 4), 1.0);
}

} // namespace UIColor_Addition

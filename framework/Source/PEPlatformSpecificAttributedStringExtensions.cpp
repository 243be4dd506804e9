#include "framework/Source/PEPlatformSpecificAttributedStringExtensions.h"

#include "framework/Source/PEUtilities.h"
#include "platform/text/NSStringDrawing.h"

namespace PEPlatformSpecificAttributedStringExtensions {

void drawInRect(const NSAttributedString& text, CGRect rect, const CGContextRef& context)
{
    if (!context)
        return;
    PEPushPlatformContext(context);
    NSStringDrawing::drawInRect(std::static_pointer_cast<NSAttributedString>(std::const_pointer_cast<NSObject>(text.NSObject::self())), rect);
    PEPopPlatformContext();
}

} // namespace PEPlatformSpecificAttributedStringExtensions

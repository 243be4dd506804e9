#include "library/widgets/foldingtable/UIView_screenshot.h"

#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIScreen.h"

namespace UIView_screenshot {

UIImageRef screenshot(UIView& view) { return screenshotWithOffset(view, 0); }

UIImageRef screenshotWithOffset(UIView& view, CGFloat dy)
{
    UIGraphicsBeginImageContextWithOptions(view.frame().size, false, UIScreen::mainScreen()->scale());
    const CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextTranslateCTM(context, 0, dy);
    view.layer()->renderInContext(context);
    UIImageRef image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

} // namespace UIView_screenshot

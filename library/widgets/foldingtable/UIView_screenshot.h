#pragma once
// Pictures of a view's layer at the view's frame size, on a transparent ground at the screen's
// scale.

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

namespace UIView_screenshot {

UIImageRef screenshot(UIView& view);
// The drawing moved down by dy points (up for a negative dy).
UIImageRef screenshotWithOffset(UIView& view, CGFloat dy);

} // namespace UIView_screenshot

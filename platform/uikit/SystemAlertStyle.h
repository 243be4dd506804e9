#pragma once
// The look shared by the system's alert, action sheet and picker wheels.

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

namespace SystemAlertStyle {

inline UIColorRef dimmingColor() { return UIColor::colorWithWhite(0, 0.4); }
inline UIColorRef panelColor() { return UIColor::colorWithWhite(0.97, 1); }
inline UIColorRef highlightColor() { return UIColor::colorWithWhite(0.85, 1); }
inline UIColorRef separatorColor() { return UIColor::colorWithWhite(0.78, 1); }
inline UIColorRef fieldBorderColor() { return UIColor::colorWithWhite(0.6, 1); }
inline UIColorRef buttonColor() { return UIColor::colorWithRed(0, 122 / 255.0, 1, 1); }
inline UIColorRef destructiveColor() { return UIColor::colorWithRed(1, 59 / 255.0, 48 / 255.0, 1); }
inline UIColorRef disabledButtonColor() { return UIColor::colorWithWhite(0.6, 1); }

// A one-point picture of the colour, which a button's background stretches over its bounds.
inline UIImageRef solidImage(const UIColorRef& color)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(1, 1), true, 1);
    auto context = UIGraphicsGetCurrentContext();
    CGContextSetFillColorWithColor(context, color->CGColor());
    CGContextFillRect(context, CGRectMake(0, 0, 1, 1));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

// The veil over the screen behind an alert or a sheet.
inline std::shared_ptr<UIView> dimmingView(CGRect frame)
{
    auto view = UIView::create(frame);
    view->setBackgroundColor(dimmingColor());
    return view;
}

} // namespace SystemAlertStyle

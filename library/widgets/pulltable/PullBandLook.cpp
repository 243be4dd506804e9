#include "library/widgets/pulltable/PullBandLook.h"

#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>

namespace PullBandLook {

NSString caption(const NSString& key)
{
    return NSBundle::mainBundle()->localizedStringForKey(key, NSString(""), NSString("PullTableStrings"));
}

UILabelRef makeLabel(CGRect frame, const UIFontRef& font)
{
    auto label = UILabel::create(frame);
    label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    label->setFont(font);
    label->setShadowOffset(CGSizeMake(0, 1));
    label->setBackgroundColor(UIColor::clearColor());
    label->setTextAlignment(NSTextAlignmentCenter);
    return label;
}

CALayerRef makeArrowLayer(CGRect frame)
{
    auto layer = CALayer::layer();
    layer->setFrame(frame);
    layer->setContentsGravity(NSString(kCAGravityResizeAspect));
    layer->setContentsScale(UIScreen::mainScreen()->scale());
    return layer;
}

void applyColours(const std::vector<UILabelRef>& labels, const CALayerRef& arrow, const UIColorRef& textColor,
    const UIImageRef& arrowImage)
{
    const UIColorRef text = textColor ? textColor : UIColor::colorWithRed(87.0 / 255, 108.0 / 255, 137.0 / 255, 1);
    for (const auto& label : labels) {
        label->setTextColor(text);
        label->setShadowColor(text->colorWithAlphaComponent(0.1));
    }
    const UIImageRef image = arrowImage ? arrowImage : UIImage::imageNamed(NSString("blueArrow.png"));
    arrow->setContents(image ? image->CGImage() : nullptr);
}

UIColorRef defaultBackgroundColor() { return UIColor::colorWithRed(226.0 / 255, 231.0 / 255, 237.0 / 255, 1); }

void settleWithinInsets(UIScrollView& scrollView)
{
    if (scrollView.isTracking())
        return;
    const CGPoint offset = scrollView.contentOffset();
    const CGPoint minimum = scrollView.minimumContentOffset();
    const CGPoint maximum = scrollView.maximumContentOffset();
    const CGFloat y = std::max(minimum.y, std::min(offset.y, std::max(minimum.y, maximum.y)));
    if (y != offset.y)
        scrollView.setContentOffset(CGPointMake(offset.x, y), true);
}

} // namespace PullBandLook

#include "library/widgets/pulltable/PullBandLook.h"

#include "library/widgets/pulltable/RFRefreshTableHeaderView.h"
#include "platform/layers/CATransaction.h"

#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>

namespace {

constexpr CFTimeInterval kFlipDuration = 0.18;

} // namespace

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

void showState(int state, int previousState, const UILabelRef& status, const CALayerRef& arrow, const UIActivityIndicatorViewRef& activity,
    const NSString& pullingCaption, const NSString& restingCaption, const CATransform3D& pullingTurn, const CATransform3D& restingTurn)
{
    switch (state) {
    case PullRefreshPulling:
        status->setText(caption(pullingCaption));
        CATransaction::begin();
        CATransaction::setAnimationDuration(kFlipDuration);
        arrow->setTransform(pullingTurn);
        CATransaction::commit();
        break;
    case PullRefreshNormal:
        if (previousState == PullRefreshPulling) {
            CATransaction::begin();
            CATransaction::setAnimationDuration(kFlipDuration);
            arrow->setTransform(restingTurn);
            CATransaction::commit();
        }
        status->setText(caption(restingCaption));
        activity->stopAnimating();
        CATransaction::begin();
        CATransaction::setDisableActions(true);
        arrow->setHidden(false);
        arrow->setTransform(restingTurn);
        CATransaction::commit();
        break;
    case PullRefreshLoading:
        status->setText(caption("加载中..."));
        activity->startAnimating();
        CATransaction::begin();
        CATransaction::setDisableActions(true);
        arrow->setHidden(true);
        CATransaction::commit();
        break;
    default:
        break;
    }
}

int draggedState(int state, CGFloat pulledPast, CGFloat threshold, bool loading)
{
    if (loading)
        return state;
    if (state == PullRefreshPulling && pulledPast > -threshold && pulledPast < 0)
        return PullRefreshNormal;
    if (state == PullRefreshNormal && pulledPast < -threshold)
        return PullRefreshPulling;
    return state;
}

} // namespace PullBandLook

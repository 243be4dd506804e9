#pragma once
// What the refresh header and the load-more footer share: their captions, labels, arrow layer
// and colours.

#include "platform/layers/CALayer.h"
#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"

namespace PullBandLook {

// The caption for the key from the "PullTableStrings" table; the key itself when it has none.
NSString caption(const NSString& key);
UILabelRef makeLabel(CGRect frame, const UIFontRef& font);
// A layer showing the arrow picture aspect-fit at the screen's scale.
CALayerRef makeArrowLayer(CGRect frame);
void applyColours(const std::vector<UILabelRef>& labels, const CALayerRef& arrow, const UIColorRef& textColor,
    const UIImageRef& arrowImage);
UIColorRef defaultBackgroundColor();
// With the finger up, brings the content back within the range the insets allow, as a bounce
// would: a band that just took or gave back its room otherwise leaves the list stuck past it.
void settleWithinInsets(UIScrollView& scrollView);
// Shows a band's state: its caption, the arrow turned to the pulling or resting way (flipping with
// a short animation when a pull is let go or passes the threshold), or the spinner while loading.
void showState(int state, int previousState, const UILabelRef& status, const CALayerRef& arrow, const UIActivityIndicatorViewRef& activity,
    const NSString& pullingCaption, const NSString& restingCaption, const CATransform3D& pullingTurn, const CATransform3D& restingTurn);
// The state a drag moves a band to, from how far past its edge the content is pulled (negative past it).
int draggedState(int state, CGFloat pulledPast, CGFloat threshold, bool loading);

} // namespace PullBandLook

#pragma once
// Pictures of the bundle as the screens lay them out.

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

// The picture of the name made stretchable with the same cap on every side, caps too wide for
// the picture narrowed so that its corners keep their shape; nil when missing.
UIImageRef stretchableImageNamed(const NSString& name, CGFloat cap = 0);
// The picture stretched to a view of the size: as it is when the sizes agree, for a stretched
// copy would hold the same pixels a second time; nil when missing.
UIImageRef imageNamedForSize(const NSString& name, CGSize size);
// A view of the view's size showing the picture of the name tiled, to lie behind its content;
// empty when the picture is missing.
UIViewRef tiledBackgroundView(const NSString& name, CGRect frame);

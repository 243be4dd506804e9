#include "app/screens/base/ScreenImages.h"

#include "platform/uikit/UIImageView.h"

#include <algorithm>

UIImageRef stretchableImageNamed(const NSString& name, CGFloat cap)
{
    auto image = UIImage::imageNamed(name);
    if (!image)
        return nullptr;
    // Caps that meet in the middle leave nothing to stretch, and the whole picture, corners and
    // all, would be pulled out of shape: they stop half a point short of each other instead.
    const CGSize size = image->size();
    const CGFloat across = cap > 0 && 2 * cap >= size.width ? std::max<CGFloat>(0, (size.width - 1) / 2) : cap;
    const CGFloat down = cap > 0 && 2 * cap >= size.height ? std::max<CGFloat>(0, (size.height - 1) / 2) : cap;
    return image->resizableImageWithCapInsets(UIEdgeInsetsMake(down, across, down, across), UIImageResizingModeStretch);
}
UIImageRef imageNamedForSize(const NSString& name, CGSize size)
{
    auto image = UIImage::imageNamed(name);
    if (image && CGSizeEqualToSize(image->size(), size))
        return image;
    return stretchableImageNamed(name);
}

UIViewRef tiledBackgroundView(const NSString& name, CGRect frame)
{
    auto background = UIImageView::create(frame);
    auto image = UIImage::imageNamed(name);
    background->setImage(image ? image->resizableImageWithCapInsets(UIEdgeInsetsZero, UIImageResizingModeTile) : nullptr);
    background->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    background->setUserInteractionEnabled(false);
    return background;
}

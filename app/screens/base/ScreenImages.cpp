#include "app/screens/base/ScreenImages.h"

UIImageRef stretchableImageNamed(const NSString& name, CGFloat cap)
{
    auto image = UIImage::imageNamed(name);
    return image ? image->resizableImageWithCapInsets(UIEdgeInsetsMake(cap, cap, cap, cap), UIImageResizingModeStretch) : nullptr;
}
UIImageRef imageNamedForSize(const NSString& name, CGSize size)
{
    auto image = UIImage::imageNamed(name);
    if (image && CGSizeEqualToSize(image->size(), size))
        return image;
    return stretchableImageNamed(name);
}

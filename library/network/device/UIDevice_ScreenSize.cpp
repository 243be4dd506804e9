#include "library/network/device/UIDevice_ScreenSize.h"

#include "platform/uikit/UIScreen.h"

namespace UIDevice_ScreenSize {

std::int64_t screenSizeType(UIUserInterfaceIdiom idiom, CGSize bounds, UIInterfaceOrientation statusBarOrientation)
{
    if (idiom == UIUserInterfaceIdiom::Pad)
        return kScreenSizePad;
    const bool landscape = statusBarOrientation == UIInterfaceOrientation::LandscapeLeft
        || statusBarOrientation == UIInterfaceOrientation::LandscapeRight;
    // Compared in single precision, as the heights are given.
    const auto height = static_cast<float>(landscape ? bounds.width : bounds.height);
    if (height == 736.0f)
        return kScreenSize736;
    if (height == 667.0f)
        return kScreenSize667;
    if (height == 568.0f)
        return kScreenSize568;
    return kScreenSizeOther;
}

std::int64_t screenSizeType(const std::shared_ptr<UIDevice>& device)
{
    const auto idiom = device ? device->userInterfaceIdiom() : UIUserInterfaceIdiom::Phone;
    return screenSizeType(idiom, UIScreen::mainScreen()->bounds().size,
        UIApplication::sharedApplication()->statusBarOrientation());
}

} // namespace UIDevice_ScreenSize

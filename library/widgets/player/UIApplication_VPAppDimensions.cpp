#include "library/widgets/player/UIApplication_VPAppDimensions.h"

#include "library/widgets/player/UIDevice_VPSystemVersion.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>
#include <utility>

namespace VPAppDimensions {

CGSize sizeInOrientation(UIInterfaceOrientation orientation)
{
    CGSize size = UIScreen::mainScreen()->bounds().size;
    if (orientation == UIInterfaceOrientation::LandscapeLeft || orientation == UIInterfaceOrientation::LandscapeRight)
        std::swap(size.width, size.height);
    auto application = UIApplication::sharedApplication();
    if (VPSystemVersion::iOSVersion() < 7.0f && !application->isStatusBarHidden()) {
        const CGRect bar = application->statusBarFrame();
        size.height -= std::min(bar.size.width, bar.size.height);
    }
    return size;
}

} // namespace VPAppDimensions

#include "library/widgets/hud/ScreenWindow.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIViewController.h"

namespace ScreenWindow {

namespace {

bool showsScreens(const UIWindow& window) { return !window.isHidden() && window.rootViewController(); }

} // namespace

std::shared_ptr<UIWindow> current()
{
    auto application = UIApplication::sharedApplication();
    auto key = application->keyWindow();
    if (key && showsScreens(*key))
        return key;
    const auto windows = application->windows();
    for (auto candidate = windows.rbegin(); candidate != windows.rend(); ++candidate) {
        if (*candidate && showsScreens(**candidate))
            return *candidate;
    }
    return key;
}

UIViewRef hostFor(const UIViewRef& requested)
{
    auto window = std::dynamic_pointer_cast<UIWindow>(requested);
    if (requested && (!window || window->rootViewController()))
        return requested;
    auto screens = current();
    if (!screens)
        return requested;
    auto controller = screens->rootViewController();
    while (controller && controller->presentedViewController())
        controller = controller->presentedViewController();
    if (controller)
        return controller->view();
    return screens;
}

} // namespace ScreenWindow

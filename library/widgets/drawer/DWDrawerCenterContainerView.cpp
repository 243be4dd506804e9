#include "library/widgets/drawer/DWDrawerCenterContainerView.h"

#include "library/widgets/drawer/DWDrawerController.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

std::shared_ptr<UIView> DWDrawerCenterContainerView::hitTest(CGPoint point, const UIEventRef& event)
{
    auto hit = UIView::hitTest(point, event);
    if (!hit || m_openSide == DWDrawerSideNone)
        return hit;
    if (m_centerInteractionMode == DWDrawerOpenCenterInteractionModeNone)
        return nullptr;
    if (m_centerInteractionMode == DWDrawerOpenCenterInteractionModeNavigationBarOnly) {
        auto bar = navigationBarContainedWithinSubviewsOfView(*this);
        const CGRect barRect = bar ? bar->convertRectToView(bar->bounds(), self()) : CGRectNull;
        if (!CGRectContainsPoint(barRect, point))
            return nullptr;
    }
    return hit;
}

std::shared_ptr<UINavigationBar> DWDrawerCenterContainerView::navigationBarContainedWithinSubviewsOfView(const UIView& view)
{
    for (const auto& subview : view.subviews()) {
        if (auto bar = std::dynamic_pointer_cast<UINavigationBar>(subview))
            return bar;
        if (auto bar = navigationBarContainedWithinSubviewsOfView(*subview))
            return bar;
    }
    return nullptr;
}

bool DWDrawerCenterContainerView::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (m_openSide == DWDrawerSideNone || !UnclaimedKeyRouting::isBackKey(key, modifiers))
        return false;
    for (auto responder = nextResponder(); responder; responder = responder->nextResponder()) {
        if (auto drawer = std::dynamic_pointer_cast<DWDrawerController>(responder)) {
            drawer->closeDrawerAnimated(true, nullptr);
            return true;
        }
    }
    return false;
}

#pragma once
// The view that holds the drawer controller's centre. While a drawer is open it decides which
// touches the centre still receives: none, all, or only those on its navigation bar.

#include "platform/uikit/UINavigationBar.h"

enum DWDrawerSide : NSInteger {
    DWDrawerSideNone = 0,
    DWDrawerSideLeft = 1,
    DWDrawerSideRight = 2,
};

enum DWDrawerOpenCenterInteractionMode : NSInteger {
    DWDrawerOpenCenterInteractionModeNone = 0,
    DWDrawerOpenCenterInteractionModeFull = 1,
    DWDrawerOpenCenterInteractionModeNavigationBarOnly = 2,
};

class DWDrawerCenterContainerView : public UIView {
    NS_OBJECT(DWDrawerCenterContainerView, UIView)
public:
    NSInteger centerInteractionMode() const { return m_centerInteractionMode; }
    void setCenterInteractionMode(NSInteger mode) { m_centerInteractionMode = mode; }
    NSInteger openSide() const { return m_openSide; }
    void setOpenSide(NSInteger side) { m_openSide = side; }

    std::shared_ptr<UIView> hitTest(CGPoint point, const UIEventRef& event) override;
    // While a drawer is open, Escape or Alt+Left closes it, before anything in the centre hears
    // the key.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;
    // The first navigation bar among the view's subviews, depth first, each before its own.
    static std::shared_ptr<UINavigationBar> navigationBarContainedWithinSubviewsOfView(const UIView& view);

private:
    NSInteger m_centerInteractionMode { DWDrawerOpenCenterInteractionModeNone };
    NSInteger m_openSide { DWDrawerSideNone };
};

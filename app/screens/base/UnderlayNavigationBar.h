#pragma once
// A navigation bar with a tinted view under its items, reaching up behind the status bar. Nothing
// uses it.

#include "platform/uikit/UINavigationBar.h"

class UnderlayNavigationBar : public UINavigationBar {
    NS_OBJECT(UnderlayNavigationBar, UINavigationBar)
public:
    // Made on first use; kept second from the back whatever is added later.
    const std::shared_ptr<UIView>& underlayView();
    void didAddSubview(const std::shared_ptr<UIView>& subview) override;

private:
    std::shared_ptr<UIView> m_underlayView;
};

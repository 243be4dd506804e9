#pragma once
// The drawer's navigation-bar button with three horizontal bars. From 7.0 on it is a plain image
// item with a once-drawn 26 x 26 icon; before, it carries a self-drawn menu button view whose
// colours can be set per state.
//
//     auto menu = DWDrawerBarButtonItem::create(self(), &HomeViewController::menuEvent);
//     navigationItem()->setLeftBarButtonItem(menu);

#include "library/widgets/drawer/DWDrawerMenuButtonView.h"
#include "platform/foundation/NSCoder.h"
#include "platform/uikit/UIBarButtonItem.h"

class DWDrawerBarButtonItem : public UIBarButtonItem {
    NS_OBJECT(DWDrawerBarButtonItem, UIBarButtonItem)
public:
    // The shared icon, drawn once.
    static const UIImageRef& drawerButtonItemImage();

    void touchUpInside(UIButton& sender);
    UIColorRef menuButtonColorForState(UIControlState state) const;
    void setMenuButtonColor(const UIColorRef& color, UIControlState state);
    UIColorRef shadowColorForState(UIControlState state) const;
    void setShadowColor(const UIColorRef& color, UIControlState state);
    void setTintColor(const UIColorRef& color);

    const std::shared_ptr<DWDrawerMenuButtonView>& buttonView() const { return m_buttonView; }

protected:
    template <class T>
    void init(const std::shared_ptr<T>& target, void (T::*action)(UIBarButtonItem&))
    {
        initWithTargetAction();
        setTarget(target, action);
    }
    template <class T>
    void init(const std::shared_ptr<T>& target, void (T::*action)())
    {
        initWithTargetAction();
        setTarget(target, action);
    }
    // A decoded item has no target or action to take over: the owner sets them again.
    void init(NSCoder& coder);

private:
    void initWithTargetAction();

    std::shared_ptr<DWDrawerMenuButtonView> m_buttonView;
};

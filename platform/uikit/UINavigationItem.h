#pragma once
// What a navigation bar shows for one screen: its title (or a view in its place), the buttons on
// either side, and the back button that the next screen's bar shows for this one.

#include "platform/uikit/UIBarButtonItem.h"

#include <vector>

class UINavigationBar;

class UINavigationItem : public NSObject {
    NS_OBJECT(UINavigationItem, NSObject)
public:
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title);
    const std::shared_ptr<UIView>& titleView() const { return m_titleView; }
    void setTitleView(const std::shared_ptr<UIView>& view);

    UIBarButtonItemRef leftBarButtonItem() const { return m_leftItems.empty() ? nullptr : m_leftItems.front(); }
    void setLeftBarButtonItem(const UIBarButtonItemRef& item, bool animated = false);
    const std::vector<UIBarButtonItemRef>& leftBarButtonItems() const { return m_leftItems; }
    // Left to right from the edge.
    void setLeftBarButtonItems(const std::vector<UIBarButtonItemRef>& items, bool animated = false);
    UIBarButtonItemRef rightBarButtonItem() const { return m_rightItems.empty() ? nullptr : m_rightItems.front(); }
    void setRightBarButtonItem(const UIBarButtonItemRef& item, bool animated = false);
    const std::vector<UIBarButtonItemRef>& rightBarButtonItems() const { return m_rightItems; }
    // Right to left from the edge, as the platform orders them.
    void setRightBarButtonItems(const std::vector<UIBarButtonItemRef>& items, bool animated = false);

    // The item whose title the back button shows on the screen above this one.
    const UIBarButtonItemRef& backBarButtonItem() const { return m_backItem; }
    void setBackBarButtonItem(const UIBarButtonItemRef& item);
    bool hidesBackButton() const { return m_hidesBackButton; }
    void setHidesBackButton(bool hides, bool animated = false);

    // The bar showing the item, told of each change.
    std::shared_ptr<UINavigationBar> navigationBar() const { return m_bar.lock(); }
    void setNavigationBar(const std::shared_ptr<UINavigationBar>& bar) { m_bar = bar; }

protected:
    void init() { }
    void init(const NSString& title) { m_title = title; }

private:
    void changed();

    NSString m_title;
    std::shared_ptr<UIView> m_titleView;
    std::vector<UIBarButtonItemRef> m_leftItems;
    std::vector<UIBarButtonItemRef> m_rightItems;
    UIBarButtonItemRef m_backItem;
    bool m_hidesBackButton { false };
    std::weak_ptr<UINavigationBar> m_bar;
};

using UINavigationItemRef = std::shared_ptr<UINavigationItem>;

#pragma once
// The bar above a stack of screens: a stack of navigation items of which it shows the top one's
// title and buttons, and a back button titled after the item below. Animated changes cross-fade. The back button pops the
// top item, once the delegate agrees; a navigation controller is its bar's delegate and pops its
// screen instead.

#include "platform/uikit/BarBackground.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationItem.h"

#include <optional>
#include <vector>

class UINavigationBar;

class UINavigationBarDelegate {
public:
    virtual ~UINavigationBarDelegate() = default;
    virtual std::optional<bool> shouldPushItem(UINavigationBar&, UINavigationItem&) { return std::nullopt; }
    virtual void didPushItem(UINavigationBar&, UINavigationItem&) { }
    virtual std::optional<bool> shouldPopItem(UINavigationBar&, UINavigationItem&) { return std::nullopt; }
    virtual void didPopItem(UINavigationBar&, UINavigationItem&) { }
};

class UINavigationBar : public UIView {
    NS_OBJECT(UINavigationBar, UIView)
public:
    static constexpr CGFloat kHeight = 44;
    static constexpr CGFloat kEdgeMargin = 8;
    static constexpr CGFloat kItemSpacing = 8;

    const std::vector<UINavigationItemRef>& items() const { return m_items; }
    void setItems(const std::vector<UINavigationItemRef>& items, bool animated = false);
    UINavigationItemRef topItem() const { return m_items.empty() ? nullptr : m_items.back(); }
    UINavigationItemRef backItem() const { return m_items.size() < 2 ? nullptr : m_items[m_items.size() - 2]; }
    // An item already on the bar is refused.
    void pushNavigationItem(const UINavigationItemRef& item, bool animated = false);
    // The popped item; nil when only the root is left or the delegate refused.
    UINavigationItemRef popNavigationItemAnimated(bool animated = false);

    std::shared_ptr<UINavigationBarDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UINavigationBarDelegate>& delegate) { m_delegate = delegate; }

    UIBarStyle barStyle() const { return m_barStyle; }
    void setBarStyle(UIBarStyle style);
    bool isTranslucent() const { return m_translucent; }
    void setTranslucent(bool translucent);
    UIColorRef barTintColor() const { return m_barTintColor; }
    void setBarTintColor(const UIColorRef& color);
    void setBackgroundImage(const UIImageRef& image, UIBarMetrics metrics);
    UIImageRef backgroundImageForBarMetrics(UIBarMetrics metrics) const { return bar_background::imageFor(m_backgroundImages, metrics); }
    // Font and colour of the title (NSFontAttributeName, NSForegroundColorAttributeName).
    const NSAttributes& titleTextAttributes() const { return m_titleTextAttributes; }
    void setTitleTextAttributes(const NSAttributes& attributes);

    // The views that show the top item, for tests; nil when not shown.
    std::shared_ptr<UIControl> backButton() const;
    std::shared_ptr<UILabel> titleLabel() const { return m_titleLabel; }

    // Taps on the back button end here: the top item is popped once the delegate agrees.
    void backButtonTapped();
    // An item on the bar changed.
    void itemDidChange(UINavigationItem& item);

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    void drawRect(CGRect rect) override;

protected:
    void init(CGRect frame) override;

private:
    NSString backTitle() const;
    // Places the top item's views, noting them in m_shown.
    void placeTopItem();
    void showItemsChanged(bool animated);
    void adopt(const UINavigationItemRef& item);
    void release(const UINavigationItemRef& item);

    std::vector<UINavigationItemRef> m_items;
    std::weak_ptr<UINavigationBarDelegate> m_delegate;
    UIBarStyle m_barStyle { UIBarStyleDefault };
    bool m_translucent { true };
    UIColorRef m_barTintColor;
    bar_background::Images m_backgroundImages;
    NSAttributes m_titleTextAttributes;
    std::shared_ptr<UIControl> m_backButton;
    std::shared_ptr<UILabel> m_titleLabel;
    // The item views placed by the last layout, taken away at the next.
    std::vector<std::shared_ptr<UIView>> m_shown;
};

using UINavigationBarRef = std::shared_ptr<UINavigationBar>;

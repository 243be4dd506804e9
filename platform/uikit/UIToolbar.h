#pragma once
// A bar of items, usually at the bottom: left to right, 12 points from the edges and 8 apart,
// flexible spaces sharing what is left, fixed spaces their width, custom views their own size.

#include "platform/uikit/BarBackground.h"

#include <vector>

enum UIToolbarPosition : NSInteger {
    UIToolbarPositionAny = 0,
    UIToolbarPositionBottom = 1,
    UIToolbarPositionTop = 2,
};

class UIToolbar : public UIView {
    NS_OBJECT(UIToolbar, UIView)
public:
    static constexpr CGFloat kHeight = 44;
    static constexpr CGFloat kEdgeMargin = 12;
    static constexpr CGFloat kItemSpacing = 8;

    const std::vector<UIBarButtonItemRef>& items() const { return m_items; }
    void setItems(const std::vector<UIBarButtonItemRef>& items, bool animated = false);

    UIBarStyle barStyle() const { return m_barStyle; }
    void setBarStyle(UIBarStyle style);
    bool isTranslucent() const { return m_translucent; }
    void setTranslucent(bool translucent);
    UIColorRef barTintColor() const { return m_barTintColor; }
    void setBarTintColor(const UIColorRef& color);
    void setBackgroundImage(const UIImageRef& image, UIToolbarPosition position, UIBarMetrics metrics);
    UIImageRef backgroundImageForToolbarPosition(UIToolbarPosition position, UIBarMetrics metrics) const;

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    void drawRect(CGRect rect) override;

protected:
    void init(CGRect frame) override;

private:
    std::vector<UIBarButtonItemRef> m_items;
    UIBarStyle m_barStyle { UIBarStyleDefault };
    bool m_translucent { true };
    UIColorRef m_barTintColor;
    std::map<UIToolbarPosition, bar_background::Images> m_backgroundImages;
};

using UIToolbarRef = std::shared_ptr<UIToolbar>;

#pragma once
// The drawn pop-up menu: a column of items on a dark rounded body with a vertical gradient and a
// triangular arrow pointing at a rectangle of the host view. It grows out of the arrow's tip when
// shown and shrinks back into it when dismissed; the dismiss block runs once per showing.

#include "library/widgets/popupmenu/ArrowMenuItem.h"
#include "platform/graphics/CGContext.h"
#include "platform/uikit/UIButton.h"

enum ArrowMenuViewArrowDirection : std::int32_t {
    ArrowMenuViewArrowDirectionNone = 0,
    ArrowMenuViewArrowDirectionUp = 1,
    ArrowMenuViewArrowDirectionDown = 2,
    ArrowMenuViewArrowDirectionLeft = 3,
    ArrowMenuViewArrowDirectionRight = 4,
};

class ArrowMenuView : public UIView {
    NS_OBJECT(ArrowMenuView, UIView)
public:
    using DismissBlock = std::function<void()>;

    void showMenuInView(const UIViewRef& view, CGRect fromRect, const std::vector<ArrowMenuItemRef>& menuItems, DismissBlock dismiss);
    void dismissMenu(bool animated);
    void performAction(UIButton& sender);

    UIViewRef mkContentView();
    void setupFrameInView(const UIViewRef& view, CGRect fromRect);
    CGPoint arrowPoint() const;

    static UIImageRef selectedImage(CGSize size);
    static UIImageRef gradientLine(CGSize size);
    static UIImageRef gradientImageWithSize(CGSize size, const CGFloat* locations, const CGFloat* components, std::size_t count);

    void drawRect(CGRect rect) override;
    void drawBackground(CGRect frame, const CGContextRef& context);

    ArrowMenuViewArrowDirection arrowDirection() const { return m_arrowDirection; }
    CGFloat arrowPosition() const { return m_arrowPosition; }
    const UIViewRef& contentView() const { return m_contentView; }
    const std::vector<ArrowMenuItemRef>& menuItems() const { return m_menuItems; }

protected:
    void init() { init(CGRectZero); }
    void init(CGRect frame) override;

private:
    void removeFromOverlay();

    ArrowMenuViewArrowDirection m_arrowDirection { ArrowMenuViewArrowDirectionNone };
    CGFloat m_arrowPosition { 0 };
    UIViewRef m_contentView;
    std::vector<ArrowMenuItemRef> m_menuItems;
    DismissBlock m_completeDismiss;
};

#pragma once
// A horizontal pop-up menu that opens beside a target rectangle of a host view, with an arrow at
// the target. Its items stand in one row; when they do not fit the room beside the target they
// are split into pages with paging arrows at the ends. The whole menu is drawn as one picture
// for the normal and one for the highlighted state, cut into one slice per visible view.
//
//     auto menu = PGPopupMenu::popupMenuWithItems({ copy, share, remove });
//     menu->showInView(view(), button->frame(), true);
//
// The menu, its items and item views outlive a dismissal and can be shown again.

#include "library/widgets/pagedmenu/PGPopupMenuItemView.h"
#include "library/widgets/pagedmenu/PGPopupMenuOverlayView.h"
#include "library/widgets/pagedmenu/PGPopupMenuPagenatorView.h"

class PGPopupMenuDelegate {
public:
    virtual ~PGPopupMenuDelegate() = default;
    virtual void popupMenuWillAppear(PGPopupMenu&) { }
    virtual void popupMenuDidAppear(PGPopupMenu&) { }
    virtual void popupMenuWillDisappear(PGPopupMenu&) { }
    virtual void popupMenuDidDisappear(PGPopupMenu&) { }
};

enum PGPopupMenuArrowDirection : NSUInteger {
    PGPopupMenuArrowDirectionAny = 0,
    PGPopupMenuArrowDirectionUp = 1,
    PGPopupMenuArrowDirectionDown = 2,
    PGPopupMenuArrowDirectionLeft = 3,
    PGPopupMenuArrowDirectionRight = 4,
};

class PGPopupMenu : public UIView {
    NS_OBJECT(PGPopupMenu, UIView)
public:
    using ItemViewClass = std::function<PGPopupMenuItemViewRef(const PGPopupMenuItemRef&)>;
    using PagenatorViewClass = std::function<PGPopupMenuItemViewRef(NSUInteger direction, const std::shared_ptr<NSObject>& target,
        PGPopupMenuPagenatorView::Action action)>;

    static std::shared_ptr<PGPopupMenu> popupMenuWithItems(const std::vector<PGPopupMenuItemRef>& items) { return create(items); }
    // The view classes the menu makes; a subclass may answer others.
    virtual ItemViewClass itemViewClass() const;
    virtual PagenatorViewClass pagenatorViewClass() const;

    std::shared_ptr<PGPopupMenuDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<PGPopupMenuDelegate>& delegate) { m_delegate = delegate; }
    bool isVisible() const { return m_visible; }
    const std::vector<PGPopupMenuItemRef>& items() const { return m_items; }
    void setItems(const std::vector<PGPopupMenuItemRef>& items);
    CGFloat height() const { return m_height; }
    void setHeight(CGFloat height);
    CGFloat cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(CGFloat radius) { m_cornerRadius = radius; }
    CGFloat arrowSize() const { return m_arrowSize; }
    void setArrowSize(CGFloat size) { m_arrowSize = size; }
    NSUInteger arrowDirection() const { return m_arrowDirection; }
    void setArrowDirection(NSUInteger direction) { m_arrowDirection = direction; }
    UIEdgeInsets popupMenuInsets() const { return m_popupMenuInsets; }
    void setPopupMenuInsets(UIEdgeInsets insets) { m_popupMenuInsets = insets; }
    CGFloat margin() const { return m_margin; }
    void setMargin(CGFloat margin) { m_margin = margin; }
    const UIColorRef& color() const { return m_color; }
    void setColor(const UIColorRef& color) { m_color = color; }
    const UIColorRef& highlightedColor() const { return m_highlightedColor; }
    void setHighlightedColor(const UIColorRef& color) { m_highlightedColor = color; }

    void showInView(const UIViewRef& view, CGRect targetRect, bool animated);
    void dismissAnimated(bool animated);
    void updateWithTargetRect(CGRect targetRect);
    void showPreviousPage();
    void showNextPage();
    void showPage(NSUInteger page);

    // State of the showing, for subclasses and tests.
    const std::shared_ptr<PGPopupMenuOverlayView>& overlayView() const { return m_overlayView; }
    NSUInteger page() const { return m_page; }
    NSUInteger actualArrorDirection() const { return m_actualArrorDirection; }
    CGPoint arrowPoint() const { return m_arrowPoint; }
    CGRect targetRect() const { return m_targetRect; }
    const std::vector<PGPopupMenuItemViewRef>& itemViews() const { return m_itemViews; }
    const std::vector<std::vector<PGPopupMenuItemViewRef>>& groupedItemViews() const { return m_groupedItemViews; }
    const std::vector<PGPopupMenuItemViewRef>& visibleItemViews() const { return m_visibleItemViews; }

    void groupItemViewsWithMaximumWidth(CGFloat maximumWidth);
    void resetItemViewState(PGPopupMenuItemView& itemView);
    static UIImageRef cropImageFromImage(const UIImageRef& image, CGRect rect);

    // Drawing: the picture of the whole menu and its pieces, in the current context.
    UIImageRef popupMenuImageWithHighlighted(bool highlighted);
    virtual CGPathRef arrowPathInRect(CGRect rect, NSUInteger direction) const;
    virtual CGPathRef headPathInRect(CGRect rect, CGFloat cornerRadius) const;
    virtual CGPathRef tailPathInRect(CGRect rect, CGFloat cornerRadius) const;
    virtual CGPathRef bodyPathInRect(CGRect rect) const;
    void drawArrowAtPoint(CGPoint point, CGFloat arrowSize, NSUInteger arrowDirection, bool highlighted);
    virtual void drawArrowInRect(CGRect rect, NSUInteger direction, bool highlighted);
    virtual void drawHeadInRect(CGRect rect, CGFloat cornerRadius, bool highlighted);
    virtual void drawTailInRect(CGRect rect, CGFloat cornerRadius, bool highlighted);
    virtual void drawBodyInRect(CGRect rect, bool firstItem, bool lastItem, bool highlighted);
    virtual void drawSeparatorInRect(CGRect rect);

protected:
    void init(const std::vector<PGPopupMenuItemRef>& items);
    // The arrow's rectangle for the tip, as drawArrowAtPoint finds it.
    CGRect arrowRectAtPoint(CGPoint point, CGFloat arrowSize, NSUInteger arrowDirection) const;
    // A rectangle walked clockwise from its top left, rounding only the corners asked for.
    static CGPathRef cornerPathInRect(CGRect rect, CGFloat cornerRadius, bool topLeft, bool topRight, bool bottomRight, bool bottomLeft);

private:
    void updateVisibleItemViewsWithPage(NSUInteger page);
    void layoutVisibleItemViews();
    void updatePopupMenuFrameAndArrowPosition();
    void updatePopupMenuImage();
    void finishDismissal();

    std::weak_ptr<PGPopupMenuDelegate> m_delegate;
    bool m_visible { false };
    // Between show and the end of the appear animation; a show then must not make a second overlay.
    bool m_appearing { false };
    bool m_disappearing { false };
    std::vector<PGPopupMenuItemRef> m_items;
    CGFloat m_height { 36 };
    CGFloat m_cornerRadius { 8 };
    CGFloat m_arrowSize { 9 };
    NSUInteger m_arrowDirection { PGPopupMenuArrowDirectionAny };
    UIEdgeInsets m_popupMenuInsets { 10, 10, 10, 10 };
    CGFloat m_margin { 2 };
    UIColorRef m_color;
    UIColorRef m_highlightedColor;

    std::shared_ptr<PGPopupMenuOverlayView> m_overlayView;
    std::weak_ptr<UIView> m_view;
    CGRect m_targetRect { CGRectZero };
    NSUInteger m_page { 0 };
    NSUInteger m_actualArrorDirection { PGPopupMenuArrowDirectionAny };
    CGPoint m_arrowPoint { CGPointZero };
    std::vector<PGPopupMenuItemViewRef> m_itemViews;
    std::vector<std::vector<PGPopupMenuItemViewRef>> m_groupedItemViews;
    std::vector<PGPopupMenuItemViewRef> m_visibleItemViews;
};

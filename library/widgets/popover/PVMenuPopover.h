#pragma once
// A small drop-down menu: titles in a borderless list over a background picture, a pointer above
// its top-right corner, on a full-screen, lightly dimmed button that closes the menu when the user
// taps outside the list. It fades in and out over 0.5 s and tells its delegate the chosen row.
//
//     m_menuPopover = PVMenuPopover::create(CGRectMake(W - 105, 64, 100, 80), titles);
//     m_menuPopover->setMenuPopoverDelegate(self());
//     m_menuPopover->showInView(view());
//
// The frame is in the host view's coordinates; the list starts 11 points below its top, under the
// pointer, and is as high as the frame. Main thread only.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITableViewCell.h"

class PVMenuPopover;

class PVMenuPopoverDelegate {
public:
    virtual ~PVMenuPopoverDelegate() = default;
    // The menu is already fading out.
    virtual void menuPopoverDidSelectMenuItemAtIndex(PVMenuPopover& menuPopover, NSInteger selectedIndex) = 0;
};

class PVMenuPopover : public UIView, public UITableViewDataSource, public UITableViewDelegate {
    NS_OBJECT(PVMenuPopover, UIView)
public:
    static constexpr NSInteger kPointerTag = 1011;
    static constexpr NSInteger kTableTag = 1012;
    static constexpr CGFloat kPointerHeight = 11;
    static constexpr CGFloat kRowHeight = 40;

    std::shared_ptr<PVMenuPopoverDelegate> menuPopoverDelegate() const { return m_menuPopoverDelegate.lock(); }
    void setMenuPopoverDelegate(const std::shared_ptr<PVMenuPopoverDelegate>& delegate) { m_menuPopoverDelegate = delegate; }
    const std::vector<NSString>& menuItems() const { return m_menuItems; }
    void setMenuItems(std::vector<NSString> items);
    std::shared_ptr<UIButton> containerButton() const { return m_containerButton ? m_containerButton : m_shownContainer.lock(); }

    void showInView(const UIViewRef& view);
    void dismissMenuPopover() { hide(); }
    void hide();
    // Escape or Alt+Left closes the shown menu, as a tap beside it does.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;
    // Moves the pointer and the list 50 points right for the landscape orientations (3 and 4),
    // left otherwise.
    void layoutUIForInterfaceOrientation(NSInteger orientation);
    // Shows the cell's line under every row but the last; the line is made once per cell.
    void addSeparatorImageToCell(const std::shared_ptr<UITableViewCell>& cell, bool shown) const;

    // List.
    NSInteger numberOfRowsInSection(UITableView&, NSInteger section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    std::optional<CGFloat> heightForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>&) override { return kRowHeight; }
    void didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;

protected:
    // initWithFrame:menuItems:
    void init(CGRect frame, std::vector<NSString> menuItems);

private:
    std::weak_ptr<PVMenuPopoverDelegate> m_menuPopoverDelegate;
    std::vector<NSString> m_menuItems;
    // The menu owns its container while it is not shown; while shown the host view owns the
    // container and the container the menu, so neither keeps the other alive.
    std::shared_ptr<UIButton> m_containerButton;
    std::weak_ptr<UIButton> m_shownContainer;
    std::shared_ptr<UITableView> m_table;
    std::shared_ptr<UIImageView> m_pointer;
};

#pragma once
// The system's sheet of choices: a title and buttons that slide up from the bottom of the window
// of the view it is shown in, over a dimmed screen that takes the touches meanwhile. Buttons are
// numbered in the order they were made: the destructive button (red) first, then the others,
// then the cancel button, which sits apart at the bottom. A tap tells the delegate
// clickedButtonAtIndex, then the sheet slides away: willDismiss, didDismiss.

#include "platform/uikit/SystemAlertButtons.h"
#include "platform/uikit/UIView.h"

#include <vector>

class UIActionSheet;
class UIButton;
class UILabel;

enum class UIActionSheetStyle : NSInteger {
    Automatic = -1,
    Default = 0,
    BlackTranslucent = 2,
    BlackOpaque = 1,
};

class UIActionSheetDelegate {
public:
    virtual ~UIActionSheetDelegate() = default;
    virtual void actionSheetClickedButtonAtIndex(UIActionSheet&, NSInteger buttonIndex) { (void)buttonIndex; }
    virtual void willPresentActionSheet(UIActionSheet&) { }
    virtual void didPresentActionSheet(UIActionSheet&) { }
    virtual void actionSheetWillDismissWithButtonIndex(UIActionSheet&, NSInteger buttonIndex) { (void)buttonIndex; }
    virtual void actionSheetDidDismissWithButtonIndex(UIActionSheet&, NSInteger buttonIndex) { (void)buttonIndex; }
};

class UIActionSheet : public UIView {
    NS_OBJECT(UIActionSheet, UIView)
public:
    ~UIActionSheet() override;

    NSString title() const { return m_title; }
    void setTitle(const NSString& title);
    std::shared_ptr<UIActionSheetDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UIActionSheetDelegate>& delegate) { m_delegate = delegate; }
    UIActionSheetStyle actionSheetStyle() const { return m_style; }
    void setActionSheetStyle(UIActionSheetStyle style) { m_style = style; }

    NSInteger addButtonWithTitle(const NSString& title);
    NSInteger numberOfButtons() const { return m_buttons.count(); }
    NSString buttonTitleAtIndex(NSInteger index) const;
    // -1 when there is none.
    NSInteger cancelButtonIndex() const { return m_cancelButtonIndex; }
    void setCancelButtonIndex(NSInteger index);
    NSInteger destructiveButtonIndex() const { return m_destructiveButtonIndex; }
    void setDestructiveButtonIndex(NSInteger index);
    NSInteger firstOtherButtonIndex() const;

    bool isVisible() const { return m_phase == Phase::Shown; }
    // Slides up in the window of the view; a view in no window shows nothing.
    void showInView(const std::shared_ptr<UIView>& view);
    void dismissWithClickedButtonIndex(NSInteger buttonIndex, bool animated);

    std::shared_ptr<UIButton> buttonAtIndex(NSInteger index) const;

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    // Escape or Alt+Left is the cancel button; a sheet without one keeps the keys from what
    // lies below it.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

    static constexpr CGFloat kButtonHeight = 44;
    static constexpr CGFloat kMargin = 8;
    static constexpr NSTimeInterval kAnimationDuration = 0.3;

protected:
    void init(CGRect frame) override;
    void init(const NSString& title, const std::shared_ptr<UIActionSheetDelegate>& delegate,
        const NSString& cancelButtonTitle, const NSString& destructiveButtonTitle,
        const std::vector<NSString>& otherButtonTitles);

private:
    enum class Phase { Idle, Shown, Dismissing };

    void rebuildButtons();
    void buttonTapped(NSInteger index);
    CGFloat titleHeight(CGFloat width) const;

    NSString m_title;
    std::weak_ptr<UIActionSheetDelegate> m_delegate;
    UIActionSheetStyle m_style { UIActionSheetStyle::Automatic };
    SystemAlertButtons m_buttons;
    NSInteger m_cancelButtonIndex { -1 };
    NSInteger m_destructiveButtonIndex { -1 };
    Phase m_phase { Phase::Idle };
    std::shared_ptr<UIView> m_group;
    std::shared_ptr<UIView> m_cancelGroup;
    std::shared_ptr<UILabel> m_titleLabel;
    // Over the window while the sheet is up; the window's holding it and the sheet keeps a
    // shown sheet alive without its maker.
    std::shared_ptr<UIView> m_dimming;
};

using UIActionSheetRef = std::shared_ptr<UIActionSheet>;

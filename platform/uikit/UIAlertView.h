#pragma once
// The system's modal alert: a title, a message, up to two text fields and buttons, drawn in a
// window of its own at the alert level over a dimmed screen, so the screen below takes no
// touches while it is up. One alert shows at a time; an alert shown meanwhile waits in line and
// comes up once the one before it is gone. A shown alert keeps itself alive until dismissed.
//
// Buttons are numbered in the order they were added: the cancel button (when there is one) is
// 0, the other buttons follow. Two buttons sit side by side, the cancel button on the left;
// more are stacked, the cancel button at the bottom.
//
// A tap on a button tells the delegate clickedButtonAtIndex, then dismisses the alert with that
// index: willDismiss, a short fade, didDismiss. Once dismissing, further taps are ignored.

#include "platform/uikit/SystemAlertButtons.h"
#include "platform/uikit/UIView.h"

#include <optional>
#include <vector>

class UIAlertView;
class UIButton;
class UILabel;
class UITextField;

enum class UIAlertViewStyle : NSInteger {
    Default = 0,
    SecureTextInput = 1,
    PlainTextInput = 2,
    LoginAndPasswordInput = 3,
};

class UIAlertViewDelegate {
public:
    virtual ~UIAlertViewDelegate() = default;

    virtual void alertViewClickedButtonAtIndex(UIAlertView&, NSInteger buttonIndex) { (void)buttonIndex; }
    // The system took the alert away (not a tap): the application went to the background.
    virtual void alertViewCancel(UIAlertView&) { }
    virtual void willPresentAlertView(UIAlertView&) { }
    virtual void didPresentAlertView(UIAlertView&) { }
    virtual void alertViewWillDismissWithButtonIndex(UIAlertView&, NSInteger buttonIndex) { (void)buttonIndex; }
    virtual void alertViewDidDismissWithButtonIndex(UIAlertView&, NSInteger buttonIndex) { (void)buttonIndex; }
    // Asked when the alert shows and after every edit of its text fields; enabled when not implemented.
    virtual std::optional<bool> alertViewShouldEnableFirstOtherButton(UIAlertView&) { return std::nullopt; }
};

class UIAlertView : public UIView {
    NS_OBJECT(UIAlertView, UIView)
public:
    ~UIAlertView() override;

    NSString title() const { return m_title; }
    void setTitle(const NSString& title);
    NSString message() const { return m_message; }
    void setMessage(const NSString& message);

    std::shared_ptr<UIAlertViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UIAlertViewDelegate>& delegate) { m_delegate = delegate; }

    // Answers the new button's index.
    NSInteger addButtonWithTitle(const NSString& title);
    NSInteger numberOfButtons() const { return m_buttons.count(); }
    // Nil for an index that names no button.
    NSString buttonTitleAtIndex(NSInteger index) const;
    // -1 when there is none.
    NSInteger cancelButtonIndex() const { return m_cancelButtonIndex; }
    void setCancelButtonIndex(NSInteger index);
    // The first button that is not the cancel button; -1 when there is none.
    NSInteger firstOtherButtonIndex() const;

    UIAlertViewStyle alertViewStyle() const { return m_style; }
    void setAlertViewStyle(UIAlertViewStyle style);
    // The style's fields: one for the secure and plain styles, login and password for the
    // last. An index the style has no field for raises NSRangeException.
    std::shared_ptr<UITextField> textFieldAtIndex(NSInteger index) const;

    // Up on the screen (not waiting in line, not gone).
    bool isVisible() const { return m_phase == Phase::Shown; }
    void show();
    // Takes the alert away as if the button had been tapped, without telling clickedButtonAtIndex.
    // An alert still waiting in line leaves the line.
    void dismissWithClickedButtonIndex(NSInteger buttonIndex, bool animated);

    // The button views, by index, for tests and the host.
    std::shared_ptr<UIButton> buttonAtIndex(NSInteger index) const;

    void layoutSubviews() override;
    CGSize sizeThatFits(CGSize size) const override;
    // Return taps the button that goes ahead (the first other one, else the only one), Escape
    // the cancel button.
    bool pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

    static constexpr CGFloat kWidth = 270;
    static constexpr CGFloat kButtonHeight = 44;
    static constexpr NSTimeInterval kAnimationDuration = 0.2;

protected:
    void init(CGRect frame) override;
    void init(const NSString& title, const NSString& message, const std::shared_ptr<UIAlertViewDelegate>& delegate,
        const NSString& cancelButtonTitle, const std::vector<NSString>& otherButtonTitles);

private:
    friend class UIAlertPresenter;
    enum class Phase { Idle, Queued, Shown, Dismissing };

    void buttonTapped(NSInteger index);
    void rebuildButtons();
    void rebuildTextFields();
    void updateFirstOtherButton();
    void fieldReturned(UITextField& field);
    bool sideBySide() const;
    // The laid-out heights: the text block, the fields, the buttons.
    CGFloat textHeight() const;
    CGFloat fieldsHeight() const;
    CGFloat buttonsHeight() const;
    // For the presenter.
    void presented();
    void willBeShown();

    NSString m_title;
    NSString m_message;
    std::weak_ptr<UIAlertViewDelegate> m_delegate;
    SystemAlertButtons m_buttons;
    NSInteger m_cancelButtonIndex { -1 };
    UIAlertViewStyle m_style { UIAlertViewStyle::Default };
    Phase m_phase { Phase::Idle };
    std::shared_ptr<UILabel> m_titleLabel;
    std::shared_ptr<UILabel> m_messageLabel;
    std::vector<std::shared_ptr<UITextField>> m_fields;
};

using UIAlertViewRef = std::shared_ptr<UIAlertView>;

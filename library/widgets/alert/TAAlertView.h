#pragma once
// An alert drawn by the application: title, message, an optional content view, text fields (the
// four styles of the system alert or added one by one) and buttons (two side by side, otherwise
// stacked), shown in a window of its own by the shared TAAlertViewController, which keeps a stack:
// a newer alert hides the one below until it is dismissed. Its look comes from a TAAlertViewTheme.
//
//     auto alert = TAAlertView::create("网络设置", NSString(), nullptr, "取消", std::vector<NSString> { "确定" });
//     alert->setAlertViewStyle(3);
//     alert->showWithCompletion([](TAAlertView& alert, NSInteger index) { ... index 1 is 确定 ... });
//
// Main thread only.

#include "library/widgets/alert/TAAlertViewTheme.h"
#include "platform/foundation/NSNotification.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITextField.h"

class TAAlertView;

// Every operation is optional.
class TAAlertViewDelegate {
public:
    virtual ~TAAlertViewDelegate() = default;
    virtual void clickedButtonAtIndex(TAAlertView&, NSInteger index) { (void)index; }
    virtual void alertViewCancel(TAAlertView&) { }
    virtual void willPresentAlertView(TAAlertView&) { }
    virtual void didPresentAlertView(TAAlertView&) { }
    virtual void willDismissWithButtonIndex(TAAlertView&, NSInteger index) { (void)index; }
    virtual void didDismissWithButtonIndex(TAAlertView&, NSInteger index) { (void)index; }
    virtual std::optional<bool> alertViewShouldEnableFirstOtherButton(TAAlertView&) { return std::nullopt; }
    virtual std::optional<bool> shouldDismissAfterClickingButtonAtIndex(TAAlertView&, NSInteger index)
    {
        (void)index;
        return std::nullopt;
    }
    virtual std::optional<bool> buttonAtIndexShouldBeEnabled(TAAlertView&, NSInteger index, bool proposed)
    {
        (void)index, (void)proposed;
        return std::nullopt;
    }
    virtual std::optional<bool> textFieldAtIndexShouldBecomeFirstResponder(TAAlertView&, NSInteger index, bool proposed)
    {
        (void)index, (void)proposed;
        return std::nullopt;
    }
};

class TAAlertView : public UIView, public UITextFieldDelegate {
    NS_OBJECT(TAAlertView, UIView)
public:
    using Completion = std::function<void(TAAlertView& alert, NSInteger buttonIndex)>;

    ~TAAlertView() override;

    static void setBackdropColor(const UIColorRef& color);
    static void setDefaultTheme(const std::shared_ptr<TAAlertViewTheme>& theme) { TAAlertViewTheme::setDefaultTheme(theme); }

    std::shared_ptr<TAAlertViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<TAAlertViewDelegate>& delegate) { m_delegate = delegate; }

    NSString title() const { return m_titleLabel->text(); }
    void setTitle(const NSString& title);
    NSString message() const { return m_messageLabel->text(); }
    void setMessage(const NSString& message);
    const UIViewRef& contentView() const { return m_contentView; }
    void setContentView(const UIViewRef& view);

    NSInteger cancelButtonIndex() const { return m_cancelButtonIndex; }
    void setCancelButtonIndex(NSInteger index) { m_cancelButtonIndex = std::max<NSInteger>(index, -1); }
    NSInteger doneButtonIndex() const { return m_doneButtonIndex; }
    void setDoneButtonIndex(NSInteger index) { m_doneButtonIndex = index; }
    NSInteger firstOtherButtonIndex() const;
    NSInteger numberOfButtons() const { return NSInteger(m_buttons.size()); }
    bool isVisible() const { return m_visible; }
    bool dismissesOnBackdropTap() const { return m_dismissesOnBackdropTap; }
    void setDismissesOnBackdropTap(bool dismisses) { m_dismissesOnBackdropTap = dismisses; }
    bool hasCustomTextFields() const { return m_hasCustomTextFields; }
    void setHasCustomTextFields(bool custom) { m_hasCustomTextFields = custom; }
    bool pairButtons() const { return m_pairButtons; }
    void setPairButtons(bool pair) { m_pairButtons = pair; }
    // 0 default, 1 secure text, 2 plain text, 3 login and password.
    NSUInteger alertViewStyle() const { return m_alertViewStyle; }
    void setAlertViewStyle(NSUInteger style);
    CGFloat minContentWidth() const { return m_minContentWidth; }
    void setMinContentWidth(CGFloat width);
    CGFloat maxContentWidth() const { return m_maxContentWidth; }
    void setMaxContentWidth(CGFloat width);
    const std::shared_ptr<TAAlertViewTheme>& theme() const { return m_theme; }

    // Text fields.
    void addTextFieldWithText(const NSString& text, const NSString& placeholder);
    std::shared_ptr<UITextField> textFieldAtIndex(NSInteger index) const;
    NSString textFieldTextAtIndex(NSInteger index) const;
    NSInteger numberOfTextFields() const { return NSInteger(m_textfields.size()); }
    void setSecureTextEntry(bool secure, NSInteger ofTextFieldAtIndex);
    void setKeyboardType(UIKeyboardType keyboardType, NSInteger ofTextFieldAtIndex);
    void setInputView(const UIViewRef& inputView, NSInteger ofTextFieldAtIndex);
    void removeTextFieldsInRange(NSRange range);

    // Buttons.
    void addButtonWithTitle(const NSString& title);
    std::shared_ptr<UIButton> buttonAtIndex(NSInteger index) const;
    NSString buttonTitleAtIndex(NSInteger index) const;
    NSInteger indexOfButtonWithTitle(const NSString& title) const;
    bool isPrimaryButtonAtIndex(NSInteger index) const;
    std::shared_ptr<TAAlertViewButtonTheme> themeForButtonAtIndex(NSInteger index) const;
    std::shared_ptr<TAAlertViewTextFieldTheme> themeForTextFieldAtIndex(NSInteger index) const;
    // Nil goes back to the alert theme's own; animated, the alert resizes over 0.3 s.
    void setCustomButtonTheme(const std::shared_ptr<TAAlertViewButtonTheme>& theme, NSInteger forButtonAtIndex, bool animated = false);
    void setCustomTextFieldTheme(const std::shared_ptr<TAAlertViewTextFieldTheme>& theme, NSInteger forTextFieldAtIndex,
        bool animated = false);

    void applyTheme(const std::shared_ptr<TAAlertViewTheme>& theme, bool animated = false);
    // A theme on one control, over 1.0 s when animated.
    static void applyTheme(const TAAlertViewTextFieldTheme& theme, UITextField& toTextField, bool animated);
    static void applyTheme(const TAAlertViewButtonTheme& theme, UIButton& toButton, bool animated);

    // Showing and dismissing. A show of an alert that is already presented or shown does nothing.
    void show() { showWithCompletion(nullptr); }
    void showWithCompletion(Completion completion);
    void dismissWithClickedButtonIndex(NSInteger index, bool animated);
    void dismissWithBackdropTap();
    // Escape, from a field too, presses the cancel button; a Return no field took, the button
    // that goes ahead.
    bool pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;
    void hideWithCompletion(std::function<void()> completion);
    void unhideWithCompletion(std::function<void()> completion);
    void updateButtons();

    // Sizing and layout.
    CGSize preferredFrameSize() const { return CGSizeMake(alertWidth(), alertHeight()); }
    CGFloat alertWidth() const;
    CGFloat alertHeight() const;
    CGFloat titleHeight() const;
    CGFloat messageHeight() const;
    CGFloat contentViewHeight() const { return m_contentView ? m_contentView->bounds().size.height : 0; }
    void layoutSubviews() override;
    void updateFrameWithAnimationOfDuration(NSTimeInterval duration);
    CGFloat keyboardHeight() const { return m_keyboardHeight; }
    static CGRect getScreenFrameForCurrentOrientation();

    // Text field delegate.
    std::optional<bool> textFieldShouldBeginEditing(UITextField&) override { return true; }
    std::optional<bool> textFieldShouldEndEditing(UITextField&) override { return true; }
    void textFieldDidBeginEditing(UITextField& field) override;
    void textFieldDidEndEditing(UITextField& field) override;
    std::optional<bool> textFieldShouldReturn(UITextField& field) override;

protected:
    void init(const NSString& title, const NSString& message, const std::shared_ptr<TAAlertViewDelegate>& delegate,
        const NSString& cancelButtonTitle, const std::vector<NSString>& otherButtonTitles);

private:
    NSTimeInterval animationDuration() const { return m_visible ? 0.3 : 0; }
    void addTextField(const NSString& text, const NSString& placeholder);
    void makeTextFieldAtIndexFirstResponder(NSInteger index);
    void dismissWithButton(UIButton& button);
    void didDismissWithClickedButtonIndex(NSInteger index);
    void showAnimated(std::function<void()> completion);
    void dismissAnimated(std::function<void()> completion);
    void willDismissOrHide();
    void didShowOrUnhide();
    void startKeyboardObservation();
    void stopKeyboardObservation();
    void keyboardDidChangeFrame(const std::shared_ptr<NSNotification>& notification);
    void keyboardWillHide(const std::shared_ptr<NSNotification>& notification);
    static void applyThemeToButton(const TAAlertViewButtonTheme& theme, UIButton& button);
    static void applyThemeToTextField(const TAAlertViewTextFieldTheme& theme, UITextField& field);
    void updateBoundsWithAnimationOfDuration(NSTimeInterval duration);
    void updateCenterWithAnimationOfDuration(NSTimeInterval duration);
    static CGSize optimalSizeForLabel(const UILabel& label, CGSize maxSize);

    std::weak_ptr<TAAlertViewDelegate> m_delegate;
    NSInteger m_cancelButtonIndex { -1 };
    NSInteger m_doneButtonIndex { -1 };
    bool m_visible { false };
    bool m_dismissesOnBackdropTap { false };
    bool m_hasCustomTextFields { false };
    bool m_pairButtons { true };
    NSUInteger m_alertViewStyle { 0 };
    UIViewRef m_contentView;
    CGFloat m_minContentWidth { 200 };
    CGFloat m_maxContentWidth { 270 };
    UIViewRef m_clippingView;
    std::shared_ptr<UILabel> m_titleLabel;
    UIViewRef m_titleBackgroundView;
    std::shared_ptr<UILabel> m_messageLabel;
    std::vector<std::shared_ptr<UITextField>> m_textfields;
    std::vector<std::shared_ptr<UIButton>> m_buttons;
    std::vector<UIViewRef> m_lines;
    std::vector<std::shared_ptr<TAAlertViewTextFieldTheme>> m_textFieldThemes; // nil: the theme's own
    std::vector<std::shared_ptr<TAAlertViewButtonTheme>> m_buttonThemes;
    std::shared_ptr<TAAlertViewTheme> m_theme;
    bool m_isObservingKeyboard { false };
    CGFloat m_keyboardHeight { 0 };
    Completion m_completion;
    // From show until the controller has it no more; a second show in that time would stack the
    // alert on itself.
    bool m_presented { false };
    // From the first click until the dismissal ends; later clicks are ignored.
    bool m_dismissing { false };
};

#pragma once
// Keeps the field being edited above the keyboard with no code in the screens: when a field begins
// editing or the keyboard comes up, the scroll views around the field scroll first and the view of
// the screen's controller moves up by the rest, so that the field's bottom stays
// keyboardDistanceFromTextField points above the keyboard; everything goes back when the keyboard
// hides. Every field also gets a bar over the keyboard: Done for a lone field, Previous / Next /
// Done for a group. A screen presented as a sheet moves within the room the sheet leaves, and a
// tall text view can be shortened to fit above the keyboard (canAdjustTextView). The application switches it on once at launch:
//
//     KMKeyboardManager::enableForApplication(); // distance 15, automatic bar, placeholder as title
//
// Main thread only.

#include "library/widgets/keyboard/UIView_KMToolbarAddition.h"
#include "platform/foundation/NSNotification.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UITextInputTraits.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

class KMKeyboardManager : public NSObject, public UIGestureRecognizerDelegate {
    NS_OBJECT(KMKeyboardManager, NSObject)
public:
    static constexpr NSInteger kDoneToolbarTag = -1002;
    static constexpr NSInteger kPreviousNextToolbarTag = -1005;

    ~KMKeyboardManager() override;

    static const std::shared_ptr<KMKeyboardManager>& sharedManager();
    // The start-up settings: handling on, distance 15 points, automatic bars with the placeholder
    // as their title. Only the first call does anything.
    static void enableForApplication();

    bool isEnabled() const { return m_enable; }
    void setEnable(bool enable);
    CGFloat keyboardDistanceFromTextField() const { return m_keyboardDistanceFromTextField; }
    void setKeyboardDistanceFromTextField(CGFloat distance) { m_keyboardDistanceFromTextField = std::max<CGFloat>(distance, 0); }
    bool preventShowingBottomBlankSpace() const { return m_preventShowingBottomBlankSpace; }
    void setPreventShowingBottomBlankSpace(bool prevent) { m_preventShowingBottomBlankSpace = prevent; }
    bool isEnableAutoToolbar() const { return m_enableAutoToolbar; }
    void setEnableAutoToolbar(bool enable);
    // 0 subview order, 1 by tag, 2 by position.
    NSInteger toolbarManageBehaviour() const { return m_toolbarManageBehaviour; }
    void setToolbarManageBehaviour(NSInteger behaviour) { m_toolbarManageBehaviour = behaviour; }
    bool shouldToolbarUsesTextFieldTintColor() const { return m_shouldToolbarUsesTextFieldTintColor; }
    void setShouldToolbarUsesTextFieldTintColor(bool uses) { m_shouldToolbarUsesTextFieldTintColor = uses; }
    bool shouldShowTextFieldPlaceholder() const { return m_shouldShowTextFieldPlaceholder; }
    void setShouldShowTextFieldPlaceholder(bool show) { m_shouldShowTextFieldPlaceholder = show; }
    const UIFontRef& placeholderFont() const { return m_placeholderFont; }
    void setPlaceholderFont(const UIFontRef& font) { m_placeholderFont = font; }
    bool overrideKeyboardAppearance() const { return m_overrideKeyboardAppearance; }
    void setOverrideKeyboardAppearance(bool override) { m_overrideKeyboardAppearance = override; }
    UIKeyboardAppearance keyboardAppearance() const { return m_keyboardAppearance; }
    void setKeyboardAppearance(UIKeyboardAppearance appearance) { m_keyboardAppearance = appearance; }
    // Shortens a tall text view so that it fits above the keyboard.
    bool canAdjustTextView() const { return m_canAdjustTextView; }
    void setCanAdjustTextView(bool adjust) { m_canAdjustTextView = adjust; }
    bool shouldResignOnTouchOutside() const { return m_shouldResignOnTouchOutside; }
    void setShouldResignOnTouchOutside(bool resign);
    bool shouldPlayInputClicks() const { return m_shouldPlayInputClicks; }
    void setShouldPlayInputClicks(bool play) { m_shouldPlayInputClicks = play; }
    // Keeps a text view's caret inside it while typing.
    bool shouldFixTextViewClip() const { return m_shouldFixTextViewClip; }
    void setShouldFixTextViewClip(bool fix) { m_shouldFixTextViewClip = fix; }
    bool shouldAdoptDefaultKeyboardAnimation() const { return m_shouldAdoptDefaultKeyboardAnimation; }
    void setShouldAdoptDefaultKeyboardAnimation(bool adopt) { m_shouldAdoptDefaultKeyboardAnimation = adopt; }

    std::shared_ptr<UIWindow> keyWindow() const;

    // Notification handlers.
    void keyboardWillShow(const std::shared_ptr<NSNotification>& notification);
    void keyboardWillHide(const std::shared_ptr<NSNotification>& notification);
    void keyboardDidHide(const std::shared_ptr<NSNotification>& notification);
    void textFieldViewDidBeginEditing(const std::shared_ptr<NSNotification>& notification);
    void textFieldViewDidEndEditing(const std::shared_ptr<NSNotification>& notification);
    void willChangeStatusBarOrientation(const std::shared_ptr<NSNotification>& notification);
    void textFieldViewDidChange(const std::shared_ptr<NSNotification>& notification);

    void adjustFrame();

    // The fields Previous and Next move between. A field alone among its siblings (each field of
    // a form in a row view of its own) is grouped with the other fields of its screen.
    std::vector<UIViewRef> responderViews() const;
    void addToolbarIfRequired();
    void removeToolbarIfRequired();
    void previousAction(UIBarButtonItem&);
    void nextAction(UIBarButtonItem&);
    void doneAction(UIBarButtonItem&);
    void resignFirstResponder();
    void previousAction(UIControl&);
    void nextAction(UIControl&);

    void tapRecognized(UITapGestureRecognizer& recognizer);
    std::optional<bool> shouldReceiveTouch(UIGestureRecognizer&, UITouch& touch) override;
    std::optional<bool> shouldRecognizeSimultaneouslyWithGestureRecognizer(UIGestureRecognizer&, UIGestureRecognizer&) override
    {
        return false;
    }

    UIViewRef textFieldView() const { return m_textFieldView.lock(); }

protected:
    void init();

private:
    UIViewRef currentField() const { return m_textFieldView.lock(); }
    std::shared_ptr<UIViewController> controllerForField() const;
    void setRootViewFrame(CGRect frame);
    void restoreScrollView(UIScrollView& scroll);
    void animate(std::function<void()> changes);
    void moveTo(const UIViewRef& neighbour, const UIViewRef& field, std::function<void(UIView&)> after);
    void styleToolbar(KMToolbar& toolbar, const UIView& field) const;

    std::weak_ptr<UIView> m_textFieldView;
    CGRect m_textFieldViewIntialFrame {};
    CGRect m_topViewBeginRect {};
    std::weak_ptr<UIViewController> m_rootViewController;
    std::weak_ptr<UIScrollView> m_lastScrollView;
    UIEdgeInsets m_startingContentInsets {};
    CGPoint m_startingContentOffset {};
    CGSize m_startingContentSize {};
    std::shared_ptr<NSNotification> m_kbShowNotification;
    CGSize m_kbSize {};
    NSTimeInterval m_animationDuration { 0.25 };
    NSUInteger m_animationCurve { 0 };
    std::shared_ptr<UITapGestureRecognizer> m_tapGesture;
    // The window the recogniser was put on, so it comes off that one even if the field has left it.
    std::weak_ptr<UIWindow> m_tapGestureWindow;
    bool m_isTextFieldViewFrameChanged { false };
    bool m_isKeyboardShowing { false };

    bool m_enable { false };
    bool m_preventShowingBottomBlankSpace { true };
    bool m_overrideKeyboardAppearance { false };
    bool m_enableAutoToolbar { true };
    bool m_shouldToolbarUsesTextFieldTintColor { false };
    bool m_shouldShowTextFieldPlaceholder { true };
    bool m_canAdjustTextView { false };
    bool m_shouldResignOnTouchOutside { false };
    bool m_shouldPlayInputClicks { false };
    bool m_shouldAdoptDefaultKeyboardAnimation { true };
    bool m_shouldFixTextViewClip { true };
    CGFloat m_keyboardDistanceFromTextField { 10.0 };
    UIKeyboardAppearance m_keyboardAppearance { UIKeyboardAppearance::Default };
    NSInteger m_toolbarManageBehaviour { 0 };
    UIFontRef m_placeholderFont;
};

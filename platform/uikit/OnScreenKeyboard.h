#pragma once
// The simulated on-screen keyboard. When a responder that takes text (or has an input view) becomes
// first responder, a panel of keys 216 points high (or the responder's input view) slides up from
// the bottom of the screen in a window of its own above every other, with the responder's input
// accessory view on top of it; the frame announced to the application covers both. When no such
// responder is first any more, the panel slides away. Moving from one text control to another
// keeps the keyboard up and announces its new frame. Its keys type when tapped, as the host's
// text and keys do.

#include "platform/uikit/KeyboardTransitions.h"
#include "platform/uikit/UIKeyboardController.h"
#include "platform/uikit/UIWindow.h"

class OnScreenKeyboard : public NSObject, public UIKeyboardController {
    NS_OBJECT(OnScreenKeyboard, NSObject)
public:
    // Above alerts and the status bar, as the platform's keyboard is.
    static constexpr UIWindowLevel windowLevel = 10000000;

    // A keyboard for the main screen, made the application's keyboard controller.
    static std::shared_ptr<OnScreenKeyboard> install();

    ~OnScreenKeyboard() override;

    const std::shared_ptr<KeyboardTransitions>& transitions() const { return m_transitions; }
    bool isVisible() const { return m_transitions->isVisible(); }
    // Keys (or input view) and accessory, in screen coordinates.
    CGRect frame() const { return m_transitions->frame(); }
    const UIWindowRef& window() const { return m_window; }
    // The drawn keys; hidden while the responder's input view stands in for them.
    const UIViewRef& keysView() const { return m_keysView; }
    // The text control the keyboard serves; nil while hidden.
    UIResponderRef responder() const { return m_responder.lock(); }

    void firstResponderDidChange(const UIResponderRef& previous, const UIResponderRef& current) override;
    bool handleTypedText(UIResponder& responder, const NSString& text) override;
    bool handleKey(UIResponder& responder, UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

protected:
    void init(CGRect screenBounds);

private:
    static bool takesKeyboard(const UIResponderRef& responder);
    void fill(const UIResponderRef& responder);
    void empty();
    void transitionStarted(KeyboardTransitions::Phase phase, CGRect begin, CGRect end);
    void transitionFinished(KeyboardTransitions::Phase phase);

    std::shared_ptr<KeyboardTransitions> m_transitions;
    UIWindowRef m_window;
    UIViewRef m_keysView;
    UIViewRef m_accessoryView;
    UIViewRef m_inputView;
    std::weak_ptr<UIResponder> m_responder;
};

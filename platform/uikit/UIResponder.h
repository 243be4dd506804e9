#pragma once
// Objects that take events: views, view controllers, windows and the application. Touches and
// keys a responder does not handle go up the responder chain: a view passes them to its view
// controller when it is that controller's view, else to its superview; a controller to its
// view's superview; a window to the application.
//
// Each window has at most one first responder, the one that receives typed text and keys.
// Becoming first responder first asks the current one to resign; the application's keyboard
// controller hears every change, once per change.

#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIKeyInput.h"

class UIView;

class UIResponder : public NSObject {
    NS_OBJECT(UIResponder, NSObject)
public:
    virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }

    virtual bool canBecomeFirstResponder() const { return false; }
    // False when the responder cannot become first responder, is in no window, or the current
    // first responder refuses to resign.
    virtual bool becomeFirstResponder();
    virtual bool canResignFirstResponder() const { return true; }
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;
    // Told right after the responder became, or stopped being, its window's first responder, and
    // before the keyboard hears of it: text controls begin and end their editing here.
    virtual void didBecomeFirstResponder() { }
    virtual void didResignFirstResponder() { }

    // By default each passes the touches to the next responder.
    virtual void touchesBegan(const UITouchSet& touches, const UIEventRef& event);
    virtual void touchesMoved(const UITouchSet& touches, const UIEventRef& event);
    virtual void touchesEnded(const UITouchSet& touches, const UIEventRef& event);
    virtual void touchesCancelled(const UITouchSet& touches, const UIEventRef& event);

    // A key other than text; false when no responder up the chain took it.
    virtual bool pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers);
    // Cut, copy, paste or select all; false when no responder up the chain took it.
    virtual bool performEditingAction(UIEditingAction action);
    // The mouse wheel or touchpad over the responder, in points the content is to move by
    // (positive y shows what lies further down); false when no responder up the chain scrolled.
    virtual bool scrollWheel(CGPoint delta);
    // Whole notches of a mouse wheel (positive y shows what lies further down). What scrolls by
    // points takes wheelNotch points a notch; a stepped control may take a step.
    virtual bool scrollWheelNotches(CGPoint notches);
    static constexpr CGFloat wheelNotch = 40;
    // A key that neither the first responder nor its chain took, offered to what the key window
    // shows (UnclaimedKeyRouting): true when this responder acted on it. No chain: each answers
    // for itself.
    virtual bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
    {
        (void)key;
        (void)modifiers;
        return false;
    }

    // What the keyboard shows for this responder while it is first responder.
    virtual std::shared_ptr<UIView> inputView() const { return nullptr; }
    virtual std::shared_ptr<UIView> inputAccessoryView() const { return nullptr; }

protected:
    // The window whose first responder this responder would be; nil when it is in none.
    virtual std::shared_ptr<class UIWindow> responderWindow() const { return nullptr; }
};

using UIResponderRef = std::shared_ptr<UIResponder>;

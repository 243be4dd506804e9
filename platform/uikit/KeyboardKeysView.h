#pragma once
// The keys of the simulated keyboard, drawn for the responder they serve and working when
// tapped: letters (lower case, Shift for one capital), a page of digits and punctuation and a
// page of symbols for text, a number pad for numbers. Delete, space and the return key go the
// way the physical keys go (through the application to the first responder), so the return key
// acts as the field's own: named in Chinese by its return key type, blue unless it is the plain
// return key, grey and inert while disabled. Light or dark by the responder's appearance.

#include "platform/uikit/UIView.h"

#include <optional>
#include <vector>

class KeyboardKeysView : public UIView {
    NS_OBJECT(KeyboardKeysView, UIView)
public:
    enum class Page { Letters, Digits, Symbols };

    // A new responder starts on the page its keyboard type asks for, Shift off.
    void setResponder(const UIResponderRef& responder);
    UIResponderRef responder() const { return m_responder.lock(); }

    Page page() const { return m_page; }
    bool isShifted() const { return m_shifted; }
    // The captions of the keys now shown, left to right and top to bottom.
    std::vector<NSString> keyTitles() const;
    // Where the key with the caption is, in the view's coordinates; nothing when none shows it.
    std::optional<CGRect> frameOfKey(const NSString& title) const;

    void drawRect(CGRect rect) override;
    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;

    // The caption the return key shows now; for a return key type.
    NSString returnKeyTitle() const;
    static NSString returnKeyTitle(NSInteger returnKeyType);

protected:
    void init(CGRect frame) override;

private:
    enum class Kind { Character, Space, Shift, Delete, PageSwitch, Return };
    struct Key {
        CGRect frame;
        NSString title;
        Kind kind;
        // What a character key types, or the page a page key shows.
        NSString text;
        Page target { Page::Letters };
    };

    std::vector<Key> keys() const;
    std::vector<Key> numberPadKeys() const;
    std::optional<std::size_t> keyIndexAt(CGPoint point) const;
    void press(const Key& key);
    bool showsNumberPad() const;

    std::weak_ptr<UIResponder> m_responder;
    Page m_page { Page::Letters };
    bool m_shifted { false };
    std::optional<std::size_t> m_pressedKey;
};

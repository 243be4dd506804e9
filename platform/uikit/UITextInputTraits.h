#pragma once
// What a text control asks of the keyboard: its kind of keys, its return key, whether it hides
// what is typed. The numeric values are the platform's; stored settings travel with them.

#include "platform/foundation/NSObjCRuntime.h"

enum class UITextAutocapitalizationType : NSInteger {
    None = 0,
    Words = 1,
    Sentences = 2,
    AllCharacters = 3,
};

enum class UITextAutocorrectionType : NSInteger {
    Default = 0,
    No = 1,
    Yes = 2,
};

enum class UITextSpellCheckingType : NSInteger {
    Default = 0,
    No = 1,
    Yes = 2,
};

enum class UIKeyboardType : NSInteger {
    Default = 0,
    ASCIICapable = 1,
    NumbersAndPunctuation = 2,
    URL = 3,
    NumberPad = 4,
    PhonePad = 5,
    NamePhonePad = 6,
    EmailAddress = 7,
    DecimalPad = 8,
    Twitter = 9,
    WebSearch = 10,
};

enum class UIKeyboardAppearance : NSInteger {
    Default = 0,
    Dark = 1,
    Light = 2,
    Alert = Dark,
};

enum class UIReturnKeyType : NSInteger {
    Default = 0,
    Go = 1,
    Google = 2,
    Join = 3,
    Next = 4,
    Route = 5,
    Search = 6,
    Send = 7,
    Yahoo = 8,
    Done = 9,
    EmergencyCall = 10,
};

// Mixed into the text controls; the keyboard reads it from the first responder.
class UITextInputTraits {
public:
    virtual ~UITextInputTraits() = default;

    UITextAutocapitalizationType autocapitalizationType() const { return m_autocapitalizationType; }
    void setAutocapitalizationType(UITextAutocapitalizationType type) { m_autocapitalizationType = type; }
    UITextAutocorrectionType autocorrectionType() const { return m_autocorrectionType; }
    void setAutocorrectionType(UITextAutocorrectionType type) { m_autocorrectionType = type; }
    UITextSpellCheckingType spellCheckingType() const { return m_spellCheckingType; }
    void setSpellCheckingType(UITextSpellCheckingType type) { m_spellCheckingType = type; }
    UIKeyboardType keyboardType() const { return m_keyboardType; }
    void setKeyboardType(UIKeyboardType type) { m_keyboardType = type; }
    UIKeyboardAppearance keyboardAppearance() const { return m_keyboardAppearance; }
    void setKeyboardAppearance(UIKeyboardAppearance appearance) { m_keyboardAppearance = appearance; }
    UIReturnKeyType returnKeyType() const { return m_returnKeyType; }
    void setReturnKeyType(UIReturnKeyType type) { m_returnKeyType = type; }
    bool enablesReturnKeyAutomatically() const { return m_enablesReturnKeyAutomatically; }
    void setEnablesReturnKeyAutomatically(bool enables) { m_enablesReturnKeyAutomatically = enables; }
    bool isSecureTextEntry() const { return m_secureTextEntry; }
    // Virtual: a field redraws its text as bullets or in clear.
    virtual void setSecureTextEntry(bool secure) { m_secureTextEntry = secure; }

    // Whether the keyboard's return key may be pressed now.
    virtual bool returnKeyEnabled() const { return true; }
    // Whether the keyboard comes up for this control while it is first responder (a text view
    // that is only selectable takes focus without it).
    virtual bool wantsKeyboard() const { return true; }

private:
    UITextAutocapitalizationType m_autocapitalizationType { UITextAutocapitalizationType::Sentences };
    UITextAutocorrectionType m_autocorrectionType { UITextAutocorrectionType::Default };
    UITextSpellCheckingType m_spellCheckingType { UITextSpellCheckingType::Default };
    UIKeyboardType m_keyboardType { UIKeyboardType::Default };
    UIKeyboardAppearance m_keyboardAppearance { UIKeyboardAppearance::Default };
    UIReturnKeyType m_returnKeyType { UIReturnKeyType::Default };
    bool m_enablesReturnKeyAutomatically { false };
    bool m_secureTextEntry { false };
};

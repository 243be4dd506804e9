#pragma once
// The keys of the simulated keyboard, drawn for the responder they serve: letters for text,
// a number pad for numbers, the return key named by the responder's return key type (blue
// unless it is the plain return key, grey while disabled), light or dark by its appearance.

#include "platform/uikit/UIView.h"

class KeyboardKeysView : public UIView {
    NS_OBJECT(KeyboardKeysView, UIView)
public:
    void setResponder(const UIResponderRef& responder);
    UIResponderRef responder() const { return m_responder.lock(); }

    void drawRect(CGRect rect) override;

    // The caption the return key shows now; for a return key type.
    NSString returnKeyTitle() const;
    static NSString returnKeyTitle(NSInteger returnKeyType);

protected:
    void init(CGRect frame) override;

private:
    void drawLetters();
    void drawNumberPad();

    std::weak_ptr<UIResponder> m_responder;
};

#pragma once
// The bar over the keyboard: Previous / Next arrows, a title (the field's placeholder) and Done.

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIToolbar.h"

class KMToolbar : public UIToolbar {
    NS_OBJECT(KMToolbar, UIToolbar)
public:
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title);
    const UIFontRef& titleFont() const { return m_titleFont; }
    void setTitleFont(const UIFontRef& font);
    // Passed on to every item too.
    void setToolbarTintColor(const UIColorRef& color);
    // So that the input click sounds while the bar is shown.
    bool enableInputClicksWhenVisible() const { return true; }

    CGSize sizeThatFits(CGSize size) const override;

protected:
    void init() { init(CGRectZero); }
    void init(CGRect frame) override;

private:
    UIFontRef m_titleFont;
    NSString m_title;
};

// The "KMKeyboardManager.bundle" resources: captions and arrow images.
NSString KMLocalizedString(const NSString& key);
UIImageRef KMBundleImage(const NSString& name);

#pragma once
// The bar over the keyboard: Previous / Next arrows, a title (the field's placeholder) and Done.

#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UISegmentedControl.h"
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

class KMBarButtonItem : public UIBarButtonItem {
    NS_OBJECT(KMBarButtonItem, UIBarButtonItem)
};

// A title in the bar, not a button.
class KMTitleBarButtonItem : public KMBarButtonItem {
    NS_OBJECT(KMTitleBarButtonItem, KMBarButtonItem)
public:
    void setItemTitle(const NSString& title);
    const UIFontRef& font() const { return m_font; }
    void setFont(const UIFontRef& font);
    const std::shared_ptr<UILabel>& titleLabel() const { return m_titleLabel; }

protected:
    void init(CGRect frame, const NSString& title);

private:
    std::shared_ptr<UILabel> m_titleLabel;
    UIFontRef m_font;
};

// Previous and Next as two segments, for systems whose bars show no arrows.
class KMSegmentedNextPrevious : public UISegmentedControl {
    NS_OBJECT(KMSegmentedNextPrevious, UISegmentedControl)
public:
    using Action = std::function<void(UIControl& sender)>;
    void segmentedControlHandler(UISegmentedControl& sender);

protected:
    void init(Action previousAction, Action nextAction);

private:
    Action m_previousAction;
    Action m_nextAction;
};

// The "KMKeyboardManager.bundle" resources: captions and arrow images.
NSString KMLocalizedString(const NSString& key);
UIImageRef KMBundleImage(const NSString& name);

#pragma once

#include "library/widgets/keyboard/KMBarButtonItem.h"
#include "platform/uikit/UILabel.h"

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

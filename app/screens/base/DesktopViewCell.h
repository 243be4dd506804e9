#pragma once

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

// A home-screen tile: a 60-point icon over a line of text, centred together.
class DesktopViewCell : public UIButton {
    NS_OBJECT(DesktopViewCell, UIButton)
public:
    void initUI(CGRect frame);
    const NSString& name() const { return m_name; }
    void setName(const NSString& name);
    const NSString& icon() const { return m_icon; }
    void setIcon(const NSString& icon);
    const std::shared_ptr<UIImageView>& iconView() const { return m_iconView; }
    const std::shared_ptr<UILabel>& nameView() const { return m_nameView; }

private:
    std::shared_ptr<UIImageView> m_iconView;
    std::shared_ptr<UILabel> m_nameView;
    NSString m_icon;
    NSString m_name;
};

#pragma once
// Small widgets the screens share: a label with padding, the home grid's item and its tile.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

class InsetsLabel : public UILabel {
    NS_OBJECT(InsetsLabel, UILabel)
public:
    UIEdgeInsets insets() const { return m_insets; }
    // Takes effect at the next drawing.
    void setInsets(UIEdgeInsets insets) { m_insets = insets; }
    void drawTextInRect(CGRect rect) override;

protected:
    void init(CGRect frame, UIEdgeInsets insets);

private:
    UIEdgeInsets m_insets {};
};

class GridMenu : public NSObject {
    NS_OBJECT(GridMenu, NSObject)
public:
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title; }
    const NSString& icon() const { return m_icon; }
    void setIcon(const NSString& icon) { m_icon = icon; }

protected:
    void init(const NSString& title, const NSString& icon);

private:
    NSString m_title;
    NSString m_icon;
};

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

// The picture of the name made stretchable with the same cap on every side; nil when missing.
UIImageRef stretchableImageNamed(const NSString& name, CGFloat cap = 0);
// The picture stretched to a view of the size: as it is when the sizes agree, for a stretched
// copy would hold the same pixels a second time; nil when missing.
UIImageRef imageNamedForSize(const NSString& name, CGSize size);

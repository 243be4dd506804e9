#pragma once
// The three-bar menu button drawn by itself, with a colour and a one-point shadow per state
// (normal and highlighted), for the drawer's bar button on systems before 7.0.

#include "platform/uikit/UIButton.h"

class DWDrawerMenuButtonView : public UIButton {
    NS_OBJECT(DWDrawerMenuButtonView, UIButton)
public:
    UIColorRef menuButtonColorForState(UIControlState state) const;
    void setMenuButtonColor(const UIColorRef& color, UIControlState state);
    UIColorRef shadowColorForState(UIControlState state) const;
    void setShadowColor(const UIColorRef& color, UIControlState state);

    const UIColorRef& menuButtonNormalColor() const { return m_menuButtonNormalColor; }
    const UIColorRef& menuButtonHighlightedColor() const { return m_menuButtonHighlightedColor; }
    const UIColorRef& shadowNormalColor() const { return m_shadowNormalColor; }
    const UIColorRef& shadowHighlightedColor() const { return m_shadowHighlightedColor; }

    void drawRect(CGRect rect) override;
    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;
    void setSelected(bool selected) override;
    void setHighlighted(bool highlighted) override;
    void tintColorDidChange() override;

protected:
    void init(CGRect frame) override;

private:
    UIColorRef m_menuButtonNormalColor;
    UIColorRef m_menuButtonHighlightedColor;
    UIColorRef m_shadowNormalColor;
    UIColorRef m_shadowHighlightedColor;
};

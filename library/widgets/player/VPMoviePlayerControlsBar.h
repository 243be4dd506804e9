#pragma once
// A bar of the movie controls: a transparent view that fills what it draws with one colour.

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"

class VPMoviePlayerControlsBar : public UIView {
    NS_OBJECT(VPMoviePlayerControlsBar, UIView)
public:
    const UIColorRef& color() const { return m_color; }
    // An equal colour changes nothing and draws nothing again.
    void setColor(const UIColorRef& color);
    void drawRect(CGRect rect) override;

protected:
    void init(CGRect frame) override;

private:
    UIColorRef m_color;
};

#pragma once
// The determinate indicator of the progress HUD: a pie that fills clockwise from twelve o'clock,
// or, when annular, a ring drawn over a faint full circle.

#include "platform/uikit/UIView.h"

class PRRoundProgressView : public UIView {
    NS_OBJECT(PRRoundProgressView, UIView)
public:
    float progress() const { return m_progress; }
    void setProgress(float progress);
    bool isAnnular() const { return m_annular; }
    void setAnnular(bool annular);

    void drawRect(CGRect rect) override;

protected:
    // 37 x 37, the size of the large spinner it stands in for.
    void init() { init(CGRectMake(0, 0, 37, 37)); }
    void init(CGRect frame) override;

private:
    float m_progress { 0 };
    bool m_annular { false };
};

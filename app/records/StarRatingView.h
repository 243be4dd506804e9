#pragma once
// Five stars scored in half steps: a tap or a drag on a star's left half gives the half, on its
// right half the whole star.

#include "platform/uikit/UIControl.h"

class StarRatingView : public UIControl {
    NS_OBJECT(StarRatingView, UIControl)
public:
    static constexpr CGFloat kStarSize = 26;
    static constexpr CGFloat kGap = 4;

    // 0 (nothing chosen) to 5 in half steps.
    double score() const { return m_score; }
    void setScore(double score);
    // The score a touch at x gives.
    static double scoreAtX(CGFloat x);

    void drawRect(CGRect rect) override;
    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;

protected:
    void init(CGRect frame) override;

private:
    void follow(const UITouchSet& touches);
    double m_score { 0 };
};

#pragma once
// A thin bar filled from the left by the progress, 0 to 1. Animated changes slide the fill on
// the clock. The fill and the track take tint colours or stretched images.

#include "platform/uikit/UIImageView.h"

enum UIProgressViewStyle : NSInteger {
    UIProgressViewStyleDefault = 0,
    UIProgressViewStyleBar = 1,
};

class UIProgressView : public UIView {
    NS_OBJECT(UIProgressView, UIView)
public:
    static constexpr CGFloat kHeight = 2;

    UIProgressViewStyle progressViewStyle() const { return m_style; }
    void setProgressViewStyle(UIProgressViewStyle style);
    float progress() const { return m_progress; }
    // Clamped to 0...1; not-a-number is ignored.
    void setProgress(float progress) { setProgress(progress, false); }
    void setProgress(float progress, bool animated);

    UIColorRef progressTintColor() const { return m_progressTint; }
    void setProgressTintColor(const UIColorRef& color);
    UIColorRef trackTintColor() const { return m_trackTint; }
    void setTrackTintColor(const UIColorRef& color);
    UIImageRef progressImage() const { return m_fill->image(); }
    void setProgressImage(const UIImageRef& image);
    UIImageRef trackImage() const { return m_track->image(); }
    void setTrackImage(const UIImageRef& image);

    // The filled part, in the view's coordinates, as shown now.
    CGRect fillFrame() const { return m_fill->frame(); }

    void layoutSubviews() override;
    CGSize sizeThatFits(CGSize size) const override;
    void tintColorDidChange() override { applyColors(); }

protected:
    void init(CGRect frame) override;
    void init(UIProgressViewStyle style);

private:
    CGRect fillRect() const;
    void applyColors();

    UIProgressViewStyle m_style { UIProgressViewStyleDefault };
    float m_progress { 0 };
    UIColorRef m_progressTint;
    UIColorRef m_trackTint;
    UIImageViewRef m_track;
    UIImageViewRef m_fill;
};

using UIProgressViewRef = std::shared_ptr<UIProgressView>;

#pragma once
// A slider: a thumb on a track between a minimum and a maximum value. The thumb is taken by the
// finger (a touch on the bare track does nothing) and follows it; value changed goes out with
// each move that changes the value while continuous, otherwise once when the finger lifts.
// Track and thumb images may be set per control state; without them the track is a thin line
// in the tint colour left of the thumb and grey right of it, the thumb a white disc.

#include "platform/uikit/ControlStateValues.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIImage.h"

class CADisplayLink;

class UISlider : public UIControl {
    NS_OBJECT(UISlider, UIControl)
public:
    ~UISlider() override;
    static constexpr CGFloat kHeight = 34;
    static constexpr CGFloat kThumbSide = 28;

    float value() const { return m_value; }
    // Where the thumb is drawn now.
    float presentedValue() const { return m_shownValue; }
    // Clamped into the range.
    void setValue(float value) { setValue(value, false); }
    // Animated, the thumb glides there in a fifth of a second; value() is the new value at once.
    void setValue(float value, bool animated);
    float minimumValue() const { return m_minimum; }
    // Moving one bound past the other takes it along; the value is pulled into the range.
    void setMinimumValue(float minimum);
    float maximumValue() const { return m_maximum; }
    void setMaximumValue(float maximum);
    bool isContinuous() const { return m_continuous; }
    void setContinuous(bool continuous) { m_continuous = continuous; }

    UIColorRef minimumTrackTintColor() const { return m_minimumTrackTint; }
    void setMinimumTrackTintColor(const UIColorRef& color);
    UIColorRef maximumTrackTintColor() const { return m_maximumTrackTint; }
    void setMaximumTrackTintColor(const UIColorRef& color);
    UIColorRef thumbTintColor() const { return m_thumbTint; }
    void setThumbTintColor(const UIColorRef& color);

    // A state without an image of its own shows the normal state's.
    void setThumbImage(const UIImageRef& image, UIControlState state);
    void setMinimumTrackImage(const UIImageRef& image, UIControlState state);
    void setMaximumTrackImage(const UIImageRef& image, UIControlState state);
    UIImageRef thumbImageForState(UIControlState state) const { return m_thumbImages.shownIn(state); }
    UIImageRef minimumTrackImageForState(UIControlState state) const { return m_minimumTrackImages.shownIn(state); }
    UIImageRef maximumTrackImageForState(UIControlState state) const { return m_maximumTrackImages.shownIn(state); }
    UIImageRef currentThumbImage() const { return thumbImageForState(state()); }
    UIImageRef currentMinimumTrackImage() const { return minimumTrackImageForState(state()); }
    UIImageRef currentMaximumTrackImage() const { return maximumTrackImageForState(state()); }

    virtual CGRect trackRectForBounds(CGRect bounds) const;
    virtual CGRect thumbRectForBounds(CGRect bounds, CGRect trackRect, float value) const;

    CGSize sizeThatFits(CGSize size) const override;
    void drawRect(CGRect rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }

    bool beginTrackingWithTouch(UITouch& touch, const UIEventRef& event) override;
    bool continueTrackingWithTouch(UITouch& touch, const UIEventRef& event) override;
    void endTrackingWithTouch(UITouch* touch, const UIEventRef& event) override;

protected:
    void init(CGRect frame) override;
    void stateDidChange() override { setNeedsDisplay(); }

private:
    using Images = ControlStateValues<UIImageRef>;
    void setImage(Images& images, const UIImageRef& image, UIControlState state);
    CGSize thumbSize() const;
    float valueAt(CGFloat thumbCentreX) const;
    // Sets the value from tracking and answers whether it changed.
    bool moveTo(float value);

    float m_value { 0 };
    float m_minimum { 0 };
    float m_maximum { 1 };
    bool m_continuous { true };
    UIColorRef m_minimumTrackTint;
    UIColorRef m_maximumTrackTint;
    UIColorRef m_thumbTint;
    Images m_thumbImages;
    Images m_minimumTrackImages;
    Images m_maximumTrackImages;
    // Where in the thumb the finger took it, so the thumb does not jump under the finger.
    CGFloat m_grabOffset { 0 };
    float m_valueAtBegin { 0 };
    // What the thumb shows: the value, or on the way to it while animated.
    float m_shownValue { 0 };
    float m_glideFrom { 0 };
    CFTimeInterval m_glideStart { 0 };
    std::shared_ptr<CADisplayLink> m_glide;
    void stepGlide();
    void stopGlide();
};

using UISliderRef = std::shared_ptr<UISlider>;

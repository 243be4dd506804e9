#pragma once
// The on/off switch: a 51 by 31 point pill whose knob slides to the right when on. A tap flips
// it; dragging moves the knob with the finger and the side it is let go on decides. Value
// changed goes out only when the state really changed by touch.

#include "platform/uikit/UIControl.h"

class UISwitch : public UIControl {
    NS_OBJECT(UISwitch, UIControl)
public:
    static constexpr CGFloat kWidth = 51;
    static constexpr CGFloat kHeight = 31;

    bool isOn() const { return m_on; }
    void setOn(bool on) { setOn(on, false); }
    // Animated, the knob slides and the fill fades in a quarter of a second.
    void setOn(bool on, bool animated);

    // The fill when on (green by default), the knob, and the rim when off.
    UIColorRef onTintColor() const { return m_onTintColor; }
    void setOnTintColor(const UIColorRef& color);
    UIColorRef thumbTintColor() const { return m_thumbTintColor; }
    void setThumbTintColor(const UIColorRef& color);
    UIColorRef offRimColor() const { return m_rimColor; }
    void setOffRimColor(const UIColorRef& color);

    // The switch keeps its own size whatever frame it is given.
    void setFrame(CGRect frame) override;
    CGSize sizeThatFits(CGSize size) const override;
    CGSize intrinsicContentSize() const override { return sizeThatFits(CGSizeZero); }
    void layoutSubviews() override;

    bool beginTrackingWithTouch(UITouch& touch, const UIEventRef& event) override;
    bool continueTrackingWithTouch(UITouch& touch, const UIEventRef& event) override;
    void endTrackingWithTouch(UITouch* touch, const UIEventRef& event) override;
    void cancelTrackingWithEvent(const UIEventRef& event) override;

    // The knob's left edge, for tests and drawing: 2 when off, 22 when on.
    CGFloat knobOffset() const;

protected:
    void init(CGRect frame) override;
    void stateDidChange() override;

private:
    CGRect knobFrame(CGFloat x) const;
    CGFloat restingKnobX(bool on) const;
    void showState();
    void applyColors();

    bool m_on { false };
    UIColorRef m_onTintColor;
    UIColorRef m_thumbTintColor;
    UIColorRef m_rimColor;
    std::shared_ptr<UIView> m_track;
    std::shared_ptr<UIView> m_fill;
    std::shared_ptr<UIView> m_knob;
    CGFloat m_touchStartX { 0 };
    CGFloat m_knobStartX { 0 };
    bool m_dragged { false };
};

using UISwitchRef = std::shared_ptr<UISwitch>;

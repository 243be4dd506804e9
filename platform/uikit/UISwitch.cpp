#include "platform/uikit/UISwitch.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>

namespace {

constexpr CGFloat kInset = 2;
constexpr CGFloat kKnob = UISwitch::kHeight - 2 * kInset;
constexpr NSTimeInterval kSlide = 0.25;
// A finger that moves less than this is a tap.
constexpr CGFloat kDragThreshold = 3;

UIColorRef defaultOnTint() { return UIColor::colorWithRed(76.0 / 255, 217.0 / 255, 100.0 / 255, 1); }
UIColorRef defaultRim() { return UIColor::colorWithWhite(229.0 / 255, 1); }

} // namespace

void UISwitch::init(CGRect frame)
{
    super::init(CGRectMake(frame.origin.x, frame.origin.y, kWidth, kHeight));
    m_onTintColor = defaultOnTint();
    m_thumbTintColor = UIColor::whiteColor();
    m_rimColor = defaultRim();
    const CGRect bounds = CGRectMake(0, 0, kWidth, kHeight);
    m_track = UIView::create(bounds);
    m_track->layer()->setCornerRadius(kHeight / 2);
    m_track->layer()->setBorderWidth(1.5);
    m_fill = UIView::create(bounds);
    m_fill->layer()->setCornerRadius(kHeight / 2);
    m_knob = UIView::create(knobFrame(restingKnobX(false)));
    m_knob->layer()->setCornerRadius(kKnob / 2);
    m_knob->layer()->setBorderWidth(0.5);
    m_knob->layer()->setBorderColor(UIColor::colorWithWhite(0, 0.1)->CGColor());
    m_knob->layer()->setShadowColor(UIColor::blackColor()->CGColor());
    m_knob->layer()->setShadowOpacity(0.25);
    m_knob->layer()->setShadowOffset(CGSizeMake(0, 2));
    m_knob->layer()->setShadowRadius(2);
    for (const auto& part : { m_track, m_fill, m_knob }) {
        part->setUserInteractionEnabled(false);
        addSubview(part);
    }
    applyColors();
    showState();
}

void UISwitch::setFrame(CGRect frame)
{
    frame.size = CGSizeMake(kWidth, kHeight);
    super::setFrame(frame);
}

CGSize UISwitch::sizeThatFits(CGSize) const { return CGSizeMake(kWidth, kHeight); }

CGRect UISwitch::knobFrame(CGFloat x) const { return CGRectMake(x, kInset, kKnob, kKnob); }

CGFloat UISwitch::restingKnobX(bool on) const { return on ? kWidth - kInset - kKnob : kInset; }

CGFloat UISwitch::knobOffset() const { return m_knob->frame().origin.x; }

void UISwitch::layoutSubviews()
{
    if (!isTracking())
        showState();
}

void UISwitch::showState()
{
    m_fill->setAlpha(m_on ? 1 : 0);
    m_knob->setFrame(knobFrame(restingKnobX(m_on)));
}

void UISwitch::applyColors()
{
    // Disabled, the whole switch is dimmed rather than recoloured.
    setAlpha(isEnabled() ? 1 : 0.5);
    m_track->setBackgroundColor(UIColor::whiteColor());
    m_track->layer()->setBorderColor(m_rimColor->CGColor());
    m_fill->setBackgroundColor(m_onTintColor);
    m_knob->setBackgroundColor(m_thumbTintColor);
}

void UISwitch::stateDidChange() { applyColors(); }

void UISwitch::setOn(bool on, bool animated)
{
    NSAssertMainThread();
    m_on = on;
    if (animated && window())
        UIView::animateWithDuration(kSlide, [this] { showState(); });
    else
        UIView::performWithoutAnimation([this] { showState(); });
}

void UISwitch::setOnTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_onTintColor = color ? color : defaultOnTint();
    applyColors();
}

void UISwitch::setThumbTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_thumbTintColor = color ? color : UIColor::whiteColor();
    applyColors();
}

void UISwitch::setOffRimColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_rimColor = color ? color : defaultRim();
    applyColors();
}

bool UISwitch::beginTrackingWithTouch(UITouch& touch, const UIEventRef&)
{
    m_touchStartX = touch.locationInView(self()).x;
    m_knobStartX = knobOffset();
    m_dragged = false;
    return true;
}

bool UISwitch::continueTrackingWithTouch(UITouch& touch, const UIEventRef&)
{
    const CGFloat dx = touch.locationInView(self()).x - m_touchStartX;
    if (std::abs(dx) >= kDragThreshold)
        m_dragged = true;
    if (m_dragged) {
        const CGFloat x = std::clamp(m_knobStartX + dx, restingKnobX(false), restingKnobX(true));
        UIView::performWithoutAnimation([&] {
            m_knob->setFrame(knobFrame(x));
            m_fill->setAlpha((x - restingKnobX(false)) / (restingKnobX(true) - restingKnobX(false)));
        });
    }
    return true;
}

void UISwitch::endTrackingWithTouch(UITouch*, const UIEventRef&)
{
    bool on = m_on;
    if (m_dragged)
        on = CGRectGetMidX(m_knob->frame()) > kWidth / 2;
    else if (isTouchInside())
        on = !m_on;
    const bool changed = on != m_on;
    // Tracking is still on here, so layout leaves the knob to this animation.
    setOn(on, true);
    if (changed)
        sendActionsForControlEvents(UIControlEventValueChanged);
}

void UISwitch::cancelTrackingWithEvent(const UIEventRef&) { setOn(m_on, true); }

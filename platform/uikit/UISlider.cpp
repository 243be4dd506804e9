#include "platform/uikit/UISlider.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/layers/CABase.h"
#include "platform/layers/CADisplayLink.h"
#include "platform/uikit/RoundedRectPath.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kTrackHeight = 2;
// How far around the thumb a touch still takes it.
constexpr CGFloat kThumbReach = 10;
constexpr CFTimeInterval kGlide = 0.2;

UIColorRef defaultMaximumTrack() { return UIColor::colorWithWhite(183.0 / 255, 1); }

} // namespace

void UISlider::init(CGRect frame)
{
    super::init(frame);
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
}

UISlider::~UISlider()
{
    if (m_glide)
        m_glide->invalidate();
}

void UISlider::setValue(float value, bool animated)
{
    NSAssertMainThread();
    if (std::isnan(value))
        return;
    const float clamped = std::clamp(value, m_minimum, m_maximum);
    if (clamped == m_value && m_shownValue == m_value)
        return;
    m_value = clamped;
    setNeedsDisplay();
    if (!animated || !window() || isTracking()) {
        stopGlide();
        return;
    }
    m_glideFrom = m_shownValue;
    m_glideStart = CACurrentMediaTime();
    if (!m_glide) {
        std::weak_ptr<UISlider> weakSelf = self();
        // The link holds its target strongly: give it none, and reach the slider weakly.
        m_glide = CADisplayLink::displayLinkWithTarget(nullptr, [weakSelf](const auto&) {
            if (auto slider = weakSelf.lock())
                slider->stepGlide();
        });
        m_glide->addToRunLoop(NSRunLoop::mainRunLoop(), NSRunLoopCommonModes);
    }
    m_glide->setPaused(false);
}

void UISlider::stepGlide()
{
    const CFTimeInterval progress = std::min<CFTimeInterval>(1, (CACurrentMediaTime() - m_glideStart) / kGlide);
    // Ease out: fast at first, settling on the value.
    const float eased = float(1 - (1 - progress) * (1 - progress));
    m_shownValue = m_glideFrom + (m_value - m_glideFrom) * eased;
    setNeedsDisplay();
    if (progress >= 1)
        stopGlide();
}

void UISlider::stopGlide()
{
    m_shownValue = m_value;
    if (m_glide)
        m_glide->setPaused(true);
    setNeedsDisplay();
}

void UISlider::setMinimumValue(float minimum)
{
    NSAssertMainThread();
    if (std::isnan(minimum))
        return;
    m_minimum = minimum;
    m_maximum = std::max(m_maximum, minimum);
    m_value = std::clamp(m_value, m_minimum, m_maximum);
    stopGlide();
}

void UISlider::setMaximumValue(float maximum)
{
    NSAssertMainThread();
    if (std::isnan(maximum))
        return;
    m_maximum = maximum;
    m_minimum = std::min(m_minimum, maximum);
    m_value = std::clamp(m_value, m_minimum, m_maximum);
    stopGlide();
}

void UISlider::setMinimumTrackTintColor(const UIColorRef& color)
{
    m_minimumTrackTint = color;
    setNeedsDisplay();
}

void UISlider::setMaximumTrackTintColor(const UIColorRef& color)
{
    m_maximumTrackTint = color;
    setNeedsDisplay();
}

void UISlider::setThumbTintColor(const UIColorRef& color)
{
    m_thumbTint = color;
    setNeedsDisplay();
}

void UISlider::setImage(Images& images, const UIImageRef& image, UIControlState state)
{
    NSAssertMainThread();
    images.set(image, state);
    setNeedsDisplay();
}

void UISlider::setThumbImage(const UIImageRef& image, UIControlState state) { setImage(m_thumbImages, image, state); }
void UISlider::setMinimumTrackImage(const UIImageRef& image, UIControlState state) { setImage(m_minimumTrackImages, image, state); }
void UISlider::setMaximumTrackImage(const UIImageRef& image, UIControlState state) { setImage(m_maximumTrackImages, image, state); }

CGSize UISlider::thumbSize() const
{
    if (auto image = currentThumbImage())
        return image->size();
    return CGSizeMake(kThumbSide, kThumbSide);
}

CGRect UISlider::trackRectForBounds(CGRect bounds) const
{
    CGFloat height = kTrackHeight;
    if (auto image = currentMinimumTrackImage())
        height = std::max(height, image->size().height);
    if (auto image = currentMaximumTrackImage())
        height = std::max(height, image->size().height);
    return CGRectMake(bounds.origin.x, CGRectGetMidY(bounds) - height / 2, bounds.size.width, height);
}

CGRect UISlider::thumbRectForBounds(CGRect bounds, CGRect trackRect, float value) const
{
    const CGSize size = thumbSize();
    const float span = m_maximum - m_minimum;
    const CGFloat fraction = span > 0 ? (value - m_minimum) / span : 0;
    const CGFloat x = trackRect.origin.x + (trackRect.size.width - size.width) * std::clamp<CGFloat>(fraction, 0, 1);
    return CGRectMake(x, CGRectGetMidY(bounds) - size.height / 2, size.width, size.height);
}

CGSize UISlider::sizeThatFits(CGSize size) const
{
    return CGSizeMake(size.width > 0 ? size.width : bounds().size.width, std::max(kHeight, thumbSize().height));
}

float UISlider::valueAt(CGFloat thumbCentreX) const
{
    const CGRect track = trackRectForBounds(bounds());
    const CGFloat travel = track.size.width - thumbSize().width;
    if (travel <= 0)
        return m_minimum;
    const CGFloat fraction = std::clamp<CGFloat>((thumbCentreX - track.origin.x - thumbSize().width / 2) / travel, 0, 1);
    return m_minimum + float(fraction) * (m_maximum - m_minimum);
}

bool UISlider::moveTo(float value)
{
    const float before = m_value;
    setValue(value);
    return m_value != before;
}

bool UISlider::beginTrackingWithTouch(UITouch& touch, const UIEventRef&)
{
    const CGPoint point = touch.locationInView(self());
    const CGRect thumb = thumbRectForBounds(bounds(), trackRectForBounds(bounds()), m_value);
    if (!CGRectContainsPoint(CGRectInset(thumb, -kThumbReach, -kThumbReach), point))
        return false;
    stopGlide();
    m_grabOffset = point.x - CGRectGetMidX(thumb);
    m_valueAtBegin = m_value;
    setNeedsDisplay();
    return true;
}

bool UISlider::continueTrackingWithTouch(UITouch& touch, const UIEventRef&)
{
    if (moveTo(valueAt(touch.locationInView(self()).x - m_grabOffset)) && m_continuous)
        sendActionsForControlEvents(UIControlEventValueChanged);
    return true;
}

void UISlider::endTrackingWithTouch(UITouch* touch, const UIEventRef&)
{
    bool changed = false;
    if (touch)
        changed = moveTo(valueAt(touch->locationInView(self()).x - m_grabOffset));
    if (m_continuous ? changed : m_value != m_valueAtBegin)
        sendActionsForControlEvents(UIControlEventValueChanged);
}

void UISlider::drawRect(CGRect)
{
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGRect bounds = this->bounds();
    const CGRect track = trackRectForBounds(bounds);
    const CGRect thumb = thumbRectForBounds(bounds, track, m_shownValue);
    const CGFloat split = CGRectGetMidX(thumb);
    const CGRect left = CGRectMake(track.origin.x, track.origin.y, split - track.origin.x, track.size.height);
    const CGRect right = CGRectMake(split, track.origin.y, CGRectGetMaxX(track) - split, track.size.height);
    const CGFloat dim = isEnabled() ? 1 : 0.5;

    const auto drawTrack = [&](const UIImageRef& image, CGRect part, const UIColorRef& colour) {
        if (part.size.width <= 0)
            return;
        if (image) {
            image->drawInRect(CGRectMake(part.origin.x, CGRectGetMidY(track) - image->size().height / 2, part.size.width,
                image->size().height), kCGBlendModeNormal, dim);
            return;
        }
        CGContextSetFillColorWithColor(context, colour->colorWithAlphaComponent(colour->alpha() * dim)->CGColor());
        addRoundedRectPath(context, CGRectMake(part.origin.x, CGRectGetMidY(track) - kTrackHeight / 2, part.size.width, kTrackHeight),
            kTrackHeight / 2);
        CGContextFillPath(context);
    };
    drawTrack(currentMinimumTrackImage(), left, m_minimumTrackTint ? m_minimumTrackTint : tintColor());
    drawTrack(currentMaximumTrackImage(), right, m_maximumTrackTint ? m_maximumTrackTint : defaultMaximumTrack());

    if (auto image = currentThumbImage()) {
        image->drawInRect(thumb, kCGBlendModeNormal, dim);
        return;
    }
    CGContextSaveGState(context);
    CGContextSetShadowWithColor(context, CGSizeMake(0, 2), 3, UIColor::colorWithWhite(0, 0.25 * dim)->CGColor());
    CGContextSetFillColorWithColor(context, (m_thumbTint ? m_thumbTint : UIColor::whiteColor())->CGColor());
    CGContextFillEllipseInRect(context, CGRectInset(thumb, 0.5, 0.5));
    CGContextRestoreGState(context);
    CGContextSetStrokeColorWithColor(context, UIColor::colorWithWhite(0, 0.12)->CGColor());
    CGContextSetLineWidth(context, 0.5);
    CGContextStrokeEllipseInRect(context, CGRectInset(thumb, 0.5, 0.5));
}

#include "platform/uikit/UISegmentedControl.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/RoundedRectPath.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kPadding = 12;
constexpr CGFloat kCorner = 4;

} // namespace

void UISegmentedControl::init(CGRect frame)
{
    super::init(frame);
    m_font = UIFont::systemFontOfSize(13);
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
}

void UISegmentedControl::init(const std::vector<Item>& items)
{
    init(CGRectZero);
    for (const auto& item : items) {
        Segment segment;
        if (const auto* title = std::get_if<NSString>(&item))
            segment.title = *title;
        else
            segment.image = std::get<UIImageRef>(item);
        m_segments.push_back(std::move(segment));
    }
    setFrame(CGRect { CGPointZero, sizeThatFits(CGSizeZero) });
}

void UISegmentedControl::setSelectedSegmentIndex(NSInteger index)
{
    NSAssertMainThread();
    if (index < 0 || index >= NSInteger(m_segments.size()))
        index = UISegmentedControlNoSegment;
    m_selected = index;
    setNeedsDisplay();
}

void UISegmentedControl::setMomentary(bool momentary)
{
    NSAssertMainThread();
    m_momentary = momentary;
    setNeedsDisplay();
}

void UISegmentedControl::insert(Segment segment, NSUInteger index)
{
    NSAssertMainThread();
    index = std::min<NSUInteger>(index, m_segments.size());
    m_segments.insert(m_segments.begin() + std::ptrdiff_t(index), std::move(segment));
    if (m_selected >= NSInteger(index))
        ++m_selected;
    setNeedsDisplay();
}

void UISegmentedControl::insertSegmentWithTitle(const NSString& title, NSUInteger index, bool)
{
    insert(Segment { title, nullptr }, index);
}

void UISegmentedControl::insertSegmentWithImage(const UIImageRef& image, NSUInteger index, bool)
{
    insert(Segment { nullptr, image }, index);
}

void UISegmentedControl::removeSegmentAtIndex(NSUInteger index, bool)
{
    NSAssertMainThread();
    if (index >= m_segments.size())
        return;
    m_segments.erase(m_segments.begin() + std::ptrdiff_t(index));
    if (m_selected == NSInteger(index))
        m_selected = UISegmentedControlNoSegment;
    else if (m_selected > NSInteger(index))
        --m_selected;
    setNeedsDisplay();
}

void UISegmentedControl::removeAllSegments()
{
    NSAssertMainThread();
    m_segments.clear();
    m_selected = UISegmentedControlNoSegment;
    setNeedsDisplay();
}

void UISegmentedControl::setTitle(const NSString& title, NSUInteger segment)
{
    NSAssertMainThread();
    if (segment >= m_segments.size())
        return;
    m_segments[segment].title = title;
    m_segments[segment].image = nullptr;
    setNeedsDisplay();
}

NSString UISegmentedControl::titleForSegmentAtIndex(NSUInteger segment) const
{
    return segment < m_segments.size() ? m_segments[segment].title : NSString();
}

void UISegmentedControl::setImage(const UIImageRef& image, NSUInteger segment)
{
    NSAssertMainThread();
    if (segment >= m_segments.size())
        return;
    m_segments[segment].image = image;
    m_segments[segment].title = nullptr;
    setNeedsDisplay();
}

UIImageRef UISegmentedControl::imageForSegmentAtIndex(NSUInteger segment) const
{
    return segment < m_segments.size() ? m_segments[segment].image : nullptr;
}

void UISegmentedControl::setEnabled(bool enabled, NSUInteger segment)
{
    NSAssertMainThread();
    if (segment >= m_segments.size())
        return;
    m_segments[segment].enabled = enabled;
    setNeedsDisplay();
}

bool UISegmentedControl::isEnabledForSegmentAtIndex(NSUInteger segment) const
{
    return segment < m_segments.size() && m_segments[segment].enabled;
}

void UISegmentedControl::setWidth(CGFloat width, NSUInteger segment)
{
    NSAssertMainThread();
    if (segment >= m_segments.size() || !std::isfinite(width))
        return;
    m_segments[segment].width = std::max<CGFloat>(0, width);
    setNeedsDisplay();
}

CGFloat UISegmentedControl::widthForSegmentAtIndex(NSUInteger segment) const
{
    return segment < m_segments.size() ? m_segments[segment].width : 0;
}

void UISegmentedControl::setFont(const UIFontRef& font)
{
    NSAssertMainThread();
    m_font = font ? font : UIFont::systemFontOfSize(13);
    setNeedsDisplay();
}

CGSize UISegmentedControl::contentSize(const Segment& segment) const
{
    if (segment.image)
        return segment.image->size();
    if (segment.title.length() == 0)
        return CGSizeZero;
    return UIStringDrawing::sizeWithFont(segment.title, m_font);
}

CGSize UISegmentedControl::sizeThatFits(CGSize) const
{
    // Free segments are as wide as the widest of them, as the platform makes them.
    CGFloat widest = 0, fixed = 0;
    NSUInteger free = 0;
    for (const auto& segment : m_segments) {
        if (segment.width > 0) {
            fixed += segment.width;
        } else {
            widest = std::max(widest, std::ceil(contentSize(segment).width) + 2 * kPadding);
            ++free;
        }
    }
    return CGSizeMake(fixed + widest * CGFloat(free), kHeight);
}

CGRect UISegmentedControl::rectForSegmentAtIndex(NSUInteger index) const
{
    const CGRect bounds = this->bounds();
    if (index >= m_segments.size())
        return CGRectZero;
    CGFloat fixed = 0;
    NSUInteger free = 0;
    for (const auto& segment : m_segments) {
        fixed += segment.width;
        free += segment.width > 0 ? 0 : 1;
    }
    const CGFloat share = free ? std::max<CGFloat>(0, bounds.size.width - fixed) / CGFloat(free) : 0;
    CGFloat x = bounds.origin.x;
    for (NSUInteger i = 0; i < index; ++i)
        x += m_segments[i].width > 0 ? m_segments[i].width : share;
    const CGFloat width = m_segments[index].width > 0 ? m_segments[index].width : share;
    return CGRectMake(x, bounds.origin.y, width, bounds.size.height);
}

NSInteger UISegmentedControl::segmentAtPoint(CGPoint point) const
{
    for (NSUInteger i = 0; i < m_segments.size(); ++i) {
        if (CGRectContainsPoint(rectForSegmentAtIndex(i), point))
            return NSInteger(i);
    }
    return UISegmentedControlNoSegment;
}

NSString UISegmentedControl::visibleText() const
{
    NSString text;
    for (const auto& segment : m_segments) {
        if (segment.title.length())
            text = text.length() ? text.stringByAppendingString(" ").stringByAppendingString(segment.title) : segment.title;
    }
    return text;
}

bool UISegmentedControl::beginTrackingWithTouch(UITouch& touch, const UIEventRef&)
{
    const NSInteger segment = segmentAtPoint(touch.locationInView(self()));
    if (segment == UISegmentedControlNoSegment || !m_segments[size_t(segment)].enabled)
        return false;
    m_touched = segment;
    setNeedsDisplay();
    return true;
}

bool UISegmentedControl::continueTrackingWithTouch(UITouch& touch, const UIEventRef&)
{
    // The touched segment shows only while the finger is on it.
    const bool onIt = segmentAtPoint(touch.locationInView(self())) == m_touched;
    setHighlighted(onIt);
    setNeedsDisplay();
    return true;
}

void UISegmentedControl::endTrackingWithTouch(UITouch* touch, const UIEventRef&)
{
    const NSInteger touched = std::exchange(m_touched, UISegmentedControlNoSegment);
    setNeedsDisplay();
    if (!touch || segmentAtPoint(touch->locationInView(self())) != touched)
        return;
    auto protectedSelf = self();
    if (m_momentary) {
        m_selected = touched;
        sendActionsForControlEvents(UIControlEventValueChanged);
        m_selected = UISegmentedControlNoSegment;
        return;
    }
    if (touched == m_selected)
        return;
    m_selected = touched;
    sendActionsForControlEvents(UIControlEventValueChanged);
}

void UISegmentedControl::cancelTrackingWithEvent(const UIEventRef&)
{
    m_touched = UISegmentedControlNoSegment;
    setNeedsDisplay();
}

void UISegmentedControl::drawRect(CGRect)
{
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context || m_segments.empty())
        return;
    const UIColorRef tint = isEnabled() ? tintColor() : UIColor::colorWithWhite(0.6, 1);
    const CGRect outline = CGRectInset(bounds(), 0.5, 0.5);

    CGContextSaveGState(context);
    addRoundedRectPath(context, outline, kCorner);
    CGContextClip(context);
    for (NSUInteger i = 0; i < m_segments.size(); ++i) {
        const bool selected = !m_momentary && NSInteger(i) == m_selected;
        const bool touched = NSInteger(i) == m_touched && (isHighlighted() || !isTracking());
        if (selected)
            CGContextSetFillColorWithColor(context, tint->CGColor());
        else if (touched)
            CGContextSetFillColorWithColor(context, tint->colorWithAlphaComponent(m_momentary ? 0.6 : 0.15)->CGColor());
        else
            continue;
        CGContextFillRect(context, rectForSegmentAtIndex(i));
    }
    CGContextRestoreGState(context);

    CGContextSetStrokeColorWithColor(context, tint->CGColor());
    CGContextSetLineWidth(context, 1);
    addRoundedRectPath(context, outline, kCorner);
    CGContextStrokePath(context);
    for (NSUInteger i = 1; i < m_segments.size(); ++i) {
        const CGFloat x = std::round(rectForSegmentAtIndex(i).origin.x) + 0.5;
        CGContextMoveToPoint(context, x, outline.origin.y);
        CGContextAddLineToPoint(context, x, CGRectGetMaxY(outline));
    }
    CGContextStrokePath(context);

    for (NSUInteger i = 0; i < m_segments.size(); ++i) {
        const Segment& segment = m_segments[i];
        const CGRect rect = rectForSegmentAtIndex(i);
        const bool filled = (!m_momentary && NSInteger(i) == m_selected) || (m_momentary && NSInteger(i) == m_touched && isHighlighted());
        const CGFloat alpha = segment.enabled ? 1 : 0.35;
        const CGSize size = contentSize(segment);
        const CGRect content = CGRectMake(CGRectGetMidX(rect) - size.width / 2, CGRectGetMidY(rect) - size.height / 2, size.width,
            size.height);
        if (segment.image) {
            segment.image->drawInRect(content, kCGBlendModeNormal, alpha);
            continue;
        }
        const UIColorRef colour = filled ? UIColor::whiteColor() : tint;
        CGContextSetFillColorWithColor(context, colour->colorWithAlphaComponent(colour->alpha() * alpha)->CGColor());
        UIStringDrawing::drawInRect(segment.title, CGRectInset(CGRectMake(rect.origin.x, content.origin.y, rect.size.width, size.height), 4, 0),
            m_font, NSLineBreakByTruncatingTail, NSTextAlignmentCenter);
    }
}

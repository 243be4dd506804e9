#include "platform/uikit/UIActivityIndicatorView.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/graphics/UIGraphics.h"

#include <cmath>
#include <numbers>

namespace {

CGFloat sideOf(UIActivityIndicatorViewStyle style) { return style == UIActivityIndicatorViewStyleWhiteLarge ? 37 : 20; }

UIColorRef colorOf(UIActivityIndicatorViewStyle style)
{
    return style == UIActivityIndicatorViewStyleGray ? UIColor::grayColor() : UIColor::whiteColor();
}

} // namespace

UIActivityIndicatorView::~UIActivityIndicatorView()
{
    if (m_timer)
        m_timer->invalidate();
}

void UIActivityIndicatorView::init(CGRect frame)
{
    super::init(frame);
    m_color = colorOf(m_style);
    setUserInteractionEnabled(false);
    setHidden(true);
}

void UIActivityIndicatorView::init(UIActivityIndicatorViewStyle style)
{
    init(CGRectMake(0, 0, sideOf(style), sideOf(style)));
    m_style = style;
    m_color = colorOf(style);
}

void UIActivityIndicatorView::setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style)
{
    NSAssertMainThread();
    if (m_style == style)
        return;
    m_style = style;
    m_color = colorOf(style);
    const CGPoint center = this->center();
    setBounds(CGRectMake(0, 0, sideOf(style), sideOf(style)));
    setCenter(center);
    setNeedsDisplay();
}

void UIActivityIndicatorView::setColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_color = color ? color : colorOf(m_style);
    setNeedsDisplay();
}

void UIActivityIndicatorView::setHidesWhenStopped(bool hides)
{
    NSAssertMainThread();
    m_hidesWhenStopped = hides;
    if (!isAnimating())
        setHidden(hides);
}

void UIActivityIndicatorView::startAnimating()
{
    NSAssertMainThread();
    if (m_timer)
        return;
    setHidden(false);
    std::weak_ptr<UIActivityIndicatorView> weakSelf = self();
    m_timer = NSTimer::timerWithTimeInterval(1.0 / kSpokes, [weakSelf](const auto&) {
        if (auto view = weakSelf.lock())
            view->step();
    }, true);
    NSRunLoop::mainRunLoop()->addTimer(m_timer, NSRunLoopCommonModes);
    setNeedsDisplay();
}

void UIActivityIndicatorView::stopAnimating()
{
    NSAssertMainThread();
    if (!m_timer)
        return;
    m_timer->invalidate();
    m_timer = nullptr;
    if (m_hidesWhenStopped)
        setHidden(true);
}

void UIActivityIndicatorView::step()
{
    m_leadingSpoke = (m_leadingSpoke + 1) % kSpokes;
    setNeedsDisplay();
}

void UIActivityIndicatorView::drawRect(CGRect)
{
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context || !m_color)
        return;
    const CGRect bounds = this->bounds();
    const CGFloat radius = std::min(bounds.size.width, bounds.size.height) / 2;
    const CGPoint centre = CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds));
    CGContextSaveGState(context);
    CGContextSetLineCap(context, kCGLineCapRound);
    CGContextSetLineWidth(context, radius * 0.22);
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        // The leading spoke is opaque; those behind it fade to a quarter.
        const int behind = (m_leadingSpoke - spoke + kSpokes) % kSpokes;
        const CGFloat alpha = 1 - 0.75 * CGFloat(behind) / (kSpokes - 1);
        const CGFloat angle = 2 * std::numbers::pi * spoke / kSpokes;
        const CGFloat dx = std::sin(angle), dy = -std::cos(angle);
        CGContextSetStrokeColorWithColor(context, m_color->colorWithAlphaComponent(m_color->alpha() * alpha)->CGColor());
        CGContextMoveToPoint(context, centre.x + dx * radius * 0.5, centre.y + dy * radius * 0.5);
        CGContextAddLineToPoint(context, centre.x + dx * radius * 0.88, centre.y + dy * radius * 0.88);
        CGContextStrokePath(context);
    }
    CGContextRestoreGState(context);
}

CGSize UIActivityIndicatorView::sizeThatFits(CGSize) const { return CGSizeMake(sideOf(m_style), sideOf(m_style)); }

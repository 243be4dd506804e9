#include "app/charts/DCHalfPieChart.h"

#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIStringDrawing.h"

#include <climits>
#include <cmath>

namespace {

// The ring between the two radii over the upper half; the inner half disc stays empty.
void fillHalfRing(const CGContextRef& context, CGPoint centre, CGFloat inner, CGFloat outer)
{
    CGContextBeginPath(context);
    CGContextMoveToPoint(context, centre.x, centre.y);
    CGContextAddArc(context, centre.x, centre.y, outer, M_PI, 2 * M_PI, 0);
    CGContextAddArc(context, centre.x, centre.y, inner, 2 * M_PI, M_PI, 1);
    CGContextClosePath(context);
    CGContextFillPath(context);
}

} // namespace

void DCHalfPieChart::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::clearColor());
    m_titleFont = UIFont::systemFontOfSize(13);
    m_subtitleFont = UIFont::boldSystemFontOfSize(20);
}

float DCHalfPieChart::total() const
{
    float sum = 0;
    for (const auto& component : m_components)
        if (std::isfinite(component->value()) && component->value() > 0)
            sum += component->value();
    return sum;
}

NSString DCHalfPieChart::shownSubtitle() const
{
    if (!m_subtitle.isNil() || m_components.empty())
        return m_subtitle;
    // A whole count, each value's fraction dropped as it is added; never beyond what "%i" holds.
    double whole = 0;
    for (const auto& component : m_components)
        if (std::isfinite(component->value()) && component->value() > 0)
            whole = std::trunc(std::min(whole + double(component->value()), double(INT_MAX)));
    return NSString::stringWithFormat("%i", int(whole));
}

void DCHalfPieChart::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGFloat W = frame().size.width;
    const CGFloat H = frame().size.height;
    const CGPoint centre = CGPointMake(W / 2, H);
    const CGFloat s = int(W * 0.01);
    const CGFloat R = W / 2 - s;
    const CGFloat hub = 0.2 * W;
    const CGFloat rim = 0.05 * W;

    CGContextSetShadow(context, CGSizeMake(0, 0), s);
    CGContextSetRGBFillColor(context, 0, 0, 0, 0.7);
    fillHalfRing(context, centre, hub - rim, R);

    const float sum = total();
    CGContextSetShadowWithColor(context, CGSizeMake(0, 0), 0, nullptr);
    // Negative or unbounded values take no room; nothing to share gives no wedges.
    if (sum > 0 && std::isfinite(sum)) {
        float start = 0;
        for (const auto& component : m_components) {
            const float value = std::isfinite(component->value()) && component->value() > 0 ? component->value() : 0;
            const float end = start + value / sum * 180;
            if (component->colour())
                CGContextSetFillColorWithColor(context, component->colour()->CGColor());
            else
                CGContextSetGrayFillColor(context, 0.5, 1);
            CGContextBeginPath(context);
            CGContextMoveToPoint(context, centre.x, centre.y);
            CGContextAddArc(context, centre.x, centre.y, R, (start + 180) * M_PI / 180, (end + 180) * M_PI / 180, 0);
            CGContextClosePath(context);
            CGContextFillPath(context);
            start = end;
        }
    }

    CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    fillHalfRing(context, centre, 0, hub - rim);
    CGContextSetShadow(context, CGSizeMake(0, 0), s);
    CGContextSetRGBFillColor(context, 1, 1, 1, 0.3);
    fillHalfRing(context, centre, R - rim, R);
    CGContextSetRGBFillColor(context, 0, 0, 0, 0.2);
    fillHalfRing(context, centre, hub - rim, hub);

    CGContextSetShadowWithColor(context, CGSizeMake(0, 0), 0, nullptr);
    CGContextSetRGBFillColor(context, 0, 0, 0, 1);
    const CGFloat subtitleSize = m_subtitleFont->pointSize();
    const CGFloat titleSize = m_titleFont->pointSize();
    const NSString subtitle = shownSubtitle();
    if (!subtitle.isNil())
        UIStringDrawing::drawInRect(subtitle, CGRectMake(W / 2 - hub, H - subtitleSize - 5, 2 * hub, subtitleSize), m_subtitleFont,
            NSLineBreakByClipping, NSTextAlignmentCenter);
    if (!m_title.isNil())
        UIStringDrawing::drawInRect(m_title, CGRectMake(W / 2 - hub, H - subtitleSize - titleSize - 5, 2 * hub, titleSize), m_titleFont,
            NSLineBreakByClipping, NSTextAlignmentCenter);
}

#include "app/charts/DCPieChart.h"

#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIStringDrawing.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadiansPerDegree = M_PI / 180;

void strokeThenFillHead(const CGContextRef& context, CGPoint a, CGPoint b, CGPoint c)
{
    CGContextStrokePath(context);
    CGContextMoveToPoint(context, a.x, a.y);
    CGContextAddLineToPoint(context, b.x, b.y);
    CGContextAddLineToPoint(context, c.x, c.y);
    CGContextClosePath(context);
    CGContextFillPath(context);
}

// A slice whose colour was taken away is drawn in the default grey.
UIColorRef colourOf(const DCPieComponent& component)
{
    return component.colour() ? component.colour() : UIColor::colorWithRed(0.5, 0.5, 0.5, 1.0);
}

} // namespace

void DCPieChart::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::clearColor());
    m_titleFont = UIFont::boldSystemFontOfSize(10);
    m_percentageFont = UIFont::boldSystemFontOfSize(20);
}

void DCPieChart::setComponents(Components components)
{
    m_components = std::move(components);
}

void DCPieChart::drawRect(CGRect rect)
{
    const CGFloat w = rect.size.width;
    const CGFloat h = rect.size.height;
    if (m_diameter == 0)
        m_diameter = static_cast<int>(std::min(w, h) - 30);
    const int d = m_diameter;
    const int r = d / 2;
    if (m_components.empty())
        return;
    float total = 0;
    for (const auto& component : m_components)
        total += component->value();
    // No angle is defined for a sum that is not positive; NaN and infinity have none either.
    if (!(total > 0) || !std::isfinite(total))
        return;
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;

    const CGFloat ox = (w - d) / 2;
    const CGFloat oy = (h - d) / 2;
    const CGFloat cx = ox + r;
    const CGFloat cy = oy + r;

    CGContextSetFillColorWithColor(context, UIColor::whiteColor()->CGColor());
    CGContextSetShadow(context, CGSizeMake(0, 0), 15);
    CGContextFillEllipseInRect(context, CGRectMake(ox, oy, d, d));
    CGContextSetShadow(context, CGSizeMake(0, 0), 0);

    // Right-hand slices top to bottom, then the left-hand ones from the top (the last one drawn).
    Components labelOrder;
    std::size_t leftStart = 0;
    bool leftSeen = false;
    float a = 0;
    for (const auto& component : m_components) {
        const float b = a + component->value() / total * 360;
        auto wedge = [&] {
            CGContextBeginPath(context);
            CGContextMoveToPoint(context, cx, cy);
            CGContextAddArc(context, cx, cy, r, (a - 90) * kRadiansPerDegree, (b - 90) * kRadiansPerDegree, 0);
            CGContextClosePath(context);
        };
        CGContextSetFillColorWithColor(context, colourOf(*component)->CGColor());
        wedge();
        CGContextFillPath(context);
        CGContextSetStrokeColorWithColor(context, UIColor::whiteColor()->CGColor());
        CGContextSetLineWidth(context, 1.0);
        wedge();
        CGContextStrokePath(context);
        component->setStartDeg(a);
        component->setEndDeg(b);
        if (a < 180) {
            labelOrder.push_back(component);
        } else if (!leftSeen) {
            leftSeen = true;
            leftStart = labelOrder.size();
            labelOrder.push_back(component);
        } else {
            labelOrder.insert(labelOrder.begin() + static_cast<std::ptrdiff_t>(leftStart), component);
        }
        a = b;
    }

    CGFloat leftY = 15;
    CGFloat rightY = 15;
    const CGFloat columnWidth = std::max<CGFloat>(ox - 10, 0);
    for (const auto& component : labelOrder) {
        const float start = component->startDeg();
        const float end = component->endDeg();
        const bool left = start > 180 || (start < 180 && end > 270);
        if (m_sameColorLabel)
            CGContextSetFillColorWithColor(context, colourOf(*component)->CGColor());
        else
            CGContextSetRGBFillColor(context, 0.1, 0.1, 0.1, 1);
        CGContextSetShadow(context, CGSizeMake(0, 0), left ? 3 : 2);

        const double share = component->value() / total;
        const NSString text = NSString::stringWithFormat("%@%.2f%%", component->title(), share * 100);
        const CGSize textSize = UIStringDrawing::sizeWithFont(text, m_percentageFont, CGSizeMake(columnWidth, 100));
        const CGFloat y = left ? leftY : rightY;
        const CGFloat x = ox + d + 10;
        auto drawText = [&] {
            if (left)
                UIStringDrawing::drawInRect(text, CGRectMake(5, y, columnWidth, textSize.height), m_percentageFont,
                    NSLineBreakByWordWrapping, NSTextAlignmentRight);
            else
                UIStringDrawing::drawInRect(text, CGRectMake(x, y, textSize.width, textSize.height), m_percentageFont);
        };
        if (m_outline) {
            CGContextSaveGState(context);
            CGContextSetLineWidth(context, 1);
            CGContextSetLineJoin(context, kCGLineJoinRound);
            CGContextSetTextDrawingMode(context, kCGTextFillStroke);
            CGContextSetGrayStrokeColor(context, 0.2, 0.8);
            drawText();
            CGContextRestoreGState(context);
        } else {
            drawText();
        }

        if (m_showArrow) {
            CGContextSetGrayStrokeColor(context, 0.2, 1);
            CGContextSetRGBFillColor(context, 0, 0, 0, 1);
            CGContextSetLineWidth(context, 1);
            const double theta = (start + share * 180 - 90) * kRadiansPerDegree;
            const CGPoint p = CGPointMake(std::trunc(cx + 0.75 * r * std::cos(theta)), std::trunc(cy + 0.75 * r * std::sin(theta)));
            const CGFloat m = y + textSize.height / 2;
            const CGFloat delta = p.y - m;
            const CGFloat mFloor = std::trunc(m);
            const CGFloat e = p.y <= m ? p.y + 2 : p.y - 2;
            const bool nearLevel = std::fabs(delta) > 0 && std::fabs(delta) < 4;
            CGContextBeginPath(context);
            if (left) {
                CGContextMoveToPoint(context, ox - 5, m);
                if (m < oy || m > oy + d) {
                    CGContextAddLineToPoint(context, p.x, m);
                    CGContextAddLineToPoint(context, p.x, p.y);
                    const CGFloat tip = m < oy ? p.y + 2 : p.y - 2;
                    strokeThenFillHead(context, CGPointMake(p.x - 2, p.y), CGPointMake(p.x, tip), CGPointMake(p.x + 2, p.y));
                } else if (nearLevel) {
                    CGContextAddLineToPoint(context, p.x, mFloor);
                    strokeThenFillHead(context, CGPointMake(p.x, mFloor - 2), CGPointMake(p.x + 2, mFloor), CGPointMake(p.x, mFloor + 2));
                } else {
                    CGContextAddLineToPoint(context, p.x, m);
                    CGContextAddLineToPoint(context, p.x, e);
                    strokeThenFillHead(context, CGPointMake(p.x - 2, e), p, CGPointMake(p.x + 2, e));
                }
            } else if (m < oy) {
                CGContextMoveToPoint(context, x - 3, m);
                CGContextAddLineToPoint(context, p.x, m);
                CGContextAddLineToPoint(context, p.x, p.y);
                strokeThenFillHead(context, CGPointMake(p.x - 2, p.y), CGPointMake(p.x, p.y + 2), CGPointMake(p.x + 2, p.y));
            } else if (nearLevel) {
                CGContextMoveToPoint(context, x, m);
                CGContextAddLineToPoint(context, p.x, mFloor);
                strokeThenFillHead(context, CGPointMake(p.x, mFloor - 2), CGPointMake(p.x - 2, mFloor), CGPointMake(p.x, mFloor + 2));
            } else {
                CGContextMoveToPoint(context, x, m);
                CGContextAddLineToPoint(context, p.x, m);
                CGContextAddLineToPoint(context, p.x, e);
                strokeThenFillHead(context, CGPointMake(p.x + 2, e), p, CGPointMake(p.x - 2, e));
            }
        }

        CGContextSetGrayFillColor(context, 0.4, 1);
        const CGFloat sy = y + textSize.height - 4;
        const CGSize subSize = UIStringDrawing::sizeWithFont(component->subTitle(), m_titleFont, CGSizeMake(columnWidth, 100));
        if (left)
            UIStringDrawing::drawInRect(component->subTitle(), CGRectMake(5, sy, columnWidth, subSize.height), m_titleFont,
                NSLineBreakByWordWrapping, NSTextAlignmentRight);
        else
            UIStringDrawing::drawInRect(component->subTitle(), CGRectMake(x, sy, subSize.width, subSize.height), m_titleFont);
        (left ? leftY : rightY) = sy + subSize.height + 10;
    }
    CGContextSetShadow(context, CGSizeMake(0, 0), 0);
}

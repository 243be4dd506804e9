#include "library/widgets/progresshud/PRRoundProgressView.h"

#include "platform/graphics/UIGraphics.h"

#include <cmath>

void PRRoundProgressView::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
}

void PRRoundProgressView::setProgress(float progress)
{
    if (m_progress == progress)
        return;
    m_progress = progress;
    setNeedsDisplay();
}

void PRRoundProgressView::setAnnular(bool annular)
{
    if (m_annular == annular)
        return;
    m_annular = annular;
    setNeedsDisplay();
}

void PRRoundProgressView::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGRect all = bounds();
    const CGFloat width = all.size.width;
    const CGPoint centre = CGPointMake(width / 2, all.size.height / 2);
    const CGFloat start = -M_PI / 2;
    const CGFloat end = start + m_progress * 2 * M_PI;
    if (m_annular) {
        const CGFloat lineWidth = 5;
        const CGFloat radius = (width - lineWidth) / 2;
        CGContextSetLineWidth(context, lineWidth);
        CGContextSetLineCap(context, kCGLineCapRound);
        CGContextSetRGBStrokeColor(context, 1, 1, 1, 0.1);
        CGContextAddArc(context, centre.x, centre.y, radius, start, 3 * M_PI / 2, 0);
        CGContextStrokePath(context);
        CGContextSetRGBStrokeColor(context, 1, 1, 1, 1);
        CGContextAddArc(context, centre.x, centre.y, radius, start, end, 0);
        CGContextStrokePath(context);
        return;
    }
    const CGRect circle = CGRectInset(all, 2, 2);
    CGContextSetRGBStrokeColor(context, 1, 1, 1, 1);
    CGContextSetRGBFillColor(context, 1, 1, 1, 0.1);
    CGContextSetLineWidth(context, 2);
    CGContextFillEllipseInRect(context, circle);
    CGContextStrokeEllipseInRect(context, circle);
    CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    CGContextMoveToPoint(context, centre.x, centre.y);
    CGContextAddArc(context, centre.x, centre.y, (width - 4) / 2, start, end, 0);
    CGContextClosePath(context);
    CGContextFillPath(context);
}

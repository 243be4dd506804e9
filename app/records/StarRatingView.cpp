#include "app/records/StarRatingView.h"

#include "app/screens/base/UIColor_Addition.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>
#include <cmath>

void StarRatingView::init(CGRect frame)
{
    UIControl::init(CGRectMake(frame.origin.x, frame.origin.y, 5 * kStarSize + 4 * kGap, kStarSize));
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
}

void StarRatingView::setScore(double score)
{
    const double clamped = std::clamp(std::round(score * 2) / 2, 0.0, 5.0);
    if (clamped == m_score)
        return;
    m_score = clamped;
    setNeedsDisplay();
    sendActionsForControlEvents(UIControlEventValueChanged);
}

double StarRatingView::scoreAtX(CGFloat x)
{
    if (x <= 0)
        return 0.5;
    const int star = std::min(4, static_cast<int>(x / (kStarSize + kGap)));
    const CGFloat within = x - star * (kStarSize + kGap);
    return star + (within < kStarSize / 2 ? 0.5 : 1.0);
}

void StarRatingView::follow(const UITouchSet& touches)
{
    if (auto touch = touches.anyObject())
        setScore(scoreAtX(touch->locationInView(self()).x));
}

void StarRatingView::touchesBegan(const UITouchSet& touches, const UIEventRef&) { follow(touches); }
void StarRatingView::touchesMoved(const UITouchSet& touches, const UIEventRef&) { follow(touches); }

void StarRatingView::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    auto gold = UIColor_Addition::colorWithHexString("f5a623");
    auto grey = UIColor_Addition::colorWithHexString("dddddd");
    for (int i = 0; i < 5; ++i) {
        const CGFloat left = i * (kStarSize + kGap);
        CGPoint points[10];
        for (int p = 0; p < 10; ++p) {
            const double angle = -M_PI / 2 + p * M_PI / 5;
            const CGFloat radius = (p % 2 ? 0.4 : 1.0) * kStarSize / 2;
            points[p] = CGPointMake(left + kStarSize / 2 + radius * std::cos(angle), kStarSize / 2 + 1 + radius * std::sin(angle));
        }
        const double filled = std::clamp(m_score - i, 0.0, 1.0);
        for (const auto& [part, colour] : { std::pair { 1.0, grey }, std::pair { filled, gold } }) {
            if (part <= 0)
                continue;
            CGContextSaveGState(context);
            CGContextClipToRect(context, CGRectMake(left, 0, kStarSize * part, kStarSize));
            CGContextSetFillColorWithColor(context, colour->CGColor());
            CGContextAddLines(context, points, 10);
            CGContextClosePath(context);
            CGContextFillPath(context);
            CGContextRestoreGState(context);
        }
    }
}

#include "library/widgets/pagedmenu/PGPopupMenuPagenatorView.h"

#include "platform/foundation/DelayedPerform.h"
#include "platform/graphics/UIGraphics.h"

void PGPopupMenuPagenatorView::init(NSUInteger arrowDirection, const std::shared_ptr<NSObject>& target, Action action)
{
    PGPopupMenuItemView::init(PGPopupMenuItemRef());
    m_arrowDirection = arrowDirection;
    m_target = target;
    m_action = std::move(action);
    auto arrow = arrowImageWithSize(CGSizeMake(10, 10), arrowDirection, false);
    button()->setImage(arrow, UIControlStateNormal);
    button()->setImage(arrowImageWithSize(CGSizeMake(10, 10), arrowDirection, true), UIControlStateHighlighted);
}

CGSize PGPopupMenuPagenatorView::sizeThatFits(CGSize) const
{
    return CGSizeMake(pagenatorWidth(), button()->sizeThatFits(CGSizeZero).height);
}

void PGPopupMenuPagenatorView::performAction()
{
    auto owner = m_target.lock();
    if (!owner || !m_action)
        return;
    auto action = m_action;
    DelayedPerform::performSelector(owner, "pagenatorAction", nullptr, 0, [action] { action(); });
}

UIImageRef PGPopupMenuPagenatorView::arrowImageWithSize(CGSize size, NSUInteger direction, bool highlighted)
{
    UIGraphicsBeginImageContextWithOptions(size, false, 0);
    drawArrowInRect(CGRectMake(0, 0, size.width, size.height), direction, highlighted);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

CGPathRef PGPopupMenuPagenatorView::arrowPathInRect(CGRect rect, NSUInteger direction)
{
    auto path = CGPathCreateMutable();
    const CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    if (direction == PGPopupMenuPagenatorDirectionLeft) {
        CGPathMoveToPoint(path, nullptr, x + w, y);
        CGPathAddLineToPoint(path, nullptr, x + w, y + h);
        CGPathAddLineToPoint(path, nullptr, x, y + h / 2);
        CGPathCloseSubpath(path);
    } else if (direction == PGPopupMenuPagenatorDirectionRight) {
        CGPathMoveToPoint(path, nullptr, x, y);
        CGPathAddLineToPoint(path, nullptr, x, y + h);
        CGPathAddLineToPoint(path, nullptr, x + w, y + h / 2);
        CGPathCloseSubpath(path);
    }
    return path;
}

void PGPopupMenuPagenatorView::drawArrowInRect(CGRect rect, NSUInteger direction, bool)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextAddPath(context, arrowPathInRect(rect, direction));
    CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    CGContextFillPath(context);
    CGContextRestoreGState(context);
}

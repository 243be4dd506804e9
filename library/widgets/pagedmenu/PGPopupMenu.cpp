#include "library/widgets/pagedmenu/PGPopupMenu.h"

#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>
#include <cmath>

void PGPopupMenu::init(const std::vector<PGPopupMenuItemRef>& items)
{
    UIView::init(CGRectZero);
    setOpaque(false);
    setBackgroundColor(UIColor::clearColor());
    setClipsToBounds(true);
    setItems(items);
    setHeight(36);
    m_color = UIColor::colorWithWhite(0, 0.8);
    m_highlightedColor = UIColor::colorWithWhite(1.0 / 3.0, 0.8);
}

PGPopupMenu::ItemViewClass PGPopupMenu::itemViewClass() const
{
    return [](const PGPopupMenuItemRef& item) -> PGPopupMenuItemViewRef { return PGPopupMenuItemView::itemViewWithItem(item); };
}

PGPopupMenu::PagenatorViewClass PGPopupMenu::pagenatorViewClass() const
{
    return [](NSUInteger direction, const std::shared_ptr<NSObject>& target, PGPopupMenuPagenatorView::Action action) -> PGPopupMenuItemViewRef {
        if (direction == PGPopupMenuPagenatorDirectionLeft)
            return PGPopupMenuPagenatorView::leftPagenatorViewWithTarget(target, std::move(action));
        return PGPopupMenuPagenatorView::rightPagenatorViewWithTarget(target, std::move(action));
    };
}

void PGPopupMenu::setItems(const std::vector<PGPopupMenuItemRef>& items)
{
    m_items = items;
    m_itemViews.clear();
    auto make = itemViewClass();
    auto menu = self();
    for (const auto& item : m_items) {
        auto itemView = make(item);
        itemView->setPopupMenu(menu);
        m_itemViews.push_back(itemView);
    }
}

void PGPopupMenu::setHeight(CGFloat height)
{
    m_height = height;
    CGRect current = frame();
    current.size.height = height;
    setFrame(current);
}

// MARK: Showing and dismissing

void PGPopupMenu::showInView(const UIViewRef& view, CGRect targetRect, bool animated)
{
    // Showing again while appearing would leave the first overlay, full size and clear, in the
    // host for good; a menu without items has no page to show.
    if (m_visible || m_appearing || m_itemViews.empty() || !view)
        return;
    m_view = view;
    m_targetRect = targetRect;
    const CGRect B = view->bounds();
    const UIEdgeInsets I = m_popupMenuInsets;
    const CGFloat roomLeft = targetRect.origin.x - I.left;
    const CGFloat roomRight = B.size.width - (CGRectGetMaxX(targetRect) + I.right);

    NSUInteger direction = m_arrowDirection;
    if (direction == PGPopupMenuArrowDirectionAny) {
        if (targetRect.origin.y - (m_height + m_arrowSize) >= I.top)
            direction = PGPopupMenuArrowDirectionDown;
        else if (CGRectGetMaxY(targetRect) + m_height + m_arrowSize < B.size.height - I.bottom)
            direction = PGPopupMenuArrowDirectionUp;
        else
            direction = roomLeft > roomRight ? PGPopupMenuArrowDirectionRight : PGPopupMenuArrowDirectionLeft;
    }
    m_actualArrorDirection = direction;

    CGFloat maximumWidth = 0;
    if (direction == PGPopupMenuArrowDirectionUp || direction == PGPopupMenuArrowDirectionDown)
        maximumWidth = std::max<CGFloat>(B.size.width - I.left - I.right, 40);
    else if (direction == PGPopupMenuArrowDirectionLeft)
        maximumWidth = roomRight;
    else if (direction == PGPopupMenuArrowDirectionRight)
        maximumWidth = roomLeft;
    groupItemViewsWithMaximumWidth(maximumWidth);
    showPage(0);

    if (m_overlayView)
        m_overlayView->removeFromSuperview();
    m_overlayView = PGPopupMenuOverlayView::create(B);
    auto menu = self();
    m_overlayView->setPopupMenu(menu);

    if (auto menuDelegate = delegate())
        menuDelegate->popupMenuWillAppear(*this);
    m_disappearing = false;
    view->addSubview(m_overlayView);
    if (!animated) {
        // An animated dismissal left the menu transparent.
        setAlpha(1);
        m_overlayView->addSubview(self());
        m_visible = true;
        if (auto menuDelegate = delegate())
            menuDelegate->popupMenuDidAppear(*this);
        return;
    }
    setAlpha(0);
    m_overlayView->addSubview(self());
    m_appearing = true;
    UIView::animateWithDuration(0.2, [menu] { menu->setAlpha(1); }, [menu](bool) {
        menu->m_appearing = false;
        menu->m_visible = true;
        if (auto menuDelegate = menu->delegate())
            menuDelegate->popupMenuDidAppear(*menu);
    });
}

void PGPopupMenu::dismissAnimated(bool animated)
{
    if (!m_visible || m_disappearing)
        return;
    m_disappearing = true;
    if (auto menuDelegate = delegate())
        menuDelegate->popupMenuWillDisappear(*this);
    if (!animated) {
        finishDismissal();
        return;
    }
    auto menu = self();
    UIView::animateWithDuration(0.2, [menu] { menu->setAlpha(0); }, [menu](bool) { menu->finishDismissal(); });
}

void PGPopupMenu::finishDismissal()
{
    auto protectedSelf = self();
    removeFromSuperview();
    if (m_overlayView)
        m_overlayView->removeFromSuperview();
    m_visible = false;
    m_disappearing = false;
    if (auto menuDelegate = delegate())
        menuDelegate->popupMenuDidDisappear(*this);
}

void PGPopupMenu::updateWithTargetRect(CGRect targetRect)
{
    m_targetRect = targetRect;
    updatePopupMenuFrameAndArrowPosition();
    updatePopupMenuImage();
}

void PGPopupMenu::showPreviousPage()
{
    if (m_page > 0)
        showPage(m_page - 1);
}

void PGPopupMenu::showNextPage()
{
    if (m_page + 1 < m_groupedItemViews.size())
        showPage(m_page + 1);
}

void PGPopupMenu::showPage(NSUInteger page)
{
    if (page >= m_groupedItemViews.size())
        return;
    m_page = page;
    updateVisibleItemViewsWithPage(page);
    layoutVisibleItemViews();
    updatePopupMenuFrameAndArrowPosition();
    updatePopupMenuImage();
}

// MARK: Pages and layout

void PGPopupMenu::resetItemViewState(PGPopupMenuItemView& itemView)
{
    itemView.button()->setContentEdgeInsets(UIEdgeInsetsZero);
    itemView.setImage(nullptr);
    itemView.setHighlightedImage(nullptr);
}

void PGPopupMenu::groupItemViewsWithMaximumWidth(CGFloat maximumWidth)
{
    const CGFloat pagenator = PGPopupMenuPagenatorView::pagenatorWidth();
    const bool horizontal = m_actualArrorDirection == PGPopupMenuArrowDirectionLeft || m_actualArrorDirection == PGPopupMenuArrowDirectionRight;
    m_groupedItemViews.clear();
    std::vector<PGPopupMenuItemViewRef> page;
    CGFloat used = horizontal ? m_arrowSize : 0;
    for (const auto& itemView : m_itemViews) {
        resetItemViewState(*itemView);
        const CGFloat width = itemView->sizeThatFits(CGSizeZero).width;
        if (!page.empty() && used + width + pagenator > maximumWidth) {
            m_groupedItemViews.push_back(std::move(page));
            page.clear();
            used = horizontal ? pagenator + m_arrowSize : pagenator;
        }
        page.push_back(itemView);
        used += width;
    }
    if (!page.empty())
        m_groupedItemViews.push_back(std::move(page));
}

void PGPopupMenu::updateVisibleItemViewsWithPage(NSUInteger page)
{
    for (const auto& view : m_visibleItemViews)
        view->removeFromSuperview();
    m_visibleItemViews.clear();
    const std::size_t pages = m_groupedItemViews.size();
    auto makePagenator = pagenatorViewClass();
    std::weak_ptr<PGPopupMenu> weakSelf = self();
    if (pages >= 2 && page != 0)
        m_visibleItemViews.push_back(makePagenator(PGPopupMenuPagenatorDirectionLeft, self(), [weakSelf] {
            if (auto strongSelf = weakSelf.lock())
                strongSelf->showPreviousPage();
        }));
    for (const auto& itemView : m_groupedItemViews[page])
        m_visibleItemViews.push_back(itemView);
    if (pages >= 2 && page != pages - 1)
        m_visibleItemViews.push_back(makePagenator(PGPopupMenuPagenatorDirectionRight, self(), [weakSelf] {
            if (auto strongSelf = weakSelf.lock())
                strongSelf->showNextPage();
        }));
    for (const auto& view : m_visibleItemViews)
        addSubview(view);
}

void PGPopupMenu::layoutVisibleItemViews()
{
    const NSUInteger d = m_actualArrorDirection;
    const CGFloat rowHeight = m_height + (d == PGPopupMenuArrowDirectionUp || d == PGPopupMenuArrowDirectionDown ? m_arrowSize : 0);
    CGFloat x = 0;
    for (std::size_t i = 0; i < m_visibleItemViews.size(); ++i) {
        const auto& view = m_visibleItemViews[i];
        resetItemViewState(*view);
        const bool first = i == 0, last = i + 1 == m_visibleItemViews.size();
        UIEdgeInsets insets = UIEdgeInsetsZero;
        CGFloat extra = 0;
        if (first && d == PGPopupMenuArrowDirectionLeft) {
            insets.left = m_arrowSize;
            extra = m_arrowSize;
        } else if (last && d == PGPopupMenuArrowDirectionRight) {
            insets.right = m_arrowSize;
            extra = m_arrowSize;
        } else if (d == PGPopupMenuArrowDirectionDown) {
            insets.bottom = m_arrowSize;
        } else if (d == PGPopupMenuArrowDirectionUp) {
            insets.top = m_arrowSize;
        }
        view->button()->setContentEdgeInsets(insets);
        const CGFloat width = view->sizeThatFits(CGSizeZero).width + extra;
        view->setFrame(CGRectMake(x, 0, width, rowHeight));
        x += width;
    }
}

void PGPopupMenu::updatePopupMenuFrameAndArrowPosition()
{
    auto host = m_view.lock();
    if (m_visibleItemViews.empty() || !host)
        return;
    const CGRect last = m_visibleItemViews.back()->frame();
    const CGFloat W = CGRectGetMaxX(last), H = CGRectGetMaxY(last);
    const CGRect t = m_targetRect, B = host->bounds();
    const UIEdgeInsets I = m_popupMenuInsets;
    const CGFloat r = m_cornerRadius;
    CGFloat x = 0, y = 0;
    CGPoint arrow = CGPointZero;

    // Centred on the target along one axis, then pushed inside the insets, the start winning.
    auto centredWithin = [](CGFloat start, CGFloat length, CGFloat size, CGFloat low, CGFloat high) {
        CGFloat value = start + (length - size) / 2;
        if (value + size > high)
            value = high - size;
        if (value < low)
            value = low;
        return value;
    };
    auto horizontalPlacement = [&] { return centredWithin(t.origin.x, t.size.width, W, I.left, B.size.width - I.right); };
    auto verticalPlacement = [&] { return centredWithin(t.origin.y, t.size.height, H, I.top, B.size.height - I.bottom); };
    auto arrowX = [&] { return std::max(r, std::min(W - r, CGRectGetMidX(t) - x)); };
    auto arrowY = [&] { return std::max(r, std::min(H - r, CGRectGetMidY(t) - y)); };

    switch (m_actualArrorDirection) {
    case PGPopupMenuArrowDirectionUp:
        x = horizontalPlacement();
        y = CGRectGetMaxY(t) + m_margin;
        arrow = CGPointMake(arrowX(), 0);
        break;
    case PGPopupMenuArrowDirectionDown:
        x = horizontalPlacement();
        y = t.origin.y - (H + m_margin);
        arrow = CGPointMake(arrowX(), H);
        break;
    case PGPopupMenuArrowDirectionLeft:
        x = CGRectGetMaxX(t) + m_margin;
        y = verticalPlacement();
        arrow = CGPointMake(0, arrowY());
        break;
    case PGPopupMenuArrowDirectionRight:
        x = t.origin.x - (W + m_margin);
        y = verticalPlacement();
        arrow = CGPointMake(W, arrowY());
        break;
    default:
        setFrame(CGRectZero);
        m_arrowPoint = CGPointZero;
        return;
    }
    setFrame(CGRectMake(std::round(x), std::round(y), std::round(W), std::round(H)));
    m_arrowPoint = CGPointMake(std::round(arrow.x), std::round(arrow.y));
}

void PGPopupMenu::updatePopupMenuImage()
{
    if (m_visibleItemViews.empty())
        return;
    auto normal = popupMenuImageWithHighlighted(false);
    auto highlighted = popupMenuImageWithHighlighted(true);
    for (const auto& view : m_visibleItemViews) {
        view->setImage(cropImageFromImage(normal, view->frame()));
        view->setHighlightedImage(cropImageFromImage(highlighted, view->frame()));
    }
}

UIImageRef PGPopupMenu::cropImageFromImage(const UIImageRef& image, CGRect rect)
{
    if (!image || !image->CGImage())
        return nullptr;
    const CGFloat scale = UIScreen::mainScreen()->scale();
    const CGRect pixels = CGRectMake(rect.origin.x * scale, rect.origin.y * scale, rect.size.width * scale, rect.size.height * scale);
    auto cropped = CGImageCreateWithImageInRect(image->CGImage(), pixels);
    if (!cropped)
        return nullptr;
    return UIImage::imageWithCGImage(cropped, scale, UIImageOrientationUp);
}

// MARK: Pictures

UIImageRef PGPopupMenu::popupMenuImageWithHighlighted(bool highlighted)
{
    const CGSize size = bounds().size;
    if (size.width <= 0 || size.height <= 0)
        return nullptr;
    UIGraphicsBeginImageContextWithOptions(size, false, 0);
    const NSUInteger d = m_actualArrorDirection;
    const CGFloat y0 = d == PGPopupMenuArrowDirectionUp ? m_arrowSize : 0;
    const CGFloat h = m_height, s = m_arrowSize, r = m_cornerRadius;
    const std::size_t count = m_visibleItemViews.size();
    for (std::size_t i = 0; i < count; ++i) {
        const CGRect f = m_visibleItemViews[i]->frame();
        const CGFloat fx = f.origin.x, fw = f.size.width;
        const bool first = i == 0, last = i + 1 == count;
        if (first && last) {
            if (d == PGPopupMenuArrowDirectionLeft) {
                drawHeadInRect(CGRectMake(s, y0, r, h), r, highlighted);
                drawBodyInRect(CGRectMake(s + r, y0, fw - s - 2 * r, h), true, true, highlighted);
                drawTailInRect(CGRectMake(fw - r, y0, r, h), r, highlighted);
            } else if (d == PGPopupMenuArrowDirectionRight) {
                drawHeadInRect(CGRectMake(0, y0, r, h), r, highlighted);
                drawBodyInRect(CGRectMake(r, y0, fw - s - 2 * r, h), true, true, highlighted);
                drawTailInRect(CGRectMake(fw - s - r, y0, r, h), r, highlighted);
            } else {
                drawHeadInRect(CGRectMake(0, y0, r, h), r, highlighted);
                drawBodyInRect(CGRectMake(r, y0, fw - 2 * r, h), true, true, highlighted);
                drawTailInRect(CGRectMake(fw - r, y0, r, h), r, highlighted);
            }
        } else if (first) {
            if (d == PGPopupMenuArrowDirectionLeft) {
                drawHeadInRect(CGRectMake(s, y0, r, h), r, highlighted);
                drawBodyInRect(CGRectMake(s + r, y0, fw - s - r, h), true, false, highlighted);
            } else {
                drawHeadInRect(CGRectMake(0, y0, r, h), r, highlighted);
                drawBodyInRect(CGRectMake(r, y0, fw - r, h), true, false, highlighted);
            }
        } else if (last) {
            if (d == PGPopupMenuArrowDirectionRight) {
                drawBodyInRect(CGRectMake(fx, y0, fw - r - s, h), false, true, highlighted);
                drawTailInRect(CGRectMake(fx + fw - r - s, y0, r, h), r, highlighted);
            } else {
                drawBodyInRect(CGRectMake(fx, y0, fw - r, h), false, true, highlighted);
                drawTailInRect(CGRectMake(fx + fw - r, y0, r, h), r, highlighted);
            }
        } else {
            drawBodyInRect(CGRectMake(fx, y0, fw, h), false, false, highlighted);
        }
    }
    drawArrowAtPoint(m_arrowPoint, s, d, highlighted);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

CGPathRef PGPopupMenu::arrowPathInRect(CGRect rect, NSUInteger direction) const
{
    auto path = CGPathCreateMutable();
    const CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    auto triangle = [&](CGPoint a, CGPoint b, CGPoint tip) {
        CGPathMoveToPoint(path, nullptr, a.x, a.y);
        CGPathAddLineToPoint(path, nullptr, b.x, b.y);
        CGPathAddLineToPoint(path, nullptr, tip.x, tip.y);
        CGPathCloseSubpath(path);
    };
    switch (direction) {
    case PGPopupMenuArrowDirectionUp:
        triangle(CGPointMake(x, y + h), CGPointMake(x + w, y + h), CGPointMake(x + w / 2, y));
        break;
    case PGPopupMenuArrowDirectionDown:
        triangle(CGPointMake(x, y), CGPointMake(x + w, y), CGPointMake(x + w / 2, y + h));
        break;
    case PGPopupMenuArrowDirectionLeft:
        triangle(CGPointMake(x + w, y), CGPointMake(x + w, y + h), CGPointMake(x, y + h / 2));
        break;
    case PGPopupMenuArrowDirectionRight:
        triangle(CGPointMake(x, y), CGPointMake(x, y + h), CGPointMake(x + w, y + h / 2));
        break;
    default:
        break;
    }
    return path;
}

CGPathRef PGPopupMenu::cornerPathInRect(CGRect rect, CGFloat r, bool topLeft, bool topRight, bool bottomRight, bool bottomLeft)
{
    const CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    auto path = CGPathCreateMutable();
    if (topLeft) {
        CGPathMoveToPoint(path, nullptr, x, y + r);
        CGPathAddArcToPoint(path, nullptr, x, y, x + r, y, r);
    } else {
        CGPathMoveToPoint(path, nullptr, x, y);
    }
    if (topRight) {
        CGPathAddLineToPoint(path, nullptr, x + w - r, y);
        CGPathAddArcToPoint(path, nullptr, x + w, y, x + w, y + r, r);
    } else {
        CGPathAddLineToPoint(path, nullptr, x + w, y);
    }
    if (bottomRight) {
        CGPathAddLineToPoint(path, nullptr, x + w, y + h - r);
        CGPathAddArcToPoint(path, nullptr, x + w, y + h, x + w - r, y + h, r);
    } else {
        CGPathAddLineToPoint(path, nullptr, x + w, y + h);
    }
    if (bottomLeft) {
        CGPathAddLineToPoint(path, nullptr, x + r, y + h);
        CGPathAddArcToPoint(path, nullptr, x, y + h, x, y + h - r, r);
    } else {
        CGPathAddLineToPoint(path, nullptr, x, y + h);
    }
    CGPathCloseSubpath(path);
    return path;
}

CGPathRef PGPopupMenu::headPathInRect(CGRect rect, CGFloat r) const { return cornerPathInRect(rect, r, true, false, false, true); }

CGPathRef PGPopupMenu::tailPathInRect(CGRect rect, CGFloat r) const { return cornerPathInRect(rect, r, false, true, true, false); }

CGPathRef PGPopupMenu::bodyPathInRect(CGRect rect) const { return CGPathCreateWithRect(rect, nullptr); }

CGRect PGPopupMenu::arrowRectAtPoint(CGPoint p, CGFloat s, NSUInteger direction) const
{
    const CGFloat r = m_cornerRadius, W = frame().size.width;
    const CGFloat x = std::min(std::max(p.x - s + 1, r), W - r - (2 * s - 1));
    switch (direction) {
    case PGPopupMenuArrowDirectionUp:
        return CGRectMake(x, 0, 2 * s - 1, s);
    case PGPopupMenuArrowDirectionDown:
        return CGRectMake(x, p.y - s, 2 * s - 1, s);
    case PGPopupMenuArrowDirectionLeft:
        return CGRectMake(0, p.y - s + 1, s, 2 * s - 1);
    case PGPopupMenuArrowDirectionRight:
        return CGRectMake(p.x - s, p.y - s + 1, s, 2 * s - 1);
    default:
        return CGRectZero;
    }
}

void PGPopupMenu::drawArrowAtPoint(CGPoint point, CGFloat arrowSize, NSUInteger arrowDirection, bool highlighted)
{
    drawArrowInRect(arrowRectAtPoint(point, arrowSize, arrowDirection), arrowDirection, highlighted);
}

namespace {

void fillPath(const CGPathRef& path, const UIColorRef& colour)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextAddPath(context, path);
    if (colour)
        CGContextSetFillColorWithColor(context, colour->CGColor());
    CGContextFillPath(context);
    CGContextRestoreGState(context);
}

} // namespace

void PGPopupMenu::drawArrowInRect(CGRect rect, NSUInteger direction, bool highlighted)
{
    fillPath(arrowPathInRect(rect, direction), highlighted ? m_highlightedColor : m_color);
    if (direction != PGPopupMenuArrowDirectionUp && direction != PGPopupMenuArrowDirectionDown)
        return;
    // The see-through gaps between the items run on through the arrow.
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    for (const auto& view : m_visibleItemViews)
        CGContextClearRect(context, CGRectMake(CGRectGetMaxX(view->frame()) - 1, rect.origin.y, 1, rect.size.height));
}

void PGPopupMenu::drawHeadInRect(CGRect rect, CGFloat cornerRadius, bool highlighted)
{
    fillPath(headPathInRect(rect, cornerRadius), highlighted ? m_highlightedColor : m_color);
}

void PGPopupMenu::drawTailInRect(CGRect rect, CGFloat cornerRadius, bool highlighted)
{
    fillPath(tailPathInRect(rect, cornerRadius), highlighted ? m_highlightedColor : m_color);
}

void PGPopupMenu::drawBodyInRect(CGRect rect, bool, bool lastItem, bool highlighted)
{
    fillPath(bodyPathInRect(rect), highlighted ? m_highlightedColor : m_color);
    if (!lastItem)
        drawSeparatorInRect(CGRectMake(CGRectGetMaxX(rect) - 1, rect.origin.y, 1, rect.size.height));
}

void PGPopupMenu::drawSeparatorInRect(CGRect rect)
{
    if (auto context = UIGraphicsGetCurrentContext())
        CGContextClearRect(context, rect);
}

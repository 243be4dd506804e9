#include "library/widgets/popupmenu/ArrowMenuView.h"

#include "library/widgets/popupmenu/ArrowMenu.h"
#include "library/widgets/popupmenu/ArrowMenuOverlay.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>

namespace {

constexpr CGFloat kArrowSize = 12;
constexpr CGFloat kEdgeDistance = 5;
constexpr CGFloat kCornerRadius = 8;
constexpr CGFloat kItemMarginX = 10;
constexpr CGFloat kItemMarginY = 5;
constexpr CGFloat kMinimumItemSize = 32;

void bodyColours(CGFloat top[4], CGFloat bottom[4])
{
    top[0] = 0.267;
    top[1] = 0.303;
    top[2] = 0.335;
    top[3] = 1;
    if (auto tint = ArrowMenu::tintColor()) {
        CGFloat alpha = 1;
        tint->getRed(&top[0], &top[1], &top[2], &alpha);
    }
    bottom[0] = bottom[1] = bottom[2] = 0.04;
    bottom[3] = 1;
}

} // namespace

void ArrowMenuView::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::clearColor());
    // Not opaque: the corners around the rounded body and the arrow stay see-through.
    setOpaque(false);
    setAlpha(0);
    layer()->setShadowOpacity(0.5);
    layer()->setShadowOffset(CGSizeMake(2, 2));
    layer()->setShadowRadius(2);
}

// MARK: Building

UIViewRef ArrowMenuView::mkContentView()
{
    const auto current = subviews();
    for (const auto& view : current)
        view->removeFromSuperview();
    if (m_menuItems.empty())
        return nullptr;

    auto font = ArrowMenu::titleFont();
    if (!font)
        font = UIFont::boldSystemFontOfSize(16);

    CGFloat maxImageWidth = 0;
    for (const auto& item : m_menuItems)
        if (item->image())
            maxImageWidth = std::max(maxImageWidth, item->image()->size().width);
    if (maxImageWidth != 0)
        maxImageWidth += kItemMarginX;

    CGFloat maxItemHeight = 0, maxItemWidth = 0;
    for (const auto& item : m_menuItems) {
        const CGSize titleSize = item->title().length() ? UIStringDrawing::sizeWithFont(item->title(), font) : CGSizeZero;
        const CGSize imageSize = item->image() ? item->image()->size() : CGSizeZero;
        const CGFloat itemHeight = std::max(titleSize.height, imageSize.height) + kItemMarginY * 2;
        CGFloat itemWidth = titleSize.width + kItemMarginX * 4;
        if (item->enabled() || item->image())
            itemWidth += maxImageWidth;
        maxItemHeight = std::max(maxItemHeight, itemHeight);
        maxItemWidth = std::max(maxItemWidth, itemWidth);
    }
    maxItemWidth = std::max(maxItemWidth, kMinimumItemSize);
    maxItemHeight = std::max(maxItemHeight, kMinimumItemSize);

    const CGFloat titleX = kItemMarginX * 2 + maxImageWidth;
    const CGFloat titleWidth = maxItemWidth - titleX - kItemMarginX * 2;
    auto selected = selectedImage(CGSizeMake(maxItemWidth, maxItemHeight + 2));
    auto line = gradientLine(CGSizeMake(maxItemWidth - kItemMarginX * 4, 1));

    auto column = UIView::create(CGRectZero);
    column->setAutoresizingMask(UIViewAutoresizingNone);
    column->setBackgroundColor(UIColor::clearColor());
    column->setOpaque(false);

    CGFloat y = kItemMarginY * 2;
    NSInteger number = 0;
    for (const auto& item : m_menuItems) {
        const CGRect itemFrame = CGRectMake(0, y, maxItemWidth, maxItemHeight);
        auto itemView = UIView::create(itemFrame);
        itemView->setAutoresizingMask(UIViewAutoresizingNone);
        itemView->setBackgroundColor(UIColor::clearColor());
        itemView->setOpaque(false);
        column->addSubview(itemView);

        if (item->enabled()) {
            auto button = UIButton::buttonWithType(UIButtonTypeCustom);
            button->setTag(number);
            button->setFrame(itemView->bounds());
            button->setEnabled(true);
            button->setBackgroundColor(UIColor::clearColor());
            button->setOpaque(false);
            button->addTarget(self(), &ArrowMenuView::performAction, UIControlEventTouchUpInside);
            button->setBackgroundImage(selected, UIControlStateHighlighted);
            itemView->addSubview(button);
        }
        if (item->title().length()) {
            const CGRect titleFrame = !item->enabled() && !item->image()
                ? CGRectMake(kItemMarginX * 2, kItemMarginY, maxItemWidth - kItemMarginX * 4, maxItemHeight - kItemMarginY * 2)
                : CGRectMake(titleX, kItemMarginY, titleWidth, maxItemHeight - kItemMarginY * 2);
            auto label = UILabel::create(titleFrame);
            label->setText(item->title());
            label->setFont(font);
            label->setTextAlignment(item->alignment());
            label->setTextColor(item->foreColor() ? item->foreColor() : UIColor::whiteColor());
            label->setBackgroundColor(UIColor::clearColor());
            itemView->addSubview(label);
        }
        if (item->image()) {
            auto imageView = UIImageView::create(CGRectMake(kItemMarginX * 2, kItemMarginY, maxImageWidth, maxItemHeight - kItemMarginY * 2));
            imageView->setImage(item->image());
            imageView->setClipsToBounds(true);
            imageView->setContentMode(UIViewContentMode::Center);
            itemView->addSubview(imageView);
        }
        if (item != m_menuItems.back()) {
            auto separator = UIImageView::create(CGRectZero);
            separator->setImage(line);
            separator->setFrame(CGRectMake(kItemMarginX * 2, maxItemHeight + 1, line ? line->size().width : 0, line ? line->size().height : 0));
            separator->setContentMode(UIViewContentMode::Left);
            itemView->addSubview(separator);
            y += 2;
        }
        y += maxItemHeight;
        ++number;
    }
    column->setFrame(CGRectMake(0, 0, maxItemWidth, y + kItemMarginY * 2));
    return column;
}

// MARK: Placement

void ArrowMenuView::setupFrameInView(const UIViewRef& view, CGRect fromRect)
{
    const CGSize content = m_contentView ? m_contentView->frame().size : CGSizeZero;
    const CGFloat w = content.width, h = content.height;
    const CGFloat W = view->bounds().size.width, H = view->bounds().size.height;
    const CGFloat x0 = fromRect.origin.x, y0 = fromRect.origin.y;
    const CGFloat x1 = x0 + fromRect.size.width, y1 = y0 + fromRect.size.height;
    const CGFloat xm = x0 + fromRect.size.width / 2, ym = y0 + fromRect.size.height / 2;

    auto horizontal = [&] {
        CGFloat x = std::max(xm - w / 2, kEdgeDistance);
        if (x + w + kEdgeDistance > W)
            x = W - w - kEdgeDistance;
        return x;
    };
    auto vertical = [&] {
        CGFloat y = std::max(ym - h / 2, kEdgeDistance);
        if (y + h + kEdgeDistance > H)
            y = H - h - kEdgeDistance;
        return y;
    };
    auto placeContent = [this](CGRect frame) {
        if (m_contentView)
            m_contentView->setFrame(frame);
    };

    if (h + kArrowSize < H - y1) {
        m_arrowDirection = ArrowMenuViewArrowDirectionUp;
        const CGFloat x = horizontal();
        m_arrowPosition = xm - x;
        placeContent(CGRectMake(0, kArrowSize, w, h));
        setFrame(CGRectMake(x, y1, w, h + kArrowSize));
    } else if (h + kArrowSize < y0) {
        m_arrowDirection = ArrowMenuViewArrowDirectionDown;
        const CGFloat x = horizontal();
        m_arrowPosition = xm - x;
        placeContent(CGRectMake(0, 0, w, h));
        setFrame(CGRectMake(x, y0 - h - kArrowSize, w, h + kArrowSize));
    } else if (w + kArrowSize < W - x1) {
        m_arrowDirection = ArrowMenuViewArrowDirectionLeft;
        const CGFloat y = vertical();
        m_arrowPosition = ym - y;
        placeContent(CGRectMake(kArrowSize, 0, w, h));
        setFrame(CGRectMake(x1, y, w + kArrowSize, h));
    } else if (w + kArrowSize < x0) {
        m_arrowDirection = ArrowMenuViewArrowDirectionRight;
        const CGFloat y = vertical();
        m_arrowPosition = ym - y;
        placeContent(CGRectMake(0, 0, w, h));
        setFrame(CGRectMake(x0 - w - kArrowSize, y, w + kArrowSize, h));
    } else {
        m_arrowDirection = ArrowMenuViewArrowDirectionNone;
        setFrame(CGRectMake((W - w) / 2, (H - h) / 2, w, h));
    }
}

CGPoint ArrowMenuView::arrowPoint() const
{
    const CGRect f = frame();
    switch (m_arrowDirection) {
    case ArrowMenuViewArrowDirectionUp:
        return CGPointMake(CGRectGetMinX(f) + m_arrowPosition, CGRectGetMinY(f));
    case ArrowMenuViewArrowDirectionDown:
        return CGPointMake(CGRectGetMinX(f) + m_arrowPosition, CGRectGetMaxY(f));
    case ArrowMenuViewArrowDirectionLeft:
        return CGPointMake(CGRectGetMinX(f), CGRectGetMinY(f) + m_arrowPosition);
    case ArrowMenuViewArrowDirectionRight:
        return CGPointMake(CGRectGetMaxX(f), CGRectGetMinY(f) + m_arrowPosition);
    default:
        return CGPointMake(CGRectGetMidX(f), CGRectGetMidY(f));
    }
}

// MARK: Showing and dismissing

void ArrowMenuView::showMenuInView(const UIViewRef& view, CGRect fromRect, const std::vector<ArrowMenuItemRef>& menuItems,
    DismissBlock dismiss)
{
    if (!view)
        return;
    m_menuItems = menuItems;
    m_completeDismiss = std::move(dismiss);
    m_contentView = mkContentView();
    // Without items there is nothing to show, and an empty overlay would only swallow a tap.
    if (!m_contentView) {
        m_completeDismiss = nullptr;
        return;
    }
    addSubview(m_contentView);
    setupFrameInView(view, fromRect);

    auto overlay = ArrowMenuOverlay::create(view->bounds());
    overlay->addSubview(self());
    view->addSubview(overlay);

    m_contentView->setHidden(true);
    const CGRect placed = frame();
    const CGPoint tip = arrowPoint();
    setFrame(CGRectMake(tip.x, tip.y, 1, 1));
    auto protectedSelf = self();
    UIView::animateWithDuration(0.2, [protectedSelf, placed] {
        protectedSelf->setAlpha(1);
        protectedSelf->setFrame(placed);
    }, [protectedSelf](bool) {
        if (protectedSelf->m_contentView)
            protectedSelf->m_contentView->setHidden(false);
    });
}

void ArrowMenuView::dismissMenu(bool animated)
{
    if (!superview())
        return;
    // The block belongs to this showing: a second dismissal during the shrink must not run it again.
    if (auto block = std::exchange(m_completeDismiss, nullptr))
        block();
    if (!animated) {
        removeFromOverlay();
        return;
    }
    if (m_contentView)
        m_contentView->setHidden(true);
    const CGPoint tip = arrowPoint();
    auto protectedSelf = self();
    UIView::animateWithDuration(0.2, [protectedSelf, tip] {
        protectedSelf->setAlpha(0);
        protectedSelf->setFrame(CGRectMake(tip.x, tip.y, 1, 1));
    }, [protectedSelf](bool) { protectedSelf->removeFromOverlay(); });
}

void ArrowMenuView::removeFromOverlay()
{
    if (auto overlay = std::dynamic_pointer_cast<ArrowMenuOverlay>(superview()))
        overlay->removeFromSuperview();
    removeFromSuperview();
}

void ArrowMenuView::performAction(UIButton& sender)
{
    auto protectedSelf = self();
    dismissMenu(true);
    const NSInteger index = sender.tag();
    if (index >= 0 && static_cast<std::size_t>(index) < m_menuItems.size())
        m_menuItems[static_cast<std::size_t>(index)]->performAction();
}

// MARK: Pictures

UIImageRef ArrowMenuView::gradientImageWithSize(CGSize size, const CGFloat* locations, const CGFloat* components, std::size_t count)
{
    if (size.width <= 0 || size.height <= 0)
        return nullptr;
    UIGraphicsBeginImageContextWithOptions(size, false, 0);
    auto context = UIGraphicsGetCurrentContext();
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, count);
    CGContextDrawLinearGradient(context, gradient, CGPointMake(0, 0), CGPointMake(size.width, 0), 0);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

UIImageRef ArrowMenuView::selectedImage(CGSize size)
{
    const CGFloat locations[] = { 0, 1 };
    const CGFloat components[] = { 0.216, 0.471, 0.871, 1, 0.059, 0.353, 0.839, 1 };
    return gradientImageWithSize(size, locations, components, 2);
}

UIImageRef ArrowMenuView::gradientLine(CGSize size)
{
    const CGFloat locations[] = { 0, 0.2, 0.5, 0.8, 1 };
    const CGFloat r = 0.44, g = 0.44, b = 0.44;
    const CGFloat components[] = { r, g, b, 0.1, r, g, b, 0.4, r, g, b, 0.7, r, g, b, 0.4, r, g, b, 0.1 };
    return gradientImageWithSize(size, locations, components, 5);
}

// MARK: Drawing

void ArrowMenuView::drawRect(CGRect)
{
    if (auto context = UIGraphicsGetCurrentContext())
        drawBackground(bounds(), context);
}

void ArrowMenuView::drawBackground(CGRect frame, const CGContextRef& context)
{
    CGFloat X0 = CGRectGetMinX(frame), X1 = CGRectGetMaxX(frame);
    CGFloat Y0 = CGRectGetMinY(frame), Y1 = CGRectGetMaxY(frame);
    CGFloat top[4], bottom[4];
    bodyColours(top, bottom);
    const CGFloat p = m_arrowPosition;
    const CGFloat reach = kArrowSize + 3;

    auto triangle = [&](CGPoint a, CGPoint b, CGPoint c, const CGFloat* colour) {
        CGContextBeginPath(context);
        CGContextMoveToPoint(context, a.x, a.y);
        CGContextAddLineToPoint(context, b.x, b.y);
        CGContextAddLineToPoint(context, c.x, c.y);
        CGContextClosePath(context);
        CGContextSetRGBFillColor(context, colour[0], colour[1], colour[2], colour[3]);
        CGContextFillPath(context);
    };
    switch (m_arrowDirection) {
    case ArrowMenuViewArrowDirectionUp:
        triangle(CGPointMake(p, Y0), CGPointMake(p + kArrowSize, Y0 + reach), CGPointMake(p - kArrowSize, Y0 + reach), top);
        Y0 += kArrowSize;
        break;
    case ArrowMenuViewArrowDirectionDown:
        triangle(CGPointMake(p, Y1), CGPointMake(p + kArrowSize, Y1 - reach), CGPointMake(p - kArrowSize, Y1 - reach), bottom);
        Y1 -= kArrowSize;
        break;
    case ArrowMenuViewArrowDirectionLeft:
        triangle(CGPointMake(X0, p), CGPointMake(X0 + reach, p - kArrowSize), CGPointMake(X0 + reach, p + kArrowSize), top);
        X0 += kArrowSize;
        break;
    case ArrowMenuViewArrowDirectionRight:
        triangle(CGPointMake(X1, p), CGPointMake(X1 - reach, p - kArrowSize), CGPointMake(X1 - reach, p + kArrowSize), bottom);
        X1 -= kArrowSize;
        break;
    default:
        break;
    }

    const CGRect body = CGRectMake(X0, Y0, X1 - X0, Y1 - Y0);
    auto path = CGPathCreateWithRoundedRect(body, kCornerRadius, kCornerRadius, nullptr);
    CGContextSaveGState(context);
    CGContextAddPath(context, path);
    CGContextClip(context);
    const CGFloat locations[] = { 0, 1 };
    const CGFloat components[] = { top[0], top[1], top[2], top[3], bottom[0], bottom[1], bottom[2], bottom[3] };
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    const bool sideways = m_arrowDirection == ArrowMenuViewArrowDirectionLeft || m_arrowDirection == ArrowMenuViewArrowDirectionRight;
    const CGPoint end = sideways ? CGPointMake(X1, Y0) : CGPointMake(X0, Y1);
    CGContextDrawLinearGradient(context, gradient, CGPointMake(X0, Y0), end, 0);
    CGContextRestoreGState(context);
}

#include "platform/uikit/UIToolbar.h"

#include "platform/foundation/NSAssertMainThread.h"

#include <algorithm>
#include <cmath>

void UIToolbar::init(CGRect frame)
{
    super::init(frame);
    setOpaque(false);
    setContentMode(UIViewContentMode::Redraw);
}

void UIToolbar::setItems(const std::vector<UIBarButtonItemRef>& items, bool)
{
    NSAssertMainThread();
    std::vector<UIBarButtonItemRef> next;
    for (const auto& item : items) {
        if (item)
            next.push_back(item);
    }
    // Views of items that stay are left where they are, so a field among them keeps the keyboard.
    for (const auto& item : m_items) {
        if (std::find(next.begin(), next.end(), item) != next.end())
            continue;
        if (auto view = item->view(); view && view->superview().get() == this)
            view->removeFromSuperview();
    }
    m_items = std::move(next);
    for (const auto& item : m_items) {
        if (auto view = item->view(); view && view->superview().get() != this)
            addSubview(view);
    }
    setNeedsLayout();
}

void UIToolbar::setBarStyle(UIBarStyle style)
{
    NSAssertMainThread();
    m_barStyle = style;
    setNeedsDisplay();
}

void UIToolbar::setTranslucent(bool translucent)
{
    NSAssertMainThread();
    m_translucent = translucent;
    setNeedsDisplay();
}

void UIToolbar::setBarTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_barTintColor = color;
    setNeedsDisplay();
}

void UIToolbar::setBackgroundImage(const UIImageRef& image, UIToolbarPosition position, UIBarMetrics metrics)
{
    NSAssertMainThread();
    bar_background::setImage(m_backgroundImages[position], image, metrics);
    setNeedsDisplay();
}

UIImageRef UIToolbar::backgroundImageForToolbarPosition(UIToolbarPosition position, UIBarMetrics metrics) const
{
    for (const UIToolbarPosition tried : { position, UIToolbarPositionAny }) {
        if (auto found = m_backgroundImages.find(tried); found != m_backgroundImages.end()) {
            if (auto image = bar_background::imageFor(found->second, metrics))
                return image;
        }
    }
    return nullptr;
}

CGSize UIToolbar::sizeThatFits(CGSize size) const
{
    return CGSizeMake(size.width > 0 ? size.width : bounds().size.width, kHeight);
}

void UIToolbar::layoutSubviews()
{
    const CGRect bounds = this->bounds();
    std::vector<CGFloat> widths;
    CGFloat used = 2 * kEdgeMargin;
    NSUInteger flexible = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const auto& item = m_items[i];
        widths.push_back(item->layoutWidth());
        used += widths.back();
        flexible += item->isFlexibleSpace() ? 1 : 0;
        if (i > 0 && !item->isSpace() && !m_items[i - 1]->isSpace())
            used += kItemSpacing;
    }
    const CGFloat share = flexible ? std::max<CGFloat>(0, bounds.size.width - used) / CGFloat(flexible) : 0;
    CGFloat x = bounds.origin.x + kEdgeMargin;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const auto& item = m_items[i];
        if (i > 0 && !item->isSpace() && !m_items[i - 1]->isSpace())
            x += kItemSpacing;
        const CGFloat width = item->isFlexibleSpace() ? share : widths[i];
        if (auto view = item->view()) {
            // An item may have changed its custom view since it was set.
            if (view->superview().get() != this)
                addSubview(view);
            const CGFloat height = item->customView() ? view->frame().size.height : std::min(bounds.size.height, view->sizeThatFits(CGSizeZero).height);
            view->setFrame(CGRectMake(std::round(x), std::round(CGRectGetMidY(bounds) - height / 2), width, height));
        }
        x += width;
    }
}

void UIToolbar::drawRect(CGRect)
{
    bar_background::draw(bounds(), backgroundImageForToolbarPosition(UIToolbarPositionBottom, UIBarMetricsDefault), m_barStyle,
        m_barTintColor, m_translucent, false);
}

#include "platform/uikit/UINavigationBar.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSLog.h"
#include "platform/text/NSStringDrawing.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kChevronWidth = 13;
constexpr CGFloat kChevronGap = 6;
constexpr CGFloat kButtonHeight = 30;
// A back title wider than this gives way to the plain word.
constexpr CGFloat kLongestBackTitle = 100;
constexpr NSTimeInterval kItemFade = 0.35;

NSString plainBackTitle() { return "返回"; }

UIFontRef buttonFont() { return UIFont::systemFontOfSize(17); }

// A chevron and the title of the item below, in the tint colour.
class BackButtonView : public UIControl {
    NS_OBJECT(BackButtonView, UIControl)
public:
    void setTitle(const NSString& title)
    {
        m_title = title;
        setNeedsDisplay();
    }
    const NSString& title() const { return m_title; }
    NSString visibleText() const override { return m_title; }

    CGSize sizeThatFits(CGSize) const override
    {
        const CGSize text = NSStringDrawing::sizeWithAttributes(m_title, attributes(UIColor::blackColor()));
        return CGSizeMake(std::ceil(kChevronWidth + kChevronGap + text.width), kButtonHeight);
    }

    void tintColorDidChange() override { setNeedsDisplay(); }
    void stateDidChange() override { setNeedsDisplay(); }

    void drawRect(CGRect) override
    {
        const CGContextRef context = UIGraphicsGetCurrentContext();
        if (!context)
            return;
        const CGRect bounds = this->bounds();
        const UIColorRef colour = tintColor()->colorWithAlphaComponent(isHighlighted() ? 0.2 : 1);
        const CGFloat midY = CGRectGetMidY(bounds);
        CGContextSetStrokeColorWithColor(context, colour->CGColor());
        CGContextSetLineWidth(context, 3);
        CGContextSetLineCap(context, kCGLineCapRound);
        CGContextSetLineJoin(context, kCGLineJoinRound);
        CGContextMoveToPoint(context, kChevronWidth - 2, midY - 9.5);
        CGContextAddLineToPoint(context, 2.5, midY);
        CGContextAddLineToPoint(context, kChevronWidth - 2, midY + 9.5);
        CGContextStrokePath(context);
        const CGSize text = NSStringDrawing::sizeWithAttributes(m_title, attributes(colour));
        NSStringDrawing::drawInRect(m_title,
            CGRectMake(kChevronWidth + kChevronGap, midY - text.height / 2, bounds.size.width - kChevronWidth - kChevronGap, text.height),
            attributes(colour));
    }

private:
    static NSAttributes attributes(const UIColorRef& colour)
    {
        auto attributes = NSMutableDictionary::dictionary();
        attributes->setObject(buttonFont(), NSFontAttributeName);
        attributes->setObject(colour, NSForegroundColorAttributeName);
        return attributes;
    }

    NSString m_title;
};

} // namespace

void UINavigationBar::init(CGRect frame)
{
    super::init(frame);
    setOpaque(false);
    setContentMode(UIViewContentMode::Redraw);
    m_titleLabel = UILabel::create(CGRectZero);
    m_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    m_titleLabel->setBackgroundColor(UIColor::clearColor());
    auto back = BackButtonView::create(CGRectZero);
    back->setBackgroundColor(UIColor::clearColor());
    back->setOpaque(false);
    std::weak_ptr<UINavigationBar> weakSelf = self();
    back->addTarget(nullptr, UIControl::Action([weakSelf](UIControl&, const UIEventRef&) {
        if (auto bar = weakSelf.lock())
            bar->backButtonTapped();
    }), UIControlEventTouchUpInside);
    m_backButton = back;
}

std::shared_ptr<UIControl> UINavigationBar::backButton() const
{
    return m_backButton->superview().get() == this && !m_backButton->isHidden() ? m_backButton : nullptr;
}

void UINavigationBar::adopt(const UINavigationItemRef& item)
{
    if (auto previous = item->navigationBar(); previous && previous.get() != this)
        NSLog("A navigation item moves from one bar to another");
    item->setNavigationBar(self());
}

void UINavigationBar::release(const UINavigationItemRef& item)
{
    if (item->navigationBar().get() == this)
        item->setNavigationBar(nullptr);
}

void UINavigationBar::showItemsChanged(bool animated)
{
    setNeedsLayout();
    if (!animated || !window())
        return;
    // The old item's title and buttons fade into the new one's.
    UIView::transitionWithView(self(), kItemFade, UIViewAnimationOptionTransitionCrossDissolve, [this] { layoutIfNeeded(); }, nullptr);
}

void UINavigationBar::setItems(const std::vector<UINavigationItemRef>& items, bool animated)
{
    NSAssertMainThread();
    std::vector<UINavigationItemRef> next;
    for (const auto& item : items) {
        if (item && std::find(next.begin(), next.end(), item) == next.end())
            next.push_back(item);
    }
    for (const auto& old : m_items) {
        if (std::find(next.begin(), next.end(), old) == next.end())
            release(old);
    }
    const bool changed = next != m_items;
    m_items = std::move(next);
    for (const auto& item : m_items)
        adopt(item);
    showItemsChanged(animated && changed);
}

void UINavigationBar::pushNavigationItem(const UINavigationItemRef& item, bool animated)
{
    NSAssertMainThread();
    if (!item || std::find(m_items.begin(), m_items.end(), item) != m_items.end()) {
        NSLog("Cannot push %@ onto the navigation bar", item);
        return;
    }
    auto protectedSelf = self();
    auto delegate = this->delegate();
    if (delegate && !delegate->shouldPushItem(*this, *item).value_or(true))
        return;
    m_items.push_back(item);
    adopt(item);
    showItemsChanged(animated);
    if (delegate)
        delegate->didPushItem(*this, *item);
}

UINavigationItemRef UINavigationBar::popNavigationItemAnimated(bool animated)
{
    NSAssertMainThread();
    if (m_items.size() < 2)
        return nullptr;
    auto protectedSelf = self();
    auto top = m_items.back();
    auto delegate = this->delegate();
    if (delegate && !delegate->shouldPopItem(*this, *top).value_or(true))
        return nullptr;
    // The delegate may have changed the stack itself.
    if (m_items.empty() || m_items.back() != top)
        return nullptr;
    m_items.pop_back();
    release(top);
    showItemsChanged(animated);
    if (delegate)
        delegate->didPopItem(*this, *top);
    return top;
}

void UINavigationBar::backButtonTapped() { popNavigationItemAnimated(true); }

void UINavigationBar::itemDidChange(UINavigationItem&) { setNeedsLayout(); }

void UINavigationBar::setBarStyle(UIBarStyle style)
{
    NSAssertMainThread();
    m_barStyle = style;
    setNeedsDisplay();
    setNeedsLayout();
}

void UINavigationBar::setTranslucent(bool translucent)
{
    NSAssertMainThread();
    m_translucent = translucent;
    setNeedsDisplay();
}

void UINavigationBar::setBarTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_barTintColor = color;
    setNeedsDisplay();
}

void UINavigationBar::setBackgroundImage(const UIImageRef& image, UIBarMetrics metrics)
{
    NSAssertMainThread();
    bar_background::setImage(m_backgroundImages, image, metrics);
    setNeedsDisplay();
}

void UINavigationBar::setTitleTextAttributes(const NSAttributes& attributes)
{
    NSAssertMainThread();
    m_titleTextAttributes = attributes;
    setNeedsLayout();
}

CGSize UINavigationBar::sizeThatFits(CGSize size) const
{
    return CGSizeMake(size.width > 0 ? size.width : bounds().size.width, kHeight);
}

NSString UINavigationBar::backTitle() const
{
    auto below = backItem();
    if (!below)
        return nullptr;
    NSString title = below->backBarButtonItem() ? below->backBarButtonItem()->title() : below->title();
    if (title.length() == 0
        || NSStringDrawing::sizeWithAttributes(title, NSDictionary::dictionaryWithObjectsAndKeys({ { buttonFont(), NSString(NSFontAttributeName) } })).width
            > kLongestBackTitle)
        return plainBackTitle();
    return title;
}

void UINavigationBar::layoutSubviews()
{
    // Views that stay are not taken off and put back, so a field among them keeps the keyboard.
    const std::vector<std::shared_ptr<UIView>> previous = std::exchange(m_shown, {});
    placeTopItem();
    for (const auto& view : previous) {
        if (view->superview().get() == this && std::find(m_shown.begin(), m_shown.end(), view) == m_shown.end())
            view->removeFromSuperview();
    }
}

void UINavigationBar::placeTopItem()
{
    const CGRect bounds = this->bounds();
    const CGFloat midY = CGRectGetMidY(bounds);
    auto top = topItem();
    if (!top)
        return;
    const auto place = [&](const std::shared_ptr<UIView>& view, CGFloat x, CGFloat width, CGFloat height) {
        height = std::min(bounds.size.height, height);
        view->setFrame(CGRectMake(std::round(x), std::round(midY - height / 2), width, std::ceil(height)));
        if (view->superview().get() != this)
            addSubview(view);
        m_shown.push_back(view);
    };
    const auto heightOf = [](UIBarButtonItem& item, UIView& view) {
        return item.customView() ? view.frame().size.height : view.sizeThatFits(CGSizeZero).height;
    };

    CGFloat left = kEdgeMargin;
    if (top->leftBarButtonItems().empty() && backItem() && !top->hidesBackButton()) {
        std::static_pointer_cast<BackButtonView>(m_backButton)->setTitle(backTitle());
        const CGSize size = m_backButton->sizeThatFits(CGSizeZero);
        place(m_backButton, left, size.width, size.height);
        left += size.width + kItemSpacing;
    }
    for (const auto& item : top->leftBarButtonItems()) {
        if (auto view = item->view()) {
            const CGFloat width = item->layoutWidth();
            place(view, left, width, heightOf(*item, *view));
            left += width + kItemSpacing;
        } else {
            left += item->layoutWidth();
        }
    }
    CGFloat right = bounds.size.width - kEdgeMargin;
    for (const auto& item : top->rightBarButtonItems()) {
        const CGFloat width = item->layoutWidth();
        if (auto view = item->view()) {
            place(view, right - width, width, heightOf(*item, *view));
            right -= width + kItemSpacing;
        } else {
            right -= width;
        }
    }

    // The title is centred on the bar when it fits there, else in the room the buttons leave.
    std::shared_ptr<UIView> title = top->titleView();
    CGSize size;
    if (title) {
        size = title->frame().size;
    } else {
        const bool dark = m_barStyle != UIBarStyleDefault;
        auto attributes = m_titleTextAttributes;
        auto font = attributes ? ns::cast<UIFont>(attributes->objectForKey(NSFontAttributeName)) : nullptr;
        auto colour = attributes ? ns::cast<UIColor>(attributes->objectForKey(NSForegroundColorAttributeName)) : nullptr;
        m_titleLabel->setFont(font ? font : UIFont::boldSystemFontOfSize(17));
        m_titleLabel->setTextColor(colour ? colour : (dark ? UIColor::whiteColor() : UIColor::blackColor()));
        m_titleLabel->setText(top->title());
        size = m_titleLabel->sizeThatFits(CGSizeZero);
        title = m_titleLabel;
    }
    const CGFloat room = std::max<CGFloat>(0, right - left - kItemSpacing);
    const CGFloat width = std::min(std::ceil(size.width), room);
    CGFloat x = (bounds.size.width - width) / 2;
    x = std::clamp(x, left, std::max(left, right - width));
    place(title, x, width, size.height);
}

void UINavigationBar::drawRect(CGRect)
{
    bar_background::draw(bounds(), backgroundImageForBarMetrics(UIBarMetricsDefault), m_barStyle, m_barTintColor, m_translucent, true);
}

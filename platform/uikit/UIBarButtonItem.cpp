#include "platform/uikit/UIBarButtonItem.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/text/UIFont.h"

#include <cmath>

namespace {

constexpr CGFloat kGlyph = 22;
constexpr CGFloat kHeight = 30;

// The button a bar shows for a title, image or system item.
class BarButtonView : public UIControl {
    NS_OBJECT(BarButtonView, UIControl)
public:
    void setItem(const std::shared_ptr<UIBarButtonItem>& item)
    {
        m_item = item;
        addTarget(nullptr, UIControl::Action([weakItem = m_item](UIControl&, const UIEventRef&) {
            if (auto item = weakItem.lock())
                item->sendAction();
        }), UIControlEventTouchUpInside);
    }

    CGSize contentSize() const
    {
        auto item = m_item.lock();
        if (!item)
            return CGSizeZero;
        if (item->image())
            return item->image()->size();
        if (item->title().length())
            return NSStringDrawing::sizeWithAttributes(item->title(), attributes(*item));
        return CGSizeMake(kGlyph, kGlyph);
    }

    CGSize sizeThatFits(CGSize) const override
    {
        const CGSize content = contentSize();
        return CGSizeMake(std::ceil(content.width), std::max(kHeight, std::ceil(content.height)));
    }

    NSString visibleText() const override
    {
        auto item = m_item.lock();
        return item ? item->title() : NSString();
    }

    void tintColorDidChange() override { setNeedsDisplay(); }

    void drawRect(CGRect) override
    {
        auto item = m_item.lock();
        const CGContextRef context = UIGraphicsGetCurrentContext();
        if (!item || !context)
            return;
        const CGRect bounds = this->bounds();
        if (auto background = item->backgroundImageForState(state(), UIBarMetricsDefault))
            background->drawInRect(bounds);
        const CGFloat alpha = isHighlighted() ? 0.2 : 1;
        const CGSize content = contentSize();
        const CGRect rect = CGRectMake(CGRectGetMidX(bounds) - content.width / 2, CGRectGetMidY(bounds) - content.height / 2,
            content.width, content.height);
        if (auto image = item->image()) {
            // FIXME: drawn in its own colours; the platform shows bar images in the tint colour.
            image->drawInRect(rect, kCGBlendModeNormal, isEnabled() ? alpha : 0.35);
            return;
        }
        const UIColorRef colour = colourFor(*item);
        if (item->title().length()) {
            auto attributes = NSMutableDictionary::dictionaryWithDictionary(this->attributes(*item));
            attributes->setObject(colour->colorWithAlphaComponent(colour->alpha() * alpha), NSForegroundColorAttributeName);
            NSStringDrawing::drawInRect(item->title(), rect, attributes);
            return;
        }
        drawGlyph(context, UIBarButtonSystemItem(item->systemItem()), rect, colour->colorWithAlphaComponent(colour->alpha() * alpha));
    }

private:
    NSAttributes attributes(const UIBarButtonItem& item) const
    {
        auto attributes = item.titleTextAttributesForState(state());
        if (attributes && attributes->objectForKey(NSFontAttributeName))
            return attributes;
        auto filled = attributes ? NSMutableDictionary::dictionaryWithDictionary(attributes) : NSMutableDictionary::dictionary();
        filled->setObject(item.style() == UIBarButtonItemStyleDone ? UIFont::boldSystemFontOfSize(17) : UIFont::systemFontOfSize(17),
            NSFontAttributeName);
        return filled;
    }

    UIColorRef colourFor(const UIBarButtonItem& item) const
    {
        if (!isEnabled())
            return UIColor::colorWithWhite(0.6, 0.6);
        auto attributes = item.titleTextAttributesForState(state());
        if (auto colour = attributes ? ns::cast<UIColor>(attributes->objectForKey(NSForegroundColorAttributeName)) : nullptr)
            return colour;
        return item.tintColor() ? item.tintColor() : tintColor();
    }

    static void drawGlyph(const CGContextRef& context, UIBarButtonSystemItem item, CGRect rect, const UIColorRef& colour)
    {
        const CGFloat left = CGRectGetMinX(rect) + 3, right = CGRectGetMaxX(rect) - 3;
        const CGFloat top = CGRectGetMinY(rect) + 3, bottom = CGRectGetMaxY(rect) - 3;
        const CGFloat midX = CGRectGetMidX(rect), midY = CGRectGetMidY(rect);
        CGContextSetStrokeColorWithColor(context, colour->CGColor());
        CGContextSetFillColorWithColor(context, colour->CGColor());
        CGContextSetLineWidth(context, 1.5);
        CGContextSetLineCap(context, kCGLineCapRound);
        switch (item) {
        case UIBarButtonSystemItemAdd:
            CGContextMoveToPoint(context, midX, top);
            CGContextAddLineToPoint(context, midX, bottom);
            CGContextMoveToPoint(context, left, midY);
            CGContextAddLineToPoint(context, right, midY);
            CGContextStrokePath(context);
            break;
        case UIBarButtonSystemItemStop:
            CGContextMoveToPoint(context, left, top);
            CGContextAddLineToPoint(context, right, bottom);
            CGContextMoveToPoint(context, right, top);
            CGContextAddLineToPoint(context, left, bottom);
            CGContextStrokePath(context);
            break;
        case UIBarButtonSystemItemPlay:
            CGContextMoveToPoint(context, left + 2, top);
            CGContextAddLineToPoint(context, right, midY);
            CGContextAddLineToPoint(context, left + 2, bottom);
            CGContextClosePath(context);
            CGContextFillPath(context);
            break;
        case UIBarButtonSystemItemPause:
            CGContextFillRect(context, CGRectMake(left + 2, top, 4, bottom - top));
            CGContextFillRect(context, CGRectMake(right - 6, top, 4, bottom - top));
            break;
        case UIBarButtonSystemItemRewind:
        case UIBarButtonSystemItemFastForward: {
            const CGFloat direction = item == UIBarButtonSystemItemRewind ? -1 : 1;
            for (const CGFloat start : { midX - 8 * direction, midX }) {
                CGContextMoveToPoint(context, start, top + 2);
                CGContextAddLineToPoint(context, start + 8 * direction, midY);
                CGContextAddLineToPoint(context, start, bottom - 2);
                CGContextClosePath(context);
            }
            CGContextFillPath(context);
            break;
        }
        case UIBarButtonSystemItemSearch:
            CGContextStrokeEllipseInRect(context, CGRectMake(left, top, 11, 11));
            CGContextMoveToPoint(context, left + 9.5, top + 9.5);
            CGContextAddLineToPoint(context, right, bottom);
            CGContextStrokePath(context);
            break;
        default:
            // FIXME: the remaining icons are drawn as a plain outline until a screen needs them.
            CGContextStrokeRect(context, CGRectInset(rect, 4, 4));
            break;
        }
    }

    std::weak_ptr<UIBarButtonItem> m_item;
};

} // namespace

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::appearance()
{
    static const auto shared = UIBarButtonItem::create();
    return shared;
}

void UIBarButtonItem::init() { }

void UIBarButtonItem::init(const NSString& title, UIBarButtonItemStyle style)
{
    m_title = title;
    m_style = style;
}

void UIBarButtonItem::init(const UIImageRef& image, UIBarButtonItemStyle style)
{
    m_image = image;
    m_style = style;
}

void UIBarButtonItem::init(UIBarButtonSystemItem systemItem)
{
    m_systemItem = systemItem;
    m_title = titleForSystemItem(systemItem);
    if (systemItem == UIBarButtonSystemItemDone)
        m_style = UIBarButtonItemStyleDone;
}

void UIBarButtonItem::init(const std::shared_ptr<UIView>& customView) { m_customView = customView; }

NSString UIBarButtonItem::titleForSystemItem(UIBarButtonSystemItem item)
{
    switch (item) {
    case UIBarButtonSystemItemDone:
        return "完成";
    case UIBarButtonSystemItemCancel:
        return "取消";
    case UIBarButtonSystemItemEdit:
        return "编辑";
    case UIBarButtonSystemItemSave:
        return "存储";
    case UIBarButtonSystemItemUndo:
        return "撤销";
    case UIBarButtonSystemItemRedo:
        return "重做";
    default:
        return nullptr;
    }
}

void UIBarButtonItem::sendAction()
{
    if (!m_enabled || !m_action)
        return;
    auto protectedSelf = self();
    auto action = m_action;
    action(*this);
}

void UIBarButtonItem::contentsDidChange()
{
    if (!m_button)
        return;
    m_button->setNeedsDisplay();
    if (auto bar = m_button->superview())
        bar->setNeedsLayout();
}

void UIBarButtonItem::setStyle(UIBarButtonItemStyle style)
{
    NSAssertMainThread();
    m_style = style;
    contentsDidChange();
}

void UIBarButtonItem::setTitle(const NSString& title)
{
    NSAssertMainThread();
    m_title = title;
    contentsDidChange();
}

void UIBarButtonItem::setImage(const UIImageRef& image)
{
    NSAssertMainThread();
    m_image = image;
    contentsDidChange();
}

void UIBarButtonItem::setEnabled(bool enabled)
{
    NSAssertMainThread();
    m_enabled = enabled;
    if (m_button)
        m_button->setEnabled(enabled);
    if (auto control = std::dynamic_pointer_cast<UIControl>(m_customView))
        control->setEnabled(enabled);
}

void UIBarButtonItem::setWidth(CGFloat width)
{
    NSAssertMainThread();
    m_width = std::isfinite(width) ? std::max<CGFloat>(0, width) : 0;
    contentsDidChange();
}

void UIBarButtonItem::setTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_tintColor = color;
    if (m_button)
        m_button->setTintColor(color);
    if (m_customView)
        m_customView->setTintColor(color);
}

void UIBarButtonItem::setCustomView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    if (m_customView == view)
        return;
    std::shared_ptr<UIView> bar;
    if (m_customView) {
        bar = m_customView->superview();
        m_customView->removeFromSuperview();
    }
    if (m_button) {
        bar = bar ? bar : m_button->superview();
        m_button->removeFromSuperview();
    }
    m_customView = view;
    if (bar)
        bar->setNeedsLayout();
}

void UIBarButtonItem::setTitleTextAttributes(const NSAttributes& attributes, UIControlState state)
{
    NSAssertMainThread();
    m_titleAttributes.set(attributes, state);
    contentsDidChange();
}

NSAttributes UIBarButtonItem::titleTextAttributesForState(UIControlState state) const
{
    for (const UIBarButtonItem* source : std::initializer_list<const UIBarButtonItem*> { this, appearance().get() }) {
        if (auto attributes = source->m_titleAttributes.shownIn(state))
            return attributes;
    }
    return nullptr;
}

void UIBarButtonItem::setBackgroundImage(const UIImageRef& image, UIControlState state, UIBarMetrics metrics)
{
    NSAssertMainThread();
    m_backgroundImages[metrics].set(image, state);
    contentsDidChange();
}

UIImageRef UIBarButtonItem::backgroundImageForState(UIControlState state, UIBarMetrics metrics) const
{
    for (const UIBarButtonItem* source : std::initializer_list<const UIBarButtonItem*> { this, appearance().get() }) {
        for (const UIControlState tried : { state, UIControlState(UIControlStateNormal) }) {
            for (const UIBarMetrics kind : { metrics, UIBarMetricsDefault }) {
                if (auto found = source->m_backgroundImages.find(kind); found != source->m_backgroundImages.end())
                    if (auto image = found->second.forState(tried))
                        return image;
            }
        }
    }
    return nullptr;
}

std::shared_ptr<UIView> UIBarButtonItem::view()
{
    if (m_customView)
        return m_customView;
    if (isSpace())
        return nullptr;
    if (!m_button) {
        auto button = BarButtonView::create(CGRectZero);
        button->setItem(self());
        button->setBackgroundColor(UIColor::clearColor());
        button->setOpaque(false);
        button->setEnabled(m_enabled);
        if (m_tintColor)
            button->setTintColor(m_tintColor);
        m_button = button;
    }
    return m_button;
}

CGFloat UIBarButtonItem::layoutWidth()
{
    if (isFlexibleSpace())
        return 0;
    if (m_width > 0 || isFixedSpace())
        return m_width;
    auto view = this->view();
    if (m_customView)
        return view->frame().size.width;
    return view->sizeThatFits(CGSizeZero).width;
}

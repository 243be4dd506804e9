#include "platform/uikit/UITableViewCell.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>

namespace {

constexpr CGFloat kMargin = 15;
constexpr CGFloat kSeparatorHeight = 0.5;

// The marks of the accessory types, drawn in the tint colour (grey for the chevron).
class UITableViewCellAccessoryMark final : public UIView {
    NS_OBJECT(UITableViewCellAccessoryMark, UIView)
public:
    static CGSize sizeFor(UITableViewCellAccessoryType type)
    {
        switch (type) {
        case UITableViewCellAccessoryType::DisclosureIndicator:
            return { 8, 13 };
        case UITableViewCellAccessoryType::Checkmark:
            return { 14, 11 };
        case UITableViewCellAccessoryType::DetailButton:
            return { 22, 22 };
        case UITableViewCellAccessoryType::DetailDisclosureButton:
            return { 22 + 15 + 8, 22 };
        case UITableViewCellAccessoryType::None:
            break;
        }
        return CGSizeZero;
    }

    void setType(UITableViewCellAccessoryType type)
    {
        if (type == m_type)
            return;
        m_type = type;
        setNeedsDisplay();
    }

    void drawRect(CGRect) override
    {
        const auto context = UIGraphicsGetCurrentContext();
        if (!context)
            return;
        const CGRect box = bounds();
        CGContextSetLineWidth(context, 2);
        CGContextSetLineCap(context, kCGLineCapRound);
        CGContextSetLineJoin(context, kCGLineJoinRound);
        const auto chevron = [&](CGFloat right) {
            CGContextSetRGBStrokeColor(context, 0.78, 0.78, 0.8, 1);
            CGContextMoveToPoint(context, right - 7, box.size.height / 2 - 5.5);
            CGContextAddLineToPoint(context, right - 1.5, box.size.height / 2);
            CGContextAddLineToPoint(context, right - 7, box.size.height / 2 + 5.5);
            CGContextStrokePath(context);
        };
        const auto detail = [&] {
            CGContextSetRGBStrokeColor(context, 0, 0.48, 1, 1);
            CGContextSetLineWidth(context, 1);
            CGContextAddEllipseInRect(context, CGRectMake(1, 1, 20, 20));
            CGContextStrokePath(context);
            CGContextSetLineWidth(context, 2);
            CGContextMoveToPoint(context, 11, 10);
            CGContextAddLineToPoint(context, 11, 16);
            CGContextStrokePath(context);
            CGContextMoveToPoint(context, 11, 6.5);
            CGContextAddLineToPoint(context, 11, 6.6);
            CGContextStrokePath(context);
        };
        switch (m_type) {
        case UITableViewCellAccessoryType::DisclosureIndicator:
            chevron(box.size.width);
            break;
        case UITableViewCellAccessoryType::Checkmark:
            CGContextSetRGBStrokeColor(context, 0, 0.48, 1, 1);
            CGContextMoveToPoint(context, 1.5, box.size.height / 2);
            CGContextAddLineToPoint(context, 5.5, box.size.height - 1.5);
            CGContextAddLineToPoint(context, box.size.width - 1.5, 1.5);
            CGContextStrokePath(context);
            break;
        case UITableViewCellAccessoryType::DetailButton:
            detail();
            break;
        case UITableViewCellAccessoryType::DetailDisclosureButton:
            detail();
            chevron(box.size.width);
            break;
        case UITableViewCellAccessoryType::None:
            break;
        }
    }

protected:
    void init(CGRect frame) override
    {
        UIView::init(frame);
        setOpaque(false);
        setUserInteractionEnabled(false);
    }

private:
    UITableViewCellAccessoryType m_type { UITableViewCellAccessoryType::None };
};

UIColorRef selectionGray()
{
    return UIColor::colorWithWhite(0.85, 1);
}

}

void UITableViewCell::init(CGRect frame)
{
    init(UITableViewCellStyle::Default, nullptr);
    setFrame(frame);
}

void UITableViewCell::init(UITableViewCellStyle style, const NSString& reuseIdentifier)
{
    UIView::init(CGRectMake(0, 0, 320, 44));
    m_style = style;
    m_reuseIdentifier = reuseIdentifier;
    setBackgroundColor(UIColor::whiteColor());
    m_contentView = UIView::create(bounds());
    addSubview(m_contentView);
}

std::shared_ptr<UILabel> UITableViewCell::textLabel()
{
    if (!m_textLabel) {
        m_textLabel = UILabel::create(CGRectZero);
        const bool small = m_style == UITableViewCellStyle::Value2;
        m_textLabel->setFont(small ? UIFont::boldSystemFontOfSize(12) : UIFont::systemFontOfSize(18));
        m_textLabel->setTextColor(small ? UIColor::colorWithRed(0, 0.48, 1, 1) : UIColor::blackColor());
        if (small)
            m_textLabel->setTextAlignment(NSTextAlignmentRight);
        m_textLabel->setBackgroundColor(UIColor::clearColor());
        m_contentView->addSubview(m_textLabel);
        setNeedsLayout();
    }
    return m_textLabel;
}

std::shared_ptr<UILabel> UITableViewCell::detailTextLabel()
{
    if (m_style == UITableViewCellStyle::Default)
        return nullptr;
    if (!m_detailTextLabel) {
        m_detailTextLabel = UILabel::create(CGRectZero);
        switch (m_style) {
        case UITableViewCellStyle::Value1:
            m_detailTextLabel->setFont(UIFont::systemFontOfSize(18));
            m_detailTextLabel->setTextColor(UIColor::colorWithWhite(0.56, 1));
            m_detailTextLabel->setTextAlignment(NSTextAlignmentRight);
            break;
        case UITableViewCellStyle::Value2:
            m_detailTextLabel->setFont(UIFont::boldSystemFontOfSize(15));
            break;
        default:
            m_detailTextLabel->setFont(UIFont::systemFontOfSize(12));
            break;
        }
        m_detailTextLabel->setBackgroundColor(UIColor::clearColor());
        m_contentView->addSubview(m_detailTextLabel);
        setNeedsLayout();
    }
    return m_detailTextLabel;
}

std::shared_ptr<UIImageView> UITableViewCell::imageView()
{
    if (!m_imageView) {
        m_imageView = UIImageView::create(CGRectZero);
        m_contentView->addSubview(m_imageView);
        setNeedsLayout();
    }
    return m_imageView;
}

void UITableViewCell::setBackgroundView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    if (view == m_backgroundView)
        return;
    if (m_backgroundView)
        m_backgroundView->removeFromSuperview();
    m_backgroundView = view;
    if (view)
        insertSubview(view, 0);
    setNeedsLayout();
}

std::shared_ptr<UIView> UITableViewCell::selectedBackgroundView()
{
    if (!m_selectedBackgroundView) {
        m_selectedBackgroundView = UIView::create(bounds());
        m_selectedBackgroundView->setBackgroundColor(selectionGray());
    }
    return m_selectedBackgroundView;
}

void UITableViewCell::setSelectedBackgroundView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    const bool shown = m_selectedBackgroundView && m_selectedBackgroundView->superview().get() == this;
    if (shown)
        m_selectedBackgroundView->removeFromSuperview();
    m_selectedBackgroundView = view;
    if (shown)
        showSelectionState(true);
}

void UITableViewCell::setAccessoryType(UITableViewCellAccessoryType type)
{
    NSAssertMainThread();
    if (type == m_accessoryType)
        return;
    m_accessoryType = type;
    setNeedsLayout();
}

void UITableViewCell::setAccessoryView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    if (view == m_accessoryView)
        return;
    if (m_accessoryView)
        m_accessoryView->removeFromSuperview();
    m_accessoryView = view;
    if (view)
        addSubview(view);
    setNeedsLayout();
}

void UITableViewCell::setSelectionStyle(UITableViewCellSelectionStyle style)
{
    m_selectionStyle = style;
    if (style == UITableViewCellSelectionStyle::None)
        showSelectionState(false);
}

void UITableViewCell::setSelected(bool selected, bool animated)
{
    NSAssertMainThread();
    (void)animated;
    if (selected == m_selected)
        return;
    m_selected = selected;
    showSelectionState(m_selected || m_highlighted);
}

void UITableViewCell::setHighlighted(bool highlighted, bool animated)
{
    NSAssertMainThread();
    (void)animated;
    if (highlighted == m_highlighted)
        return;
    m_highlighted = highlighted;
    showSelectionState(m_selected || m_highlighted);
}

void UITableViewCell::showSelectionState(bool shown)
{
    shown = shown && m_selectionStyle != UITableViewCellSelectionStyle::None;
    if (shown) {
        auto background = selectedBackgroundView();
        background->setFrame(bounds());
        if (background->superview().get() != this)
            insertSubviewBelowSubview(background, m_contentView);
    } else if (m_selectedBackgroundView) {
        m_selectedBackgroundView->removeFromSuperview();
    }
    // Labels and images in the content show their highlighted looks meanwhile.
    std::vector<std::shared_ptr<UIView>> pending { m_contentView };
    while (!pending.empty()) {
        auto view = pending.back();
        pending.pop_back();
        if (auto label = std::dynamic_pointer_cast<UILabel>(view))
            label->setHighlighted(shown);
        else if (auto image = std::dynamic_pointer_cast<UIImageView>(view))
            image->setHighlighted(shown);
        for (const auto& subview : view->subviews())
            pending.push_back(subview);
    }
}

void UITableViewCell::setSeparatorInset(UIEdgeInsets insets)
{
    m_hasOwnSeparatorInset = true;
    if (insets == m_separatorInset)
        return;
    m_separatorInset = insets;
    setNeedsLayout();
}

void UITableViewCell::setSeparator(const UIColorRef& color, bool shown, UIEdgeInsets tableInset)
{
    if (!m_hasOwnSeparatorInset && tableInset != m_separatorInset) {
        m_separatorInset = tableInset;
        setNeedsLayout();
    }
    if (!shown) {
        if (m_separatorView)
            m_separatorView->setHidden(true);
        return;
    }
    if (!m_separatorView) {
        m_separatorView = UIView::create(CGRectZero);
        m_separatorView->setUserInteractionEnabled(false);
        addSubview(m_separatorView);
        setNeedsLayout();
    }
    m_separatorView->setHidden(false);
    if (m_separatorView->backgroundColor() != color)
        m_separatorView->setBackgroundColor(color);
}

void UITableViewCell::prepareForReuse()
{
    setHighlighted(false);
    setSelected(false);
}

std::shared_ptr<UIView> UITableViewCell::accessoryShown() const
{
    return m_accessoryView ? m_accessoryView : m_accessoryMark;
}

void UITableViewCell::layoutSubviews()
{
    UIView::layoutSubviews();
    const CGRect box = bounds();
    // The accessory: a view of the cell's own, or the type's mark.
    if (!m_accessoryView && m_accessoryType != UITableViewCellAccessoryType::None) {
        if (!m_accessoryMark) {
            m_accessoryMark = UITableViewCellAccessoryMark::create(CGRectZero);
            addSubview(m_accessoryMark);
        }
        std::static_pointer_cast<UITableViewCellAccessoryMark>(m_accessoryMark)->setType(m_accessoryType);
        m_accessoryMark->setHidden(false);
        CGRect frame = m_accessoryMark->frame();
        frame.size = UITableViewCellAccessoryMark::sizeFor(m_accessoryType);
        m_accessoryMark->setFrame(frame);
    } else if (m_accessoryMark) {
        m_accessoryMark->setHidden(true);
    }
    CGFloat contentWidth = box.size.width;
    if (auto accessory = accessoryShown(); accessory && !accessory->isHidden()) {
        const CGSize size = accessory->frame().size;
        const CGFloat x = box.size.width - kMargin - size.width;
        accessory->setFrame(CGRectMake(x, std::round((box.size.height - size.height) / 2), size.width, size.height));
        contentWidth = std::max<CGFloat>(0, x - 10);
    }
    const CGFloat separator = m_separatorView && !m_separatorView->isHidden() ? kSeparatorHeight : 0;
    const CGRect content = CGRectMake(0, 0, contentWidth, std::max<CGFloat>(0, box.size.height - separator));
    m_contentView->setFrame(content);
    if (m_backgroundView)
        m_backgroundView->setFrame(box);
    if (m_selectedBackgroundView && m_selectedBackgroundView->superview().get() == this)
        m_selectedBackgroundView->setFrame(box);
    if (m_separatorView) {
        const CGFloat left = m_separatorInset.left;
        m_separatorView->setFrame(CGRectMake(left, box.size.height - kSeparatorHeight,
            std::max<CGFloat>(0, box.size.width - left - m_separatorInset.right), kSeparatorHeight));
        // Brought forward only when something came above it: a move asks for layout again.
        if (subviews().back() != m_separatorView)
            bringSubviewToFront(m_separatorView);
    }
    layoutStandardViews(content);
}

void UITableViewCell::layoutStandardViews(CGRect content)
{
    CGFloat x = kMargin;
    if (m_imageView && m_imageView->image()) {
        const CGSize size = m_imageView->image()->size();
        const CGFloat height = std::min(size.height, content.size.height);
        m_imageView->setFrame(CGRectMake(kMargin, std::round((content.size.height - height) / 2), size.width, height));
        x = kMargin + size.width + kMargin;
    } else if (m_imageView) {
        m_imageView->setFrame(CGRectZero);
    }
    const CGFloat right = content.size.width - kMargin;
    const CGFloat width = std::max<CGFloat>(0, right - x);
    const CGFloat height = content.size.height;
    const auto fitted = [](const std::shared_ptr<UILabel>& label, CGFloat available) {
        if (!label)
            return CGSizeZero;
        CGSize size = label->sizeThatFits(CGSizeMake(available, CGFLOAT_MAX));
        size.width = std::min(std::ceil(size.width), available);
        size.height = std::ceil(size.height);
        return size;
    };
    switch (m_style) {
    case UITableViewCellStyle::Default:
        if (m_textLabel)
            m_textLabel->setFrame(CGRectMake(x, 0, width, height));
        break;
    case UITableViewCellStyle::Subtitle: {
        const CGSize text = fitted(m_textLabel, width);
        const CGSize detail = fitted(m_detailTextLabel, width);
        const CGFloat top = std::round((height - text.height - detail.height) / 2);
        if (m_textLabel)
            m_textLabel->setFrame(CGRectMake(x, top, width, text.height));
        if (m_detailTextLabel)
            m_detailTextLabel->setFrame(CGRectMake(x, top + text.height, width, detail.height));
        break;
    }
    case UITableViewCellStyle::Value1: {
        const CGSize detail = fitted(m_detailTextLabel, width);
        if (m_detailTextLabel)
            m_detailTextLabel->setFrame(CGRectMake(right - detail.width, 0, detail.width, height));
        if (m_textLabel)
            m_textLabel->setFrame(CGRectMake(x, 0, std::max<CGFloat>(0, width - detail.width - (detail.width > 0 ? 8 : 0)), height));
        break;
    }
    case UITableViewCellStyle::Value2: {
        // A fixed column for the title, the value beside it.
        constexpr CGFloat kTitleColumn = 91;
        constexpr CGFloat kGap = 6;
        if (m_textLabel)
            m_textLabel->setFrame(CGRectMake(x, 0, std::min(kTitleColumn, width), height));
        if (m_detailTextLabel)
            m_detailTextLabel->setFrame(CGRectMake(x + kTitleColumn + kGap, 0, std::max<CGFloat>(0, width - kTitleColumn - kGap), height));
        break;
    }
    }
}

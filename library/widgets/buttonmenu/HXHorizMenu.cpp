#include "library/widgets/buttonmenu/HXHorizMenu.h"

#include "platform/text/UIStringDrawing.h"

#include <algorithm>
#include <cmath>

void HXHorizMenu::init(CGRect frame)
{
    UIScrollView::init(frame);
    setBounces(true);
    setScrollEnabled(true);
    setAlwaysBounceHorizontal(true);
    setAlwaysBounceVertical(false);
    setShowsHorizontalScrollIndicator(false);
    setShowsVerticalScrollIndicator(false);
}

void HXHorizMenu::reloadData()
{
    for (const auto& view : std::vector(subviews()))
        if (std::dynamic_pointer_cast<UIButton>(view))
            view->removeFromSuperview();
    setContentOffset(CGPointZero);
    auto dataSource = m_dataSource.lock();
    if (!dataSource) {
        m_itemCount = 0;
        setContentSize(CGSizeMake(0, bounds().size.height));
        return;
    }
    auto protectedSelf = self();
    m_itemCount = dataSource->numberOfItemsForMenu(*this);
    setBackgroundColor(dataSource->backgroundColorForMenu(*this));
    m_selectedImage = dataSource->selectedItemImageForMenu(*this);
    m_itemImage = dataSource->itemImageForMenu(*this);
    m_selectedItemTitleColor = dataSource->selectedItemTitleColor(*this);
    m_itemTitleColor = dataSource->itemTitleColor(*this);
    UIFontRef font = dataSource->itemTitleFont(*this);
    if (!font)
        font = UIFont::systemFontOfSize(16);
    const CGFloat fixedWidth = dataSource->widthForItem(*this);
    const CGFloat v = dataSource->verticalPaddingInMenuBar(*this);
    const CGFloat h = dataSource->horizontalPaddingInMenuBar(*this);
    const CGFloat height = bounds().size.height;

    CGFloat x = 0;
    for (int32_t i = 0; i < m_itemCount; ++i) {
        const NSString title = dataSource->titleForItemAtIndex(*this, i);
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setTitle(title, UIControlStateNormal);
        button->titleLabel()->setFont(font);
        button->setTitleColor(m_selectedItemTitleColor, UIControlStateSelected);
        button->setTitleColor(m_itemTitleColor, UIControlStateNormal);
        button->setBackgroundImage(m_selectedImage, UIControlStateSelected);
        button->setBackgroundImage(m_selectedImage, UIControlStateHighlighted);
        if (m_itemImage)
            button->setBackgroundImage(m_itemImage, UIControlStateNormal);
        button->setTag(kItemTagBase + i);
        button->addTarget(self(), &HXHorizMenu::buttonTapped, UIControlEventTouchUpInside);
        const CGFloat w = fixedWidth > 0 ? fixedWidth
                                         : UIStringDrawing::sizeWithFont(title, font, frame().size, NSLineBreakByClipping).width;
        button->setFrame(CGRectMake(x, v, w + 2 * h, height - 2 * v));
        addSubview(button);
        x = std::trunc(std::trunc(x + w) + 2 * h);
    }
    setContentSize(CGSizeMake(x, height));
    setNeedsLayout();
}

UIButtonRef HXHorizMenu::buttonAtIndex(int32_t index) { return std::dynamic_pointer_cast<UIButton>(viewWithTag(kItemTagBase + index)); }

void HXHorizMenu::selectExclusively(NSInteger tag)
{
    for (int32_t i = 0; i < m_itemCount; ++i)
        if (auto button = buttonAtIndex(i))
            button->setSelected(button->tag() == tag);
}

void HXHorizMenu::setSelectedIndex(int32_t index, bool animated)
{
    auto button = buttonAtIndex(index);
    auto protectedSelf = self();
    if (!button) {
        // Nothing to mark or to scroll to; the delegate still hears the index.
        if (auto delegate = m_itemSelectedDelegate.lock())
            delegate->itemSelectedAtIndex(*this, NSUInteger(index));
        return;
    }
    // One item selected at a time, as a tap leaves it; the strip never scrolls past its end.
    selectExclusively(button->tag());
    const CGFloat maxX = std::max(CGFloat(0), contentSize().width - bounds().size.width);
    setContentOffset(CGPointMake(std::min(button->frame().origin.x, maxX), 0), animated);
    if (auto delegate = m_itemSelectedDelegate.lock())
        delegate->itemSelectedAtIndex(*this, NSUInteger(index));
}

void HXHorizMenu::buttonTapped(UIButton& button)
{
    selectExclusively(button.tag());
    auto protectedSelf = self();
    if (auto delegate = m_itemSelectedDelegate.lock())
        delegate->itemSelectedAtIndex(*this, NSUInteger(button.tag() - kItemTagBase));
}

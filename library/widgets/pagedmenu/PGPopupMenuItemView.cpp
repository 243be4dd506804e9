#include "library/widgets/pagedmenu/PGPopupMenuItemView.h"

#include "library/widgets/pagedmenu/PGPopupMenu.h"
#include "platform/foundation/DelayedPerform.h"

void PGPopupMenuItemView::init(CGRect frame)
{
    UIView::init(frame);
    setOpaque(false);
    setBackgroundColor(UIColor::clearColor());
    setClipsToBounds(true);
    m_button = UIButton::buttonWithType(UIButtonTypeCustom);
    m_button->setFrame(bounds());
    m_button->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_button->setContentMode(UIViewContentMode::ScaleAspectFit);
    m_button->imageView()->setContentMode(UIViewContentMode::ScaleAspectFit);
    m_button->titleLabel()->setFont(UIFont::systemFontOfSize(14));
    m_button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    m_button->setTitleColor(UIColor::whiteColor(), UIControlStateHighlighted);
    m_button->addTarget(self(), &PGPopupMenuItemView::performAction, UIControlEventTouchUpInside);
    addSubview(m_button);
}

void PGPopupMenuItemView::init(const PGPopupMenuItemRef& item)
{
    init(CGRectZero);
    setItem(item);
}

void PGPopupMenuItemView::setItem(const PGPopupMenuItemRef& item)
{
    m_item = item;
    m_button->setTitle(item ? item->title() : NSString(), UIControlStateNormal);
    m_button->setImage(item ? item->image() : nullptr, UIControlStateNormal);
    m_button->setImage(item ? item->image() : nullptr, UIControlStateHighlighted);
    if (item && item->title().length() && item->image()) {
        m_button->setTitleEdgeInsets(UIEdgeInsetsMake(0, 6, 0, 0));
        m_button->setImageEdgeInsets(UIEdgeInsetsMake(0, -3, 0, 0));
    } else {
        m_button->setTitleEdgeInsets(UIEdgeInsetsZero);
        m_button->setImageEdgeInsets(UIEdgeInsetsZero);
    }
}

CGSize PGPopupMenuItemView::sizeThatFits(CGSize) const
{
    CGSize fitting = m_button->sizeThatFits(CGSizeZero);
    fitting.width += 20;
    return fitting;
}

void PGPopupMenuItemView::performAction()
{
    if (m_item && m_item->target() && m_item->action()) {
        auto action = m_item->action();
        DelayedPerform::performSelector(m_item->target(), "action", nullptr, 0, [action] { action(); });
    }
    if (auto menu = popupMenu())
        menu->dismissAnimated(true);
}

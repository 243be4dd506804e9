#include "platform/uikit/UINavigationItem.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/UINavigationBar.h"

namespace {

std::vector<UIBarButtonItemRef> withoutNil(const std::vector<UIBarButtonItemRef>& items)
{
    std::vector<UIBarButtonItemRef> kept;
    for (const auto& item : items) {
        if (item)
            kept.push_back(item);
    }
    return kept;
}

} // namespace

void UINavigationItem::changed()
{
    if (auto bar = m_bar.lock())
        bar->itemDidChange(*this);
}

void UINavigationItem::setTitle(const NSString& title)
{
    NSAssertMainThread();
    m_title = title;
    changed();
}

void UINavigationItem::setTitleView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    if (m_titleView && m_titleView != view && m_bar.lock() && m_titleView->superview() == m_bar.lock())
        m_titleView->removeFromSuperview();
    m_titleView = view;
    changed();
}

void UINavigationItem::setLeftBarButtonItem(const UIBarButtonItemRef& item, bool animated)
{
    setLeftBarButtonItems(item ? std::vector { item } : std::vector<UIBarButtonItemRef> {}, animated);
}

void UINavigationItem::setLeftBarButtonItems(const std::vector<UIBarButtonItemRef>& items, bool)
{
    NSAssertMainThread();
    m_leftItems = withoutNil(items);
    changed();
}

void UINavigationItem::setRightBarButtonItem(const UIBarButtonItemRef& item, bool animated)
{
    setRightBarButtonItems(item ? std::vector { item } : std::vector<UIBarButtonItemRef> {}, animated);
}

void UINavigationItem::setRightBarButtonItems(const std::vector<UIBarButtonItemRef>& items, bool)
{
    NSAssertMainThread();
    m_rightItems = withoutNil(items);
    changed();
}

void UINavigationItem::setBackBarButtonItem(const UIBarButtonItemRef& item)
{
    NSAssertMainThread();
    m_backItem = item;
    changed();
}

void UINavigationItem::setHidesBackButton(bool hides, bool)
{
    NSAssertMainThread();
    m_hidesBackButton = hides;
    changed();
}

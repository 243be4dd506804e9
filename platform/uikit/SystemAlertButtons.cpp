#include "platform/uikit/SystemAlertButtons.h"

#include "platform/uikit/SystemAlertStyle.h"
#include "platform/uikit/UIButton.h"

#include <algorithm>

NSInteger SystemAlertButtons::add(const NSString& title)
{
    m_titles.push_back(title.isNil() ? NSString("") : title);
    return count() - 1;
}

NSString SystemAlertButtons::titleAt(NSInteger index) const
{
    if (validIndex(index) < 0)
        return nullptr;
    return m_titles[std::size_t(index)];
}

NSInteger SystemAlertButtons::firstIndexExcept(std::initializer_list<NSInteger> excluded) const
{
    for (NSInteger index = 0; index < count(); ++index) {
        if (std::find(excluded.begin(), excluded.end(), index) == excluded.end())
            return index;
    }
    return -1;
}

std::shared_ptr<UIButton> SystemAlertButtons::buttonAt(NSInteger index) const
{
    if (index < 0 || index >= NSInteger(m_buttons.size()))
        return nullptr;
    return m_buttons[std::size_t(index)];
}

void SystemAlertButtons::rebuild(const std::function<Look(NSInteger index)>& look, UIView& separatorParent,
    const std::function<void(NSInteger index)>& tapped)
{
    for (const auto& button : m_buttons)
        button->removeFromSuperview();
    for (const auto& separator : m_separators)
        separator->removeFromSuperview();
    m_buttons.clear();
    m_separators.clear();
    const auto highlighted = SystemAlertStyle::solidImage(SystemAlertStyle::highlightColor());
    for (NSInteger index = 0; index < count(); ++index) {
        const Look chosen = look(index);
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setTitle(m_titles[std::size_t(index)], UIControlStateNormal);
        button->setTitleColor(chosen.titleColor, UIControlStateNormal);
        if (chosen.disabledTitleColor)
            button->setTitleColor(chosen.disabledTitleColor, UIControlStateDisabled);
        button->setBackgroundImage(highlighted, UIControlStateHighlighted);
        button->titleLabel()->setFont(chosen.font);
        button->addTarget(nullptr, UIControl::Action([tapped, index](UIControl&, const UIEventRef&) { tapped(index); }),
            UIControlEventTouchUpInside);
        chosen.parent->addSubview(button);
        m_buttons.push_back(button);
        auto separator = UIView::create();
        separator->setBackgroundColor(SystemAlertStyle::separatorColor());
        separatorParent.addSubview(separator);
        m_separators.push_back(separator);
    }
}

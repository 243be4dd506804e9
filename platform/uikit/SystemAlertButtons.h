#pragma once
// The buttons of the system's alert and action sheet: their titles in the order they were added,
// and, made from the titles, one button and one hairline separator each. A button shows its title
// in the panel's colour and font, turns grey while pressed, and reports its index when tapped.

#include "platform/text/UIFont.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <initializer_list>
#include <vector>

class UIButton;

class SystemAlertButtons {
public:
    struct Look {
        UIColorRef titleColor;
        // Nil: a disabled button looks like an enabled one.
        UIColorRef disabledTitleColor;
        UIFontRef font;
        std::shared_ptr<UIView> parent;
    };

    // Answers the new title's index; nil is the empty title.
    NSInteger add(const NSString& title);
    NSInteger count() const { return NSInteger(m_titles.size()); }
    // Nil for an index that names no button.
    NSString titleAt(NSInteger index) const;
    // The index when it names a button, else -1.
    NSInteger validIndex(NSInteger index) const { return index >= 0 && index < count() ? index : -1; }
    // The first index that is none of the excluded ones; -1 when there is none.
    NSInteger firstIndexExcept(std::initializer_list<NSInteger> excluded) const;

    // Nil for an index that names no button.
    std::shared_ptr<UIButton> buttonAt(NSInteger index) const;
    const std::vector<std::shared_ptr<UIButton>>& buttons() const { return m_buttons; }
    const std::vector<std::shared_ptr<UIView>>& separators() const { return m_separators; }

    // Takes the old buttons and separators away and makes new ones, in index order: each button
    // into its look's parent, then its separator into separatorParent.
    void rebuild(const std::function<Look(NSInteger index)>& look, UIView& separatorParent,
        const std::function<void(NSInteger index)>& tapped);

private:
    std::vector<NSString> m_titles;
    std::vector<std::shared_ptr<UIButton>> m_buttons;
    std::vector<std::shared_ptr<UIView>> m_separators;
};

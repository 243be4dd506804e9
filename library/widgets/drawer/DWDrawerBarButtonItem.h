#pragma once
// The drawer's navigation-bar button with three horizontal bars. From 7.0 on it is a plain image
// item with a once-drawn 26 x 26 icon; before, it carries a self-drawn menu button view whose
// colours can be set per state.
//
//     auto menu = DWDrawerBarButtonItem::create(self(), &HomeViewController::menuEvent);
//     navigationItem()->setLeftBarButtonItem(menu);

#include "library/widgets/drawer/DWDrawerMenuButtonView.h"
#include "platform/foundation/NSCoder.h"
#include "platform/uikit/UIBarButtonItem.h"

#include <any>
#include <map>
#include <string>
#include <vector>

class DWDrawerBarButtonItem : public UIBarButtonItem, public NSCoding {
    NS_OBJECT(DWDrawerBarButtonItem, UIBarButtonItem)
public:
    // The shared icon, drawn once.
    static const UIImageRef& drawerButtonItemImage();

    // Names an action so that an archived item keeps it: register each target class's actions
    // once, before items are archived or restored. The target itself is archived with the
    // item only when the same archive holds it.
    template <class T>
    static void registerAction(const std::string& name, void (T::*action)(UIBarButtonItem&))
    {
        registerNamedAction<T>(name, action);
    }
    template <class T>
    static void registerAction(const std::string& name, void (T::*action)())
    {
        registerNamedAction<T>(name, action);
    }

    void touchUpInside(UIButton& sender);
    UIColorRef menuButtonColorForState(UIControlState state) const;
    void setMenuButtonColor(const UIColorRef& color, UIControlState state);
    UIColorRef shadowColorForState(UIControlState state) const;
    void setShadowColor(const UIColorRef& color, UIControlState state);
    void setTintColor(const UIColorRef& color);

    const std::shared_ptr<DWDrawerMenuButtonView>& buttonView() const { return m_buttonView; }
    // The registered name of the action, empty when it has none.
    const std::string& actionName() const { return m_actionName; }

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    template <class T>
    void init(const std::shared_ptr<T>& target, void (T::*action)(UIBarButtonItem&))
    {
        initWithTargetAction();
        setTarget(target, action);
        m_actionName = nameOfAction<T>(action);
    }
    template <class T>
    void init(const std::shared_ptr<T>& target, void (T::*action)())
    {
        initWithTargetAction();
        setTarget(target, action);
        m_actionName = nameOfAction<T>(action);
    }
    // Takes the target and the action the archive names, when the action is registered for the
    // target's class.
    void init(NSCoder& coder);

private:
    // Sets the action of an item on a target of the registered class.
    using ActionSetter = std::function<void(DWDrawerBarButtonItem&, const id& target)>;
    struct NamedAction {
        std::string name;
        std::function<bool(const std::any&)> matches;
        ActionSetter set;
    };
    static std::map<std::string, std::vector<NamedAction>>& namedActions();

    template <class T, class Action>
    static void registerNamedAction(const std::string& name, Action action)
    {
        auto& actions = namedActions()[T::staticClassName()];
        std::erase_if(actions, [&](const NamedAction& entry) { return entry.name == name; });
        actions.push_back({ name,
            [action](const std::any& other) {
                const auto* candidate = std::any_cast<Action>(&other);
                return candidate && *candidate == action;
            },
            [action](DWDrawerBarButtonItem& item, const id& target) {
                if (auto typed = std::dynamic_pointer_cast<T>(target))
                    item.setTarget(typed, action);
            } });
    }
    template <class T, class Action>
    static std::string nameOfAction(Action action)
    {
        const auto found = namedActions().find(T::staticClassName());
        if (found == namedActions().end())
            return {};
        for (const auto& entry : found->second)
            if (entry.matches(std::any(action)))
                return entry.name;
        return {};
    }

    void initWithTargetAction();

    std::shared_ptr<DWDrawerMenuButtonView> m_buttonView;
    std::string m_actionName;
};

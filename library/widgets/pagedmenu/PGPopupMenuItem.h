#pragma once
// One entry of the paged pop-up menu: a title, an image or both, and an action sent to a weakly
// held target on the run loop's next pass after the tap.

#include "platform/uikit/UIImage.h"

#include <functional>

class PGPopupMenuItem : public NSObject {
    NS_OBJECT(PGPopupMenuItem, NSObject)
public:
    using Action = std::function<void()>;

    template <class T>
    static std::shared_ptr<PGPopupMenuItem> itemWithTitle(const NSString& title, const std::shared_ptr<T>& target, void (T::*action)())
    {
        return itemWithTitle(title, nullptr, target, action);
    }
    template <class T>
    static std::shared_ptr<PGPopupMenuItem> itemWithImage(const UIImageRef& image, const std::shared_ptr<T>& target, void (T::*action)())
    {
        return itemWithTitle(NSString(), image, target, action);
    }
    template <class T>
    static std::shared_ptr<PGPopupMenuItem> itemWithTitle(const NSString& title, const UIImageRef& image,
        const std::shared_ptr<T>& target, void (T::*action)())
    {
        std::weak_ptr<T> weakTarget = target;
        Action bound;
        if (action)
            bound = [weakTarget, action] {
                if (auto strongTarget = weakTarget.lock())
                    ((*strongTarget).*action)();
            };
        return create(title, image, std::static_pointer_cast<NSObject>(target), std::move(bound));
    }
    // Without target and action: a tap only closes the menu.
    static std::shared_ptr<PGPopupMenuItem> itemWithTitle(const NSString& title, const UIImageRef& image)
    {
        return create(title, image, nullptr, nullptr);
    }

    std::shared_ptr<NSObject> target() const { return m_target.lock(); }
    const Action& action() const { return m_action; }
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title; }
    const UIImageRef& image() const { return m_image; }
    void setImage(const UIImageRef& image) { m_image = image; }

protected:
    void init(const NSString& title, const UIImageRef& image, const std::shared_ptr<NSObject>& target, Action action)
    {
        m_title = title;
        m_image = image;
        m_target = target;
        m_action = std::move(action);
    }

private:
    std::weak_ptr<NSObject> m_target;
    Action m_action;
    NSString m_title;
    UIImageRef m_image;
};

using PGPopupMenuItemRef = std::shared_ptr<PGPopupMenuItem>;

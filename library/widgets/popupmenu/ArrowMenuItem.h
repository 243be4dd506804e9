#pragma once
// One entry of the pop-up menu with arrow: a title, an optional image and an action sent to a
// weakly held target with the item itself.
//
//     auto item = ArrowMenuItem::menuItem("收藏", nullptr, self(), &QuestionViewController::favouriteEvent, 0);

#include "platform/text/NSParagraphStyle.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"

#include <functional>

class ArrowMenuItem : public NSObject {
    NS_OBJECT(ArrowMenuItem, NSObject)
public:
    using Action = std::function<void(ArrowMenuItem&)>;

    template <class T>
    static std::shared_ptr<ArrowMenuItem> menuItem(const NSString& title, const UIImageRef& image,
        const std::shared_ptr<T>& target, void (T::*action)(ArrowMenuItem&), NSInteger index)
    {
        std::weak_ptr<T> weakTarget = target;
        Action bound;
        if (action)
            bound = [weakTarget, action](ArrowMenuItem& item) {
                if (auto strongTarget = weakTarget.lock())
                    ((*strongTarget).*action)(item);
            };
        return create(title, image, std::static_pointer_cast<NSObject>(target), std::move(bound), index);
    }
    // An item without target or action: drawn disabled.
    static std::shared_ptr<ArrowMenuItem> menuItem(const NSString& title, const UIImageRef& image, NSInteger index)
    {
        return create(title, image, nullptr, nullptr, index);
    }

    const UIImageRef& image() const { return m_image; }
    void setImage(const UIImageRef& image) { m_image = image; }
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title; }
    std::shared_ptr<NSObject> target() const { return m_target.lock(); }
    const UIColorRef& foreColor() const { return m_foreColor; }
    void setForeColor(const UIColorRef& color) { m_foreColor = color; }
    NSTextAlignment alignment() const { return m_alignment; }
    void setAlignment(NSTextAlignment alignment) { m_alignment = alignment; }
    NSInteger index() const { return m_index; }
    void setIndex(NSInteger index) { m_index = index; }

    // The target is still alive and there is an action.
    bool enabled() const;
    // Sends the action on the main thread and waits for it.
    void performAction();

    NSString description() const override;

protected:
    void init(const NSString& title, const UIImageRef& image, const std::shared_ptr<NSObject>& target, Action action, NSInteger index);

private:
    UIImageRef m_image;
    NSString m_title;
    std::weak_ptr<NSObject> m_target;
    Action m_action;
    UIColorRef m_foreColor;
    NSTextAlignment m_alignment { NSTextAlignmentLeft };
    NSInteger m_index { 0 };
};

using ArrowMenuItemRef = std::shared_ptr<ArrowMenuItem>;

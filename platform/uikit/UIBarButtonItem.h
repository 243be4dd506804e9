#pragma once
// Items of navigation bars and toolbars. An item is not a view: the bar that shows it asks it
// for one (its custom view, or a button drawn from its title, image or system item) and lays
// it out. Flexible spaces share what is left of a toolbar; fixed spaces take their width.
//
// The shared appearance item carries the title attributes and background images that items
// without their own use.

#include "platform/foundation/NSDictionary.h"
#include "platform/text/NSAttributedString.h"
#include "platform/uikit/ControlStateValues.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIImage.h"

#include <functional>
#include <map>

enum UIBarButtonItemStyle : NSInteger {
    UIBarButtonItemStylePlain = 0,
    UIBarButtonItemStyleBordered = 1,
    UIBarButtonItemStyleDone = 2,
};

enum UIBarButtonSystemItem : NSInteger {
    UIBarButtonSystemItemDone = 0,
    UIBarButtonSystemItemCancel = 1,
    UIBarButtonSystemItemEdit = 2,
    UIBarButtonSystemItemSave = 3,
    UIBarButtonSystemItemAdd = 4,
    UIBarButtonSystemItemFlexibleSpace = 5,
    UIBarButtonSystemItemFixedSpace = 6,
    UIBarButtonSystemItemCompose = 7,
    UIBarButtonSystemItemReply = 8,
    UIBarButtonSystemItemAction = 9,
    UIBarButtonSystemItemOrganize = 10,
    UIBarButtonSystemItemBookmarks = 11,
    UIBarButtonSystemItemSearch = 12,
    UIBarButtonSystemItemRefresh = 13,
    UIBarButtonSystemItemStop = 14,
    UIBarButtonSystemItemCamera = 15,
    UIBarButtonSystemItemTrash = 16,
    UIBarButtonSystemItemPlay = 17,
    UIBarButtonSystemItemPause = 18,
    UIBarButtonSystemItemRewind = 19,
    UIBarButtonSystemItemFastForward = 20,
    UIBarButtonSystemItemUndo = 21,
    UIBarButtonSystemItemRedo = 22,
    UIBarButtonSystemItemPageCurl = 23,
};

enum UIBarMetrics : NSInteger {
    UIBarMetricsDefault = 0,
    UIBarMetricsCompact = 1,
    UIBarMetricsDefaultPrompt = 101,
    UIBarMetricsCompactPrompt = 102,
    UIBarMetricsLandscapePhone = UIBarMetricsCompact,
};

class UIBarButtonItem : public NSObject {
    NS_OBJECT(UIBarButtonItem, NSObject)
public:
    using Action = std::function<void(UIBarButtonItem& sender)>;
    // No system item: a title, image or custom view item.
    static constexpr NSInteger kNoSystemItem = -1;

    // The shared item whose title attributes and background images stand in for an item's own.
    static std::shared_ptr<UIBarButtonItem> appearance();

    // Target-action: the target is held weakly; the action runs only while it lives.
    template <class T>
    void setTarget(const std::shared_ptr<T>& target, void (T::*action)(UIBarButtonItem&))
    {
        std::weak_ptr<T> weakTarget = target;
        m_target = target;
        m_action = [weakTarget, action](UIBarButtonItem& sender) {
            if (auto strongTarget = weakTarget.lock())
                ((*strongTarget).*action)(sender);
        };
    }
    template <class T>
    void setTarget(const std::shared_ptr<T>& target, void (T::*action)())
    {
        std::weak_ptr<T> weakTarget = target;
        m_target = target;
        m_action = [weakTarget, action](UIBarButtonItem&) {
            if (auto strongTarget = weakTarget.lock())
                ((*strongTarget).*action)();
        };
    }
    // A block, kept for the item's lifetime.
    void setAction(Action action)
    {
        m_target.reset();
        m_action = std::move(action);
    }
    std::shared_ptr<NSObject> target() const { return m_target.lock(); }
    bool hasAction() const { return static_cast<bool>(m_action); }
    // What a tap on the item's view does; nothing while disabled.
    void sendAction();

    UIBarButtonItemStyle style() const { return m_style; }
    void setStyle(UIBarButtonItemStyle style);
    NSInteger systemItem() const { return m_systemItem; }
    bool isFlexibleSpace() const { return m_systemItem == UIBarButtonSystemItemFlexibleSpace; }
    bool isFixedSpace() const { return m_systemItem == UIBarButtonSystemItemFixedSpace; }
    bool isSpace() const { return isFlexibleSpace() || isFixedSpace(); }

    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title);
    const UIImageRef& image() const { return m_image; }
    void setImage(const UIImageRef& image);
    NSInteger tag() const { return m_tag; }
    void setTag(NSInteger tag) { m_tag = tag; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // The width of a fixed space, or of the item's button; 0 fits the contents.
    CGFloat width() const { return m_width; }
    void setWidth(CGFloat width);
    const UIColorRef& tintColor() const { return m_tintColor; }
    void setTintColor(const UIColorRef& color);
    const std::shared_ptr<UIView>& customView() const { return m_customView; }
    void setCustomView(const std::shared_ptr<UIView>& view);

    // Font and colour of the title per control state (NSFontAttributeName,
    // NSForegroundColorAttributeName); a state without its own takes the normal state's, then the
    // appearance item's.
    void setTitleTextAttributes(const NSAttributes& attributes, UIControlState state);
    NSAttributes titleTextAttributesForState(UIControlState state) const;
    void setBackgroundImage(const UIImageRef& image, UIControlState state, UIBarMetrics metrics);
    UIImageRef backgroundImageForState(UIControlState state, UIBarMetrics metrics) const;

    // The title a system item shows (in the device's language), nil for drawn ones.
    static NSString titleForSystemItem(UIBarButtonSystemItem item);

    // The view a bar shows for the item, made once; nil for spaces.
    std::shared_ptr<UIView> view();
    // The width the item takes in a bar, spaces included (flexible ones: 0).
    CGFloat layoutWidth();

protected:
    void init();
    void init(const NSString& title, UIBarButtonItemStyle style);
    void init(const UIImageRef& image, UIBarButtonItemStyle style);
    void init(UIBarButtonSystemItem systemItem);
    void init(const std::shared_ptr<UIView>& customView);

private:
    void contentsDidChange();

    NSString m_title;
    UIImageRef m_image;
    UIBarButtonItemStyle m_style { UIBarButtonItemStylePlain };
    NSInteger m_systemItem { kNoSystemItem };
    NSInteger m_tag { 0 };
    bool m_enabled { true };
    CGFloat m_width { 0 };
    UIColorRef m_tintColor;
    std::shared_ptr<UIView> m_customView;
    std::shared_ptr<UIControl> m_button;
    std::weak_ptr<NSObject> m_target;
    Action m_action;
    ControlStateValues<NSAttributes> m_titleAttributes;
    std::map<UIBarMetrics, ControlStateValues<UIImageRef>> m_backgroundImages;
};

using UIBarButtonItemRef = std::shared_ptr<UIBarButtonItem>;

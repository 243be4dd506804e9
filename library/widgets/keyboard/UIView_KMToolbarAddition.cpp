#include "library/widgets/keyboard/UIView_KMToolbarAddition.h"

#include "library/widgets/keyboard/KMBarButtonItem.h"
#include "library/widgets/keyboard/KMSegmentedNextPrevious.h"
#include "library/widgets/keyboard/KMTitleBarButtonItem.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UITextView.h"

namespace KMToolbarAddition {

namespace {

struct ViewValues {
    std::weak_ptr<UIView> view;
    bool shouldHideTitle { false };
    std::function<void(UIView&)> previous, next, done;
};

std::vector<ViewValues>& allValues()
{
    static std::vector<ViewValues> values;
    std::erase_if(values, [](const ViewValues& entry) { return entry.view.expired(); });
    return values;
}

const ViewValues* valuesOf(const UIView& view)
{
    for (const auto& entry : allValues())
        if (entry.view.lock().get() == &view)
            return &entry;
    return nullptr;
}

ViewValues& valuesFor(const UIViewRef& view)
{
    auto& values = allValues();
    for (auto& entry : values)
        if (entry.view.lock() == view)
            return entry;
    ViewValues entry;
    entry.view = view;
    values.push_back(std::move(entry));
    return values.back();
}

bool takesAccessoryView(const UIView& view)
{
    return dynamic_cast<const UITextField*>(&view) || dynamic_cast<const UITextView*>(&view);
}

std::shared_ptr<KMToolbar> makeToolbar(const UIView& view)
{
    auto toolbar = KMToolbar::create();
    if (auto traits = dynamic_cast<const UITextInputTraits*>(&view))
        toolbar->setBarStyle(traits->keyboardAppearance() == UIKeyboardAppearance::Dark ? UIBarStyleBlack : UIBarStyleDefault);
    return toolbar;
}

bool wantsTitle(const UIView& view, const NSString& titleText) { return titleText.length() > 0 && !shouldHideTitle(view); }

UIBarButtonItemRef textButton(const NSString& title, UIBarButtonItemStyle style, Action action)
{
    auto item = KMBarButtonItem::create(title, style);
    item->setAction(std::move(action));
    return item;
}

UIBarButtonItemRef systemButton(UIBarButtonSystemItem system, Action action)
{
    auto item = KMBarButtonItem::create(system);
    item->setAction(std::move(action));
    return item;
}

UIBarButtonItemRef flexibleSpace() { return UIBarButtonItem::create(UIBarButtonSystemItemFlexibleSpace); }

UIBarButtonItemRef titleItem(CGFloat width, const NSString& title)
{
    return KMTitleBarButtonItem::create(CGRectMake(0, 0, std::max<CGFloat>(width, 0), 44), title);
}

void install(UIView& view, const std::shared_ptr<KMToolbar>& toolbar, std::vector<UIBarButtonItemRef> items)
{
    toolbar->setItems(items);
    setInputAccessoryView(view, toolbar);
}

} // namespace

bool shouldHideTitle(const UIView& view)
{
    const auto* values = valuesOf(view);
    return values && values->shouldHideTitle;
}

void setShouldHideTitle(const UIViewRef& view, bool hide) { valuesFor(view).shouldHideTitle = hide; }
void setCustomPreviousAction(const UIViewRef& view, std::function<void(UIView&)> action) { valuesFor(view).previous = std::move(action); }
void setCustomNextAction(const UIViewRef& view, std::function<void(UIView&)> action) { valuesFor(view).next = std::move(action); }
void setCustomDoneAction(const UIViewRef& view, std::function<void(UIView&)> action) { valuesFor(view).done = std::move(action); }

std::function<void(UIView&)> previousAction(const UIView& view)
{
    const auto* values = valuesOf(view);
    return values ? values->previous : nullptr;
}

std::function<void(UIView&)> nextAction(const UIView& view)
{
    const auto* values = valuesOf(view);
    return values ? values->next : nullptr;
}

std::function<void(UIView&)> doneAction(const UIView& view)
{
    const auto* values = valuesOf(view);
    return values ? values->done : nullptr;
}

NSString placeholderOf(const UIView& view)
{
    if (auto field = dynamic_cast<const UITextField*>(&view))
        return field->placeholder();
    return NSString();
}

UIViewRef inputAccessoryViewOf(const UIView& view)
{
    if (!takesAccessoryView(view))
        return nullptr;
    return view.inputAccessoryView();
}

bool setInputAccessoryView(UIView& view, const UIViewRef& accessory)
{
    if (auto field = dynamic_cast<UITextField*>(&view))
        field->setInputAccessoryView(accessory);
    else if (auto text = dynamic_cast<UITextView*>(&view))
        text->setInputAccessoryView(accessory);
    else
        return false;
    return true;
}

void addRightButtonOnKeyboardWithText(const UIViewRef& view, const NSString& text, Action action, const NSString& titleText)
{
    if (!view || !takesAccessoryView(*view))
        return;
    auto toolbar = makeToolbar(*view);
    std::vector<UIBarButtonItemRef> items;
    if (wantsTitle(*view, titleText))
        items.push_back(titleItem(toolbar->frame().size.width - 50 - 24, titleText));
    items.push_back(flexibleSpace());
    items.push_back(textButton(text, UIBarButtonItemStyleDone, std::move(action)));
    install(*view, toolbar, std::move(items));
}

void addDoneOnKeyboard(const UIViewRef& view, Action action, const NSString& titleText)
{
    if (!view || !takesAccessoryView(*view))
        return;
    auto toolbar = makeToolbar(*view);
    std::vector<UIBarButtonItemRef> items;
    if (wantsTitle(*view, titleText))
        items.push_back(titleItem(toolbar->frame().size.width - 64 - 12, titleText));
    items.push_back(flexibleSpace());
    items.push_back(systemButton(UIBarButtonSystemItemDone, std::move(action)));
    install(*view, toolbar, std::move(items));
}

void addRightLeftOnKeyboard(const UIViewRef& view, const NSString& leftButtonTitle, const NSString& rightButtonTitle,
    Action rightButtonAction, Action leftButtonAction, const NSString& titleText)
{
    if (!view || !takesAccessoryView(*view))
        return;
    auto toolbar = makeToolbar(*view);
    std::vector<UIBarButtonItemRef> items { textButton(leftButtonTitle, UIBarButtonItemStylePlain, std::move(leftButtonAction)) };
    if (wantsTitle(*view, titleText))
        items.push_back(titleItem(toolbar->frame().size.width - 66 - 50 - 16, titleText));
    items.push_back(flexibleSpace());
    items.push_back(textButton(rightButtonTitle, UIBarButtonItemStylePlain, std::move(rightButtonAction)));
    install(*view, toolbar, std::move(items));
}

void addCancelDoneOnKeyboard(const UIViewRef& view, Action cancelAction, Action doneAction, const NSString& titleText)
{
    if (!view || !takesAccessoryView(*view))
        return;
    auto toolbar = makeToolbar(*view);
    std::vector<UIBarButtonItemRef> items { systemButton(UIBarButtonSystemItemCancel, std::move(cancelAction)) };
    if (wantsTitle(*view, titleText))
        items.push_back(titleItem(toolbar->frame().size.width - 66 - 50 - 16, titleText));
    items.push_back(flexibleSpace());
    items.push_back(systemButton(UIBarButtonSystemItemDone, std::move(doneAction)));
    install(*view, toolbar, std::move(items));
}

void addPreviousNextDoneOnKeyboard(const UIViewRef& view, Action previousAction, Action nextAction, Action doneAction,
    const NSString& titleText)
{
    if (!view || !takesAccessoryView(*view))
        return;
    auto toolbar = makeToolbar(*view);
    auto previous = KMBarButtonItem::create(KMBundleImage("KMButtonBarArrowLeft"), UIBarButtonItemStylePlain);
    previous->setAction(std::move(previousAction));
    auto gap = UIBarButtonItem::create(UIBarButtonSystemItemFixedSpace);
    gap->setWidth(23);
    auto next = KMBarButtonItem::create(KMBundleImage("KMButtonBarArrowRight"), UIBarButtonItemStylePlain);
    next->setAction(std::move(nextAction));
    std::vector<UIBarButtonItemRef> items { previous, gap, next };
    if (wantsTitle(*view, titleText))
        items.push_back(titleItem(toolbar->frame().size.width - 72.5 - 50 - 16, titleText));
    items.push_back(flexibleSpace());
    items.push_back(systemButton(UIBarButtonSystemItemDone, std::move(doneAction)));
    install(*view, toolbar, std::move(items));
}

void setEnablePrevious(const UIViewRef& view, bool previous, bool next)
{
    if (!view)
        return;
    auto toolbar = std::dynamic_pointer_cast<KMToolbar>(inputAccessoryViewOf(*view));
    if (!toolbar || toolbar->items().empty())
        return;
    const auto& items = toolbar->items();
    if (items.size() > 3) {
        auto first = std::dynamic_pointer_cast<KMBarButtonItem>(items[0]);
        auto third = std::dynamic_pointer_cast<KMBarButtonItem>(items[2]);
        if (first && third) {
            if (first->isEnabled() != previous)
                first->setEnabled(previous);
            if (third->isEnabled() != next)
                third->setEnabled(next);
            return;
        }
    }
    if (auto first = std::dynamic_pointer_cast<KMBarButtonItem>(items[0])) {
        if (auto segments = std::dynamic_pointer_cast<KMSegmentedNextPrevious>(first->customView()); segments && segments->numberOfSegments() == 2) {
            if (segments->isEnabledForSegmentAtIndex(0) != previous)
                segments->setEnabled(previous, 0);
            if (segments->isEnabledForSegmentAtIndex(1) != next)
                segments->setEnabled(next, 1);
        }
    }
}

} // namespace KMToolbarAddition

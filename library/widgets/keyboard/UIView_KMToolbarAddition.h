#pragma once
// Builders that hang a KMToolbar on a text field or text view as its input accessory view, and
// the per-view values the keyboard manager reads (title hiding, what runs after Previous, Next
// and Done). A view that cannot take an accessory view is left alone.

#include "library/widgets/keyboard/KMToolbar.h"

namespace KMToolbarAddition {

using Action = std::function<void(UIBarButtonItem& sender)>;

bool shouldHideTitle(const UIView& view);
void setShouldHideTitle(const UIViewRef& view, bool hide);
// Run by the keyboard manager after a successful move or resign, with the view.
void setCustomPreviousAction(const UIViewRef& view, std::function<void(UIView&)> action);
void setCustomNextAction(const UIViewRef& view, std::function<void(UIView&)> action);
void setCustomDoneAction(const UIViewRef& view, std::function<void(UIView&)> action);
std::function<void(UIView&)> previousAction(const UIView& view);
std::function<void(UIView&)> nextAction(const UIView& view);
std::function<void(UIView&)> doneAction(const UIView& view);

// The view's placeholder when it has one, for the title of its bar.
NSString placeholderOf(const UIView& view);

void addRightButtonOnKeyboardWithText(const UIViewRef& view, const NSString& text, Action action, const NSString& titleText);
void addDoneOnKeyboard(const UIViewRef& view, Action action, const NSString& titleText);
void addRightLeftOnKeyboard(const UIViewRef& view, const NSString& leftButtonTitle, const NSString& rightButtonTitle,
    Action rightButtonAction, Action leftButtonAction, const NSString& titleText);
void addCancelDoneOnKeyboard(const UIViewRef& view, Action cancelAction, Action doneAction, const NSString& titleText);
void addPreviousNextDoneOnKeyboard(const UIViewRef& view, Action previousAction, Action nextAction, Action doneAction,
    const NSString& titleText);

// Only on the arrows of a Previous / Next / Done bar.
void setEnablePrevious(const UIViewRef& view, bool previous, bool next);

// The accessory view of a text field or text view; nil for other views.
UIViewRef inputAccessoryViewOf(const UIView& view);
bool setInputAccessoryView(UIView& view, const UIViewRef& accessory);

} // namespace KMToolbarAddition

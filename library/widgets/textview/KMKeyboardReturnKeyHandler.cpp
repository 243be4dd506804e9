#include "library/widgets/textview/KMKeyboardReturnKeyHandler.h"

#include "library/widgets/keyboard/UIView_KMHierarchy.h"

#include <algorithm>

namespace {

template <class Delegate, class Call>
auto askDelegate(const std::weak_ptr<Delegate>& weakDelegate, Call call) -> decltype(call(std::declval<Delegate&>()))
{
    if (auto delegate = weakDelegate.lock())
        return call(*delegate);
    return {};
}

} // namespace

void KMKeyboardReturnKeyHandler::init(const std::shared_ptr<UIViewController>& controller)
{
    if (controller)
        addResponderFromView(controller->view());
}

KMKeyboardReturnKeyHandler::~KMKeyboardReturnKeyHandler()
{
    for (const auto& info : m_textFieldInfoCache)
        restore(info);
    m_textFieldInfoCache.clear();
}

void KMKeyboardReturnKeyHandler::restore(const TextFieldInfo& info)
{
    auto view = info.textField.lock();
    if (auto field = std::dynamic_pointer_cast<UITextField>(view)) {
        field->setReturnKeyType(info.returnKeyType);
        field->setDelegate(info.textFieldDelegate.lock());
    } else if (auto textView = std::dynamic_pointer_cast<UITextView>(view)) {
        textView->setReturnKeyType(info.returnKeyType);
        textView->setDelegate(info.textViewDelegate.lock());
    }
}

void KMKeyboardReturnKeyHandler::setLastTextFieldReturnKeyType(UIReturnKeyType type)
{
    m_lastTextFieldReturnKeyType = type;
    const auto cache = m_textFieldInfoCache;
    for (const auto& info : cache)
        if (auto view = info.textField.lock())
            updateReturnKeyTypeOnTextField(view);
}

void KMKeyboardReturnKeyHandler::addResponderFromView(const UIViewRef& view)
{
    if (!view)
        return;
    for (const auto& field : KM_UIView_Hierarchy::deepResponderViews(*view))
        addTextFieldView(field);
}

void KMKeyboardReturnKeyHandler::removeResponderFromView(const UIViewRef& view)
{
    if (!view)
        return;
    for (const auto& field : KM_UIView_Hierarchy::deepResponderViews(*view))
        removeTextFieldView(field);
}

void KMKeyboardReturnKeyHandler::addTextFieldView(const UIViewRef& view)
{
    if (!view || textFieldCachedInfo(*view))
        return;
    TextFieldInfo info;
    info.textField = view;
    if (auto field = std::dynamic_pointer_cast<UITextField>(view)) {
        info.returnKeyType = field->returnKeyType();
        info.textFieldDelegate = field->delegate();
        field->setDelegate(self());
    } else if (auto textView = std::dynamic_pointer_cast<UITextView>(view)) {
        info.returnKeyType = textView->returnKeyType();
        info.textViewDelegate = textView->delegate();
        textView->setDelegate(self());
    } else {
        return;
    }
    m_textFieldInfoCache.push_back(std::move(info));
}

void KMKeyboardReturnKeyHandler::removeTextFieldView(const UIViewRef& view)
{
    if (!view)
        return;
    auto found = std::find_if(m_textFieldInfoCache.begin(), m_textFieldInfoCache.end(),
        [&view](const TextFieldInfo& info) { return info.textField.lock() == view; });
    if (found == m_textFieldInfoCache.end())
        return;
    restore(*found);
    m_textFieldInfoCache.erase(found);
}

const KMKeyboardReturnKeyHandler::TextFieldInfo* KMKeyboardReturnKeyHandler::textFieldCachedInfo(const UIView& view) const
{
    for (const auto& info : m_textFieldInfoCache)
        if (info.textField.lock().get() == &view)
            return &info;
    return nullptr;
}

std::vector<UIViewRef> KMKeyboardReturnKeyHandler::orderedGroup(const UIView& view) const
{
    if (auto table = KM_UIView_Hierarchy::superTableView(view))
        return KM_UIView_Hierarchy::deepResponderViews(*table);
    auto siblings = KM_UIView_Hierarchy::responderSiblings(view);
    if (m_toolbarManageBehaviour == 1)
        return KM_UIView_Hierarchy::sortedArrayByTag(std::move(siblings));
    if (m_toolbarManageBehaviour == 2)
        return KM_UIView_Hierarchy::sortedArrayByPosition(std::move(siblings));
    return siblings;
}

void KMKeyboardReturnKeyHandler::updateReturnKeyTypeOnTextField(const UIViewRef& view)
{
    if (!view)
        return;
    const auto group = orderedGroup(*view);
    const bool last = !group.empty() && group.back() == view;
    const UIReturnKeyType type = last ? m_lastTextFieldReturnKeyType : UIReturnKeyType::Next;
    if (auto field = std::dynamic_pointer_cast<UITextField>(view))
        field->setReturnKeyType(type);
    else if (auto textView = std::dynamic_pointer_cast<UITextView>(view))
        textView->setReturnKeyType(type);
}

void KMKeyboardReturnKeyHandler::goToNextResponderOrResign(const UIViewRef& view)
{
    if (!view)
        return;
    const auto group = orderedGroup(*view);
    auto found = std::find(group.begin(), group.end(), view);
    if (found == group.end())
        return;
    if (found + 1 != group.end())
        (*(found + 1))->becomeFirstResponder();
    else
        view->resignFirstResponder();
}

// MARK: Text field delegate

std::optional<bool> KMKeyboardReturnKeyHandler::textFieldShouldBeginEditing(UITextField& field)
{
    return askDelegate(m_textFieldDelegate, [&](UITextFieldDelegate& d) { return d.textFieldShouldBeginEditing(field); }).value_or(true);
}

void KMKeyboardReturnKeyHandler::textFieldDidBeginEditing(UITextField& field)
{
    updateReturnKeyTypeOnTextField(field.self());
    if (auto delegate = m_textFieldDelegate.lock())
        delegate->textFieldDidBeginEditing(field);
}

std::optional<bool> KMKeyboardReturnKeyHandler::textFieldShouldEndEditing(UITextField& field)
{
    return askDelegate(m_textFieldDelegate, [&](UITextFieldDelegate& d) { return d.textFieldShouldEndEditing(field); }).value_or(true);
}

void KMKeyboardReturnKeyHandler::textFieldDidEndEditing(UITextField& field)
{
    if (auto delegate = m_textFieldDelegate.lock())
        delegate->textFieldDidEndEditing(field);
}

std::optional<bool> KMKeyboardReturnKeyHandler::shouldChangeCharactersInRange(UITextField& field, NSRange range, const NSString& replacementString)
{
    return askDelegate(m_textFieldDelegate, [&](UITextFieldDelegate& d) {
        return d.shouldChangeCharactersInRange(field, range, replacementString);
    }).value_or(true);
}

std::optional<bool> KMKeyboardReturnKeyHandler::textFieldShouldClear(UITextField& field)
{
    return askDelegate(m_textFieldDelegate, [&](UITextFieldDelegate& d) { return d.textFieldShouldClear(field); }).value_or(true);
}

std::optional<bool> KMKeyboardReturnKeyHandler::textFieldShouldReturn(UITextField& field)
{
    const auto answer = askDelegate(m_textFieldDelegate, [&](UITextFieldDelegate& d) { return d.textFieldShouldReturn(field); });
    if (answer.has_value() && !*answer)
        return false;
    goToNextResponderOrResign(field.self());
    return true;
}

// MARK: Text view delegate

std::optional<bool> KMKeyboardReturnKeyHandler::textViewShouldBeginEditing(UITextView& view)
{
    return askDelegate(m_textViewDelegate, [&](UITextViewDelegate& d) { return d.textViewShouldBeginEditing(view); }).value_or(true);
}

std::optional<bool> KMKeyboardReturnKeyHandler::textViewShouldEndEditing(UITextView& view)
{
    return askDelegate(m_textViewDelegate, [&](UITextViewDelegate& d) { return d.textViewShouldEndEditing(view); }).value_or(true);
}

void KMKeyboardReturnKeyHandler::textViewDidBeginEditing(UITextView& view)
{
    updateReturnKeyTypeOnTextField(view.self());
    if (auto delegate = m_textViewDelegate.lock())
        delegate->textViewDidBeginEditing(view);
}

void KMKeyboardReturnKeyHandler::textViewDidEndEditing(UITextView& view)
{
    if (auto delegate = m_textViewDelegate.lock())
        delegate->textViewDidEndEditing(view);
}

std::optional<bool> KMKeyboardReturnKeyHandler::shouldChangeTextInRange(UITextView& view, NSRange range, const NSString& replacementText)
{
    const auto answer = askDelegate(m_textViewDelegate, [&](UITextViewDelegate& d) {
        return d.shouldChangeTextInRange(view, range, replacementText);
    });
    if (answer.has_value() && !*answer)
        return false;
    if (replacementText == NSString("\n"))
        goToNextResponderOrResign(view.self());
    return true;
}

void KMKeyboardReturnKeyHandler::textViewDidChange(UITextView& view)
{
    if (auto delegate = m_textViewDelegate.lock())
        delegate->textViewDidChange(view);
}

void KMKeyboardReturnKeyHandler::textViewDidChangeSelection(UITextView& view)
{
    if (auto delegate = m_textViewDelegate.lock())
        delegate->textViewDidChangeSelection(view);
}

std::optional<bool> KMKeyboardReturnKeyHandler::shouldInteractWithURL(UITextView& view, const std::shared_ptr<NSURL>& url, NSRange range)
{
    return askDelegate(m_textViewDelegate, [&](UITextViewDelegate& d) { return d.shouldInteractWithURL(view, url, range); }).value_or(true);
}

std::optional<bool> KMKeyboardReturnKeyHandler::shouldInteractWithTextAttachment(UITextView& view, const id& attachment, NSRange range)
{
    return askDelegate(m_textViewDelegate, [&](UITextViewDelegate& d) {
        return d.shouldInteractWithTextAttachment(view, attachment, range);
    }).value_or(true);
}

#pragma once
// Turns the Return key of a screen's text fields and text views into a key that goes on to the
// next field: the handler becomes every field's delegate, shows Next on each but the last (which
// shows lastTextFieldReturnKeyType), moves on at Return and resigns the keyboard at the last
// field. Every delegate call is passed on to the handler's own delegate. Fields and their earlier
// delegates are held weakly, and get their own return key and delegate back when removed or when
// the handler goes.
//
//     m_returnKeyHandler = KMKeyboardReturnKeyHandler::create(self());
//     m_returnKeyHandler->setLastTextFieldReturnKeyType(UIReturnKeyType::Done);

#include "platform/uikit/UITextField.h"
#include "platform/uikit/UITextView.h"
#include "platform/uikit/UIViewController.h"

#include <optional>
#include <type_traits>
#include <vector>

class KMKeyboardReturnKeyHandler : public NSObject, public UITextFieldDelegate, public UITextViewDelegate {
    NS_OBJECT(KMKeyboardReturnKeyHandler, NSObject)
public:
    // What the handler keeps of a field it took over.
    struct TextFieldInfo {
        std::weak_ptr<UIView> textField;
        UIReturnKeyType returnKeyType { UIReturnKeyType::Default };
        std::weak_ptr<UITextFieldDelegate> textFieldDelegate;
        std::weak_ptr<UITextViewDelegate> textViewDelegate;
    };

    ~KMKeyboardReturnKeyHandler() override;

    // The delegate answers for the text fields, the text views, or both.
    template <class T>
    void setDelegate(const std::shared_ptr<T>& delegate)
    {
        if constexpr (std::is_base_of_v<UITextFieldDelegate, T>)
            m_textFieldDelegate = delegate;
        else
            m_textFieldDelegate.reset();
        if constexpr (std::is_base_of_v<UITextViewDelegate, T>)
            m_textViewDelegate = delegate;
        else
            m_textViewDelegate.reset();
    }
    NSInteger toolbarManageBehaviour() const { return m_toolbarManageBehaviour; }
    void setToolbarManageBehaviour(NSInteger behaviour) { m_toolbarManageBehaviour = behaviour; }
    UIReturnKeyType lastTextFieldReturnKeyType() const { return m_lastTextFieldReturnKeyType; }
    void setLastTextFieldReturnKeyType(UIReturnKeyType type);

    void addResponderFromView(const UIViewRef& view);
    void removeResponderFromView(const UIViewRef& view);
    void addTextFieldView(const UIViewRef& view);
    void removeTextFieldView(const UIViewRef& view);
    const TextFieldInfo* textFieldCachedInfo(const UIView& view) const;
    void updateReturnKeyTypeOnTextField(const UIViewRef& view);
    void goToNextResponderOrResign(const UIViewRef& view);

    // UITextFieldDelegate
    std::optional<bool> textFieldShouldBeginEditing(UITextField& field) override;
    void textFieldDidBeginEditing(UITextField& field) override;
    std::optional<bool> textFieldShouldEndEditing(UITextField& field) override;
    void textFieldDidEndEditing(UITextField& field) override;
    std::optional<bool> shouldChangeCharactersInRange(UITextField& field, NSRange range, const NSString& replacementString) override;
    std::optional<bool> textFieldShouldClear(UITextField& field) override;
    std::optional<bool> textFieldShouldReturn(UITextField& field) override;

    // UITextViewDelegate
    std::optional<bool> textViewShouldBeginEditing(UITextView& view) override;
    std::optional<bool> textViewShouldEndEditing(UITextView& view) override;
    void textViewDidBeginEditing(UITextView& view) override;
    void textViewDidEndEditing(UITextView& view) override;
    std::optional<bool> shouldChangeTextInRange(UITextView& view, NSRange range, const NSString& replacementText) override;
    void textViewDidChange(UITextView& view) override;
    void textViewDidChangeSelection(UITextView& view) override;
    std::optional<bool> shouldInteractWithURL(UITextView& view, const std::shared_ptr<NSURL>& url, NSRange range) override;
    std::optional<bool> shouldInteractWithTextAttachment(UITextView& view, const id& attachment, NSRange range) override;

protected:
    void init(const std::shared_ptr<UIViewController>& controller);

private:
    std::vector<UIViewRef> orderedGroup(const UIView& view) const;
    static void restore(const TextFieldInfo& info);

    std::vector<TextFieldInfo> m_textFieldInfoCache;
    std::weak_ptr<UITextFieldDelegate> m_textFieldDelegate;
    std::weak_ptr<UITextViewDelegate> m_textViewDelegate;
    NSInteger m_toolbarManageBehaviour { 0 };
    UIReturnKeyType m_lastTextFieldReturnKeyType { UIReturnKeyType::Default };
};

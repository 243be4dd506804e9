#pragma once
// A search field on a bar: a rounded text field with a magnifier and a placeholder over the
// bar's background (its background image when set). Editing goes to the delegate; Return is the
// search key and reports the search button.

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UITextField.h"

#include <optional>

class UISearchBar;

class UISearchBarDelegate {
public:
    virtual ~UISearchBarDelegate() = default;
    virtual std::optional<bool> searchBarShouldBeginEditing(UISearchBar&) { return std::nullopt; }
    virtual void searchBarTextDidBeginEditing(UISearchBar&) { }
    virtual void searchBarTextDidEndEditing(UISearchBar&) { }
    virtual void textDidChange(UISearchBar&, const NSString& searchText) { (void)searchText; }
    virtual void searchBarSearchButtonClicked(UISearchBar&) { }
};

class UISearchBar : public UIView {
    NS_OBJECT(UISearchBar, UIView)
public:
    static constexpr CGFloat kHeight = 44;

    NSString text() const { return m_field->text(); }
    // Set in code: no delegate call.
    void setText(const NSString& text) { m_field->setText(text); }
    NSString placeholder() const { return m_field->placeholder(); }
    void setPlaceholder(const NSString& placeholder) { m_field->setPlaceholder(placeholder); }
    UIImageRef backgroundImage() const { return m_background->image(); }
    // Replaces the bar's grey; a clear image lets the background colour show.
    void setBackgroundImage(const UIImageRef& image);

    std::shared_ptr<UISearchBarDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UISearchBarDelegate>& delegate) { m_delegate = delegate; }

    // The field inside, for tests and for the keyboard.
    const std::shared_ptr<UITextField>& searchField() const { return m_field; }

    bool becomeFirstResponder() override { return m_field->becomeFirstResponder(); }
    bool resignFirstResponder() override { return m_field->resignFirstResponder(); }

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;

protected:
    void init(CGRect frame) override;

private:
    class FieldLink;

    std::shared_ptr<UIImageView> m_background;
    std::shared_ptr<UITextField> m_field;
    std::shared_ptr<FieldLink> m_link;
    std::weak_ptr<UISearchBarDelegate> m_delegate;
};

using UISearchBarRef = std::shared_ptr<UISearchBar>;

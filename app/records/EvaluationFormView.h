#pragma once
// The evaluation form of the school and of a coach: one row per item with five half stars, and
// a comment of at most 100 characters. A paste or typing that would pass the limit is cut to it.

#include "app/records/StarRatingView.h"
#include "platform/foundation/NSArray.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITextView.h"

class EvaluationFormView : public UIView, public UITextViewDelegate {
    NS_OBJECT(EvaluationFormView, UIView)
public:
    static constexpr NSUInteger kCommentLimit = 100;

    // Item rows with ITEMID and ITEMNAME; the form is built anew.
    void setItems(const std::shared_ptr<NSArray>& items);
    const std::shared_ptr<NSArray>& items() const { return m_items; }
    const std::vector<std::shared_ptr<StarRatingView>>& stars() const { return m_stars; }
    const std::shared_ptr<UITextView>& commentView() const { return m_comment; }
    // The height the form needs.
    CGFloat formHeight() const { return m_height; }

    bool everyItemScored() const;
    // "01,02,.." and "4.5,5,.." in item order.
    NSString itemIds() const;
    NSString scores() const;
    NSString comment() const;

    std::optional<bool> shouldChangeTextInRange(UITextView& textView, NSRange range, const NSString& replacementText) override;
    void textViewDidChange(UITextView& textView) override;

private:
    void updateCounter();

    std::shared_ptr<NSArray> m_items;
    std::vector<std::shared_ptr<StarRatingView>> m_stars;
    std::shared_ptr<UITextView> m_comment;
    std::shared_ptr<UILabel> m_counter;
    std::shared_ptr<UILabel> m_placeholder;
    CGFloat m_height { 0 };
};

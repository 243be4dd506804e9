#pragma once
// A record's face photos and the appeal of it: the reason typed, sent, and kept when sending fails.

#include "app/records/RecordsListScreen.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UITextView.h"

class AppealProcessViewController : public RecordsListScreen, public UITextViewDelegate {
    NS_OBJECT(AppealProcessViewController, RecordsListScreen)
public:
    // Characters of a reason the appeal service takes.
    static constexpr NSUInteger kReasonLimit = 200;

    NSString screenTitle() const override { return NSString("学时申诉"); }
    void loadView() override;
    void loadData() override;
    void submitEvent(UIControl&);

    const std::shared_ptr<NSDictionary>& record() const { return m_record; }
    void setRecord(const std::shared_ptr<NSDictionary>& record) { m_record = record; }
    const std::shared_ptr<UITextView>& reasonView() const { return m_reason; }
    const std::vector<std::shared_ptr<UIImageView>>& photoViews() const { return m_photos; }
    const std::shared_ptr<UILabel>& reasonCounter() const { return m_counter; }

    std::optional<bool> shouldChangeTextInRange(UITextView& textView, NSRange range, const NSString& replacementText) override;
    void textViewDidChange(UITextView& textView) override;

private:
    void showPhotos(const id& reply);
    void updateCounter();
    std::shared_ptr<NSDictionary> m_record;
    std::shared_ptr<UIView> m_photoRow;
    std::vector<std::shared_ptr<UIImageView>> m_photos;
    std::shared_ptr<UITextView> m_reason;
    std::shared_ptr<UILabel> m_counter;
};

#pragma once
// A letter to the transport authority: a title and the text on a ruled pad, sent by
// "addMailMethod". What the learner wrote stays on the screen until a send succeeds.

#include "app/records/NoteView.h"
#include "app/records/RecordsListScreen.h"
#include "platform/uikit/UITextField.h"

class MailViewController : public RecordsListScreen {
    NS_OBJECT(MailViewController, RecordsListScreen)
public:
    static constexpr NSUInteger kTitleLimit = 30;
    static constexpr NSUInteger kContentLimit = 500;

    NSString screenTitle() const override { return NSString("运管信箱"); }
    void loadView() override;
    void sendEvent(UIControl&);

    const std::shared_ptr<UITextField>& titleField() const { return m_titleField; }
    const std::shared_ptr<NoteView>& noteView() const { return m_noteView; }

private:
    void sent(const id& reply);
    std::shared_ptr<UITextField> m_titleField;
    std::shared_ptr<NoteView> m_noteView;
};

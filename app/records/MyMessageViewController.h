#pragma once
// The notices of the learner's region, newest first, unread ones marked; a tap shows the notice
// as a card over the screen and remembers it as read.

#include "app/records/NoticeView.h"
#include "app/records/RecordsListScreen.h"
#include "platform/foundation/NSArray.h"

class MyMessageViewController : public RecordsListScreen {
    NS_OBJECT(MyMessageViewController, RecordsListScreen)
public:
    NSString screenTitle() const override { return NSString("我的消息"); }
    void loadData() override;
    void noticeEvent(UIControl& sender);
    const std::shared_ptr<NSArray>& notices() const { return m_notices; }
    // The card shown last (nil once it has closed).
    std::shared_ptr<NoticeView> noticeView() const { return m_noticeView.lock(); }
    // Whether the notice row at that index is marked unread.
    bool rowMarkedUnread(NSUInteger index) const;

private:
    void showNotices(const id& reply);
    std::shared_ptr<NSArray> m_notices;
    std::vector<std::shared_ptr<UIView>> m_unreadDots;
    std::weak_ptr<NoticeView> m_noticeView;
};

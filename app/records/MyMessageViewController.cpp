#include "app/records/MyMessageViewController.h"

#include "app/records/RecordsService.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/stores/NoticeManager.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

void MyMessageViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid())
        return showEmpty(true);
    STProgressHUD::showInView(view());
    std::weak_ptr<MyMessageViewController> weakSelf = self();
    RecordsService::sendMain(ns::mutableDictionary({ { "METHOD", NSString("checkNoticeMethod") } }), [weakSelf](const id& reply) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->showNotices(reply);
    });
}

void MyMessageViewController::showNotices(const id& reply)
{
    if (!RecordsService::mainSucceeded(reply)) {
        STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
        return showEmpty(true);
    }
    STProgressHUD::dismiss();
    m_notices = ServiceReply::rows(reply, "array0");
    m_unreadDots.clear();
    showEmpty(m_notices->count() == 0);
    clearRows();
    const CGFloat W = scroller()->bounds().size.width;
    auto store = NoticeManager::shareInstance();
    for (NSUInteger i = 0; i < m_notices->count(); ++i) {
        auto notice = ns::dictionaryValue(m_notices->objectAtIndex(i));
        auto row = addRow(64);
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(row->bounds());
        button->setTag(static_cast<NSInteger>(i));
        button->addTarget(self(), &MyMessageViewController::noticeEvent, UIControlEventTouchUpInside);
        row->addSubview(button);
        auto dot = UIView::create(CGRectMake(8, 17, 6, 6));
        dot->setBackgroundColor(UIColor_Addition::colorWithHexString("e66444"));
        dot->layer()->setCornerRadius(3);
        dot->setUserInteractionEnabled(false);
        dot->setHidden(store->existsNoticeId(ns::stringForKey(notice, "NID")));
        row->addSubview(dot);
        m_unreadDots.push_back(dot);
        auto title = UILabel::create(CGRectMake(20, 10, W - 35, 21));
        title->setFont(UIFont::systemFontOfSize(15));
        title->setText(ns::stringForKey(notice, "TITLE"));
        title->setUserInteractionEnabled(false);
        row->addSubview(title);
        auto date = UILabel::create(CGRectMake(20, 35, W - 35, 18));
        date->setFont(UIFont::systemFontOfSize(12));
        date->setTextColor(UIColor::grayColor());
        date->setText(ns::stringForKey(notice, "PREDATE"));
        date->setUserInteractionEnabled(false);
        row->addSubview(date);
    }
    finishRows();
}

bool MyMessageViewController::rowMarkedUnread(NSUInteger index) const
{
    return index < m_unreadDots.size() && !m_unreadDots[index]->isHidden();
}

void MyMessageViewController::noticeEvent(UIControl& sender)
{
    const auto index = static_cast<NSUInteger>(sender.tag());
    if (!m_notices || index >= m_notices->count())
        return;
    auto notice = ns::dictionaryValue(m_notices->objectAtIndex(index));
    const NSString nid = ns::stringForKey(notice, "NID");
    if (!nid.isNil() && nid.length() && NoticeManager::shareInstance()->insertNoticeId(nid) && index < m_unreadDots.size())
        m_unreadDots[index]->setHidden(true);
    auto card = NoticeView::create(view()->bounds(), notice);
    view()->addSubview(card);
    m_noticeView = card;
}

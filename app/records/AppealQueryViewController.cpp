#include "app/records/AppealQueryViewController.h"

#include "app/records/AppealProcessViewController.h"
#include "app/records/RecordsService.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

void AppealQueryViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid())
        return showEmpty(true);
    STProgressHUD::showInView(view());
    std::weak_ptr<AppealQueryViewController> weakSelf = self();
    RecordsService::sendAppeal("2", ns::dictionary({ { "RECORDDATE", m_recordDate.isNil() ? NSString("") : m_recordDate } }), [weakSelf](const id& reply) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->showRecords(reply);
    });
}

void AppealQueryViewController::showRecords(const id& reply)
{
    if (!RecordsService::appealSucceeded(reply)) {
        STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
        return showEmpty(true);
    }
    STProgressHUD::dismiss();
    m_records = RecordsService::appealRows(reply);
    showEmpty(m_records->count() == 0);
    clearRows();
    const CGFloat W = scroller()->bounds().size.width;
    auto day = UILabel::create(CGRectMake(15, m_rowsY, W - 30, 24));
    day->setFont(UIFont::systemFontOfSize(13));
    day->setTextColor(UIColor::darkGrayColor());
    day->setText(NSString::stringWithFormat("%@ 的培训记录", m_recordDate));
    scroller()->addSubview(day);
    m_rowsY += 26;
    for (NSUInteger i = 0; i < m_records->count(); ++i) {
        auto record = ns::dictionaryValue(m_records->objectAtIndex(i));
        auto row = addRow(70);
        auto first = LKAttributedLabel::create();
        first->setFont(UIFont::systemFontOfSize(12));
        first->setTextColor(UIColor::grayColor());
        first->setBackgroundColor(UIColor::clearColor());
        auto time = NSMutableAttributedString::create(NSString::stringWithFormat("%@-%@", ns::stringForKey(record, "STARTTIME"), ns::stringForKey(record, "ENDTIME")),
            ns::dictionary({ { NSForegroundColorAttributeName, UIColor::blackColor() }, { NSFontAttributeName, UIFont::boldSystemFontOfSize(15) } }));
        time->appendAttributedString(NSAttributedString::create(NSString::stringWithFormat("  教练 %@", ns::stringForKey(record, "COACHNAME"))));
        first->setText(time);
        first->setNumberOfLines(1);
        first->setFrame(CGRectMake(15, 10, W - 115, 24));
        row->addSubview(first);
        auto second = LKAttributedLabel::create();
        second->setFont(UIFont::systemFontOfSize(12));
        second->setTextColor(UIColor::grayColor());
        second->setBackgroundColor(UIColor::clearColor());
        // The minutes as the next screen and the calendar write them; the plate after them, where
        // the line has room for it whole.
        auto minutes = NSMutableAttributedString::create(NSString("有效培训 "));
        minutes->appendAttributedString(NSAttributedString::create(RecordsService::minutesText(record),
            ns::dictionary({ { NSForegroundColorAttributeName, UIColor::redColor() } })));
        if (const NSString plate = ns::stringForKey(record, "CARNO"); plate.length())
            minutes->appendAttributedString(NSAttributedString::create(NSString::stringWithFormat("  车辆 %@", plate)));
        second->setText(minutes);
        second->setNumberOfLines(1);
        second->setFrame(CGRectMake(15, 38, W - 115, 21));
        row->addSubview(second);
        auto appeal = UIButton::buttonWithType(UIButtonTypeCustom);
        appeal->setFrame(CGRectMake(W - 85, 20, 70, 30));
        // A record the service sent without its id cannot be appealed.
        const bool usable = RecordsService::rowUsable(record, { "RECORDID" });
        appeal->setEnabled(usable);
        appeal->setBackgroundColor(UIColor_Addition::colorWithHexString(usable ? "e66444" : "cccccc"));
        appeal->setTitle("申诉", UIControlStateNormal);
        appeal->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        appeal->setTag(static_cast<NSInteger>(i));
        appeal->addTarget(self(), &AppealQueryViewController::appealEvent, UIControlEventTouchUpInside);
        row->addSubview(appeal);
    }
    finishRows();
}

void AppealQueryViewController::appealEvent(UIControl& sender)
{
    if (!m_records || sender.tag() < 0 || static_cast<NSUInteger>(sender.tag()) >= m_records->count() || !ServerUrlManger::networkIsValid())
        return;
    auto record = ns::dictionaryValue(m_records->objectAtIndex(static_cast<NSUInteger>(sender.tag())));
    const RequestFields fields = RecordsService::requiredFields(record, { "RECORDID" });
    if (!fields.complete())
        return RecordsService::showUnusable(view());
    STProgressHUD::show();
    std::weak_ptr<AppealQueryViewController> weakSelf = self();
    RecordsService::sendAppeal("6", fields.dictionary(), [weakSelf, record](const id& reply) {
        if (!RecordsService::appealSucceeded(reply))
            return STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
        auto data = ns::dictionaryValue(ns::dictionaryValue(reply)->objectForKey(NSString("data")));
        if (ns::stringForKey(data, "INPROCESS").isEqualToString("1"))
            return STProgressHUD::dismissWithError("该记录已在申诉处理中", 1.0);
        STProgressHUD::dismiss();
        auto protectedSelf = weakSelf.lock();
        if (!protectedSelf)
            return;
        auto process = AppealProcessViewController::create();
        process->setRecord(record);
        if (auto navigation = protectedSelf->navigationController())
            navigation->pushViewController(process, true);
    });
}

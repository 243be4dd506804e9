#include "app/records/AppealCalendarViewController.h"

#include "app/records/AppealQueryViewController.h"
#include "app/records/RecordsService.h"
#include "app/services/ServerUrlManger.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/minutescalendar/NSDate_Convenience.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

void AppealCalendarViewController::loadView()
{
    RecordsListScreen::loadView();
    m_calendar = MCCalendarView::create(CGPointMake(0, 0));
    m_calendar->setDelegate(std::static_pointer_cast<MCCalendarViewDelegate>(self()));
    scroller()->addSubview(m_calendar);
    m_summary = UILabel::create(CGRectMake(15, 0, scroller()->bounds().size.width - 30, 30));
    m_summary->setFont(UIFont::systemFontOfSize(14));
    m_summary->setTextColor(UIColor::darkGrayColor());
    scroller()->addSubview(m_summary);
}

void AppealCalendarViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid())
        return showEmpty(true);
    STProgressHUD::showInView(view());
    std::weak_ptr<AppealCalendarViewController> weakSelf = self();
    RecordsService::sendAppeal("1", ns::dictionary({ { "SUBJECT", m_subject.isNil() ? NSString("") : m_subject } }), [weakSelf](const id& reply) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->showMonths(reply);
    });
}

void AppealCalendarViewController::showMonths(const id& reply)
{
    if (!RecordsService::appealSucceeded(reply)) {
        STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
        return showEmpty(true);
    }
    auto months = RecordsService::appealRows(reply);
    auto first = months->count() ? ns::dictionaryValue(months->objectAtIndex(0)) : nullptr;
    auto start = NSDate_Convenience::dateFromString(NSString::stringWithFormat("%@-01", ns::stringForKey(first, "MONTH")), "yyyy-MM-dd");
    if (!start) {
        STProgressHUD::dismissWithError("暂无学时记录", 1.0);
        return showEmpty(true);
    }
    STProgressHUD::dismiss();
    showEmpty(false);
    m_calendar->setDataArray(months);
    m_calendar->reset(start);
}

void AppealCalendarViewController::updateSummary()
{
    long long minutes = 0;
    for (NSUInteger i = 0; m_calendar->markedDates() && i < m_calendar->markedDates()->count(); ++i) {
        const NSString text = ns::stringForKey(ns::dictionaryValue(m_calendar->markedDates()->objectAtIndex(i)), "text");
        minutes += std::atoll(std::string(text.UTF8String()).c_str());
    }
    m_summary->setText(NSString::stringWithFormat("%d月有效培训 %lld 分钟，点击日期查看记录", NSDate_Convenience::month(m_calendar->currentMonth()), minutes));
    m_summary->setFrame(CGRectMake(15, m_calendar->frame().origin.y + m_calendar->calendarHeight(), m_summary->frame().size.width, 30));
    scroller()->setContentSize(CGSizeMake(scroller()->bounds().size.width, CGRectGetMaxY(m_summary->frame()) + 10));
}

void AppealCalendarViewController::calendarViewSwitchedToMonth(MCCalendarView&, int, float, bool animated)
{
    if (!animated)
        updateSummary();
}

void AppealCalendarViewController::calendarViewDateSelected(MCCalendarView& calendar, const std::shared_ptr<NSDate>& date)
{
    const NSString day = NSDate_Convenience::stringFromDate(date, "yyyy-MM-dd");
    auto months = calendar.dataArray();
    for (NSUInteger i = 0; months && i < months->count(); ++i) {
        auto days = ns::arrayForKey(ns::dictionaryValue(months->objectAtIndex(i)), "INFO");
        for (NSUInteger j = 0; days && j < days->count(); ++j) {
            if (!ns::stringForKey(ns::dictionaryValue(days->objectAtIndex(j)), "RECORDDATE").isEqualToString(day))
                continue;
            auto query = AppealQueryViewController::create();
            query->setRecordDate(day);
            query->setSubject(m_subject);
            if (auto navigation = navigationController())
                navigation->pushViewController(query, true);
            return;
        }
    }
}

void AppealCalendarViewController::calendarViewReset(MCCalendarView&)
{
    updateSummary();
}

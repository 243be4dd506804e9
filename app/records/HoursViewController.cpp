#include "app/records/HoursViewController.h"

#include "app/records/AppealCalendarViewController.h"
#include "app/records/RecordsService.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/session/Constant.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

std::shared_ptr<NSAttributedString> HoursViewController::hourText(const NSString& before, double hours, const NSString& after)
{
    auto text = NSMutableAttributedString::create(before);
    text->appendAttributedString(NSAttributedString::create(NSString::stringWithFormat("%.1f", hours),
        ns::dictionary({ { NSForegroundColorAttributeName, UIColor::redColor() } })));
    text->appendAttributedString(NSAttributedString::create(after));
    return text;
}

void HoursViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid())
        return showEmpty(true);
    STProgressHUD::showInView(view());
    std::weak_ptr<HoursViewController> weakSelf = self();
    RecordsService::sendMain(ns::mutableDictionary({ { "METHOD", NSString("checkHourMethod") } }), [weakSelf](const id& reply) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->showHours(reply);
    });
}

void HoursViewController::showHours(const id& reply)
{
    if (!RecordsService::mainSucceeded(reply)) {
        STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
        return showEmpty(true);
    }
    STProgressHUD::dismiss();
    m_hours = ServiceReply::rows(reply, "array0");
    showEmpty(m_hours->count() == 0);
    clearRows();
    const CGFloat W = scroller()->bounds().size.width;
    for (NSUInteger i = 0; i < m_hours->count(); ++i) {
        auto item = ns::dictionaryValue(m_hours->objectAtIndex(i));
        auto row = addRow(90);
        auto title = UILabel::create(CGRectMake(15, 8, W - 120, 21));
        title->setFont(UIFont::boldSystemFontOfSize(16));
        title->setText(NSString::stringWithFormat("%@ %@", Constant::getSubjectName(ns::stringForKey(item, "SUBJECT")),
            ns::stringForKey(item, "HOURTYPE").isEqualToString("1") ? NSString("理论学时") : NSString("实操学时")));
        row->addSubview(title);
        const NSString lines[2][2] = { { "应完成学时 ", " 学时" }, { "已完成学时 ", " 学时" } };
        const double figures[2] = { ns::doubleForKey(item, "NEEDHOURS"), ns::doubleForKey(item, "FINISHHOURS") };
        for (int l = 0; l < 2; ++l) {
            auto label = LKAttributedLabel::create();
            label->setBackgroundColor(UIColor::clearColor());
            label->setTextColor(UIColor::grayColor());
            label->setFont(UIFont::systemFontOfSize(12));
            label->setText(hourText(lines[l][0], figures[l], lines[l][1]));
            const CGSize size = label->sizeThatFits(CGSizeMake(W, 21));
            label->setFrame(CGRectMake(15, 36 + l * 24, std::min(size.width, W - 120), 21));
            row->addSubview(label);
        }
        auto effective = LKAttributedLabel::create();
        effective->setBackgroundColor(UIColor::clearColor());
        effective->setTextColor(UIColor::grayColor());
        effective->setFont(UIFont::systemFontOfSize(12));
        effective->setText(hourText("有效 ", ns::doubleForKey(item, "EFFECTHOURS"), " 学时"));
        effective->setFrame(CGRectMake(W / 2 - 20, 60, 90, 21));
        row->addSubview(effective);
        auto appeal = UIButton::buttonWithType(UIButtonTypeCustom);
        appeal->setFrame(CGRectMake(W - 95, 30, 80, 30));
        const bool usable = RecordsService::rowUsable(item, { "SUBJECT", "HOURTYPE" });
        appeal->setEnabled(usable);
        appeal->setBackgroundColor(UIColor_Addition::colorWithHexString(usable ? "00a7d1" : "cccccc"));
        appeal->setTitle("学时申诉", UIControlStateNormal);
        appeal->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        appeal->titleLabel()->setFont(UIFont::systemFontOfSize(14));
        appeal->setTag(static_cast<NSInteger>(i));
        appeal->addTarget(self(), &HoursViewController::appealEvent, UIControlEventTouchUpInside);
        row->addSubview(appeal);
    }
    finishRows();
}

void HoursViewController::appealEvent(UIControl& sender)
{
    if (!m_hours || sender.tag() < 0 || static_cast<NSUInteger>(sender.tag()) >= m_hours->count() || !ServerUrlManger::networkIsValid())
        return;
    auto item = ns::dictionaryValue(m_hours->objectAtIndex(static_cast<NSUInteger>(sender.tag())));
    const RequestFields fields = RecordsService::requiredFields(item, { "SUBJECT", "HOURTYPE" });
    if (!fields.complete())
        return RecordsService::showUnusable(view());
    const NSString subject = ns::stringForKey(fields.dictionary(), "SUBJECT");
    STProgressHUD::show();
    std::weak_ptr<HoursViewController> weakSelf = self();
    RecordsService::sendAppeal("7", fields.dictionary(),
        [weakSelf, subject](const id& reply) {
            if (!RecordsService::appealSucceeded(reply))
                return STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
            auto data = ns::dictionaryValue(ns::dictionaryValue(reply)->objectForKey(NSString("data")));
            if (!ns::stringForKey(data, "ISOPEN").isEqualToString("1"))
                return STProgressHUD::dismissWithError("该科目暂未开放学时申诉", 1.0);
            STProgressHUD::dismiss();
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf)
                return;
            auto calendar = AppealCalendarViewController::create();
            calendar->setSubject(subject);
            if (auto navigation = protectedSelf->navigationController())
                navigation->pushViewController(calendar, true);
        });
}

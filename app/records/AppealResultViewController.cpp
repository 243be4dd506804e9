#include "app/records/AppealResultViewController.h"

#include "app/records/RecordsService.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

void AppealResultViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid())
        return showEmpty(true);
    STProgressHUD::showInView(view());
    std::weak_ptr<AppealResultViewController> weakSelf = self();
    RecordsService::sendAppeal("4", nullptr, [weakSelf](const id& reply) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->showAppeals(reply);
    });
}

void AppealResultViewController::showAppeals(const id& reply)
{
    if (!RecordsService::appealSucceeded(reply)) {
        STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
        return showEmpty(true);
    }
    STProgressHUD::dismiss();
    m_appeals = RecordsService::appealRows(reply);
    showEmpty(m_appeals->count() == 0);
    clearRows();
    const CGFloat W = scroller()->bounds().size.width;
    for (NSUInteger i = 0; i < m_appeals->count(); ++i) {
        auto appeal = ns::dictionaryValue(m_appeals->objectAtIndex(i));
        auto row = addRow(92);
        auto when = UILabel::create(CGRectMake(15, 8, W - 110, 21));
        when->setFont(UIFont::boldSystemFontOfSize(14));
        when->setText(NSString::stringWithFormat("%@ %@-%@", ns::stringForKey(appeal, "RECORDDATE"), ns::stringForKey(appeal, "STARTTIME"), ns::stringForKey(appeal, "ENDTIME")));
        row->addSubview(when);
        const NSString state = ns::stringForKey(appeal, "STATE");
        auto stateLabel = UILabel::create(CGRectMake(W - 95, 8, 80, 21));
        stateLabel->setTextAlignment(NSTextAlignmentRight);
        stateLabel->setFont(UIFont::systemFontOfSize(14));
        stateLabel->setTextColor(UIColor_Addition::colorWithHexString(state.isEqualToString("0") ? "f5a623" : state.isEqualToString("1") ? "28c01d" : "e66444"));
        stateLabel->setText(ns::stringForKey(appeal, "STATENAME"));
        row->addSubview(stateLabel);
        auto reason = UILabel::create(CGRectMake(15, 32, W - 30, 21));
        reason->setFont(UIFont::systemFontOfSize(13));
        reason->setTextColor(UIColor::darkGrayColor());
        reason->setText(NSString::stringWithFormat("理由：%@", ns::stringForKey(appeal, "REASON")));
        row->addSubview(reason);
        auto answer = UILabel::create(CGRectMake(15, 56, W - 30, 21));
        answer->setFont(UIFont::systemFontOfSize(13));
        answer->setTextColor(UIColor::grayColor());
        const NSString answerText = ns::stringForKey(appeal, "ANSWER");
        answer->setText(NSString::stringWithFormat("%@  %@", ns::stringForKey(appeal, "APPEALDATE"), answerText.length() ? answerText : NSString("等待处理")));
        row->addSubview(answer);
    }
    finishRows();
}

#include "app/records/CoachEvaluateViewController.h"

#include "app/records/CoachEvalDetailViewController.h"
#include "app/records/RecordsService.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/session/Constant.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

void CoachEvaluateViewController::viewDidLoad()
{
    RecordsListScreen::viewDidLoad();
    // A saved evaluation changes the coach's state in the list.
    NSNotificationCenter::defaultCenter()->addObserver(self(), &CoachEvaluateViewController::evaluated, NSString("EVALUATE_SUCCESS"), nullptr);
}

void CoachEvaluateViewController::evaluated(const std::shared_ptr<NSNotification>&)
{
    loadData();
}

void CoachEvaluateViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid())
        return showEmpty(true);
    STProgressHUD::showInView(view());
    std::weak_ptr<CoachEvaluateViewController> weakSelf = self();
    RecordsService::sendMain(ns::mutableDictionary({ { "METHOD", NSString("emEvaluateMethod") } }), [weakSelf](const id& reply) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->showCoaches(reply);
    });
}

void CoachEvaluateViewController::showCoaches(const id& reply)
{
    if (!RecordsService::mainSucceeded(reply)) {
        STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
        return showEmpty(true);
    }
    STProgressHUD::dismiss();
    m_coaches = ServiceReply::rows(reply, "array0");
    m_taps.clear();
    showEmpty(m_coaches->count() == 0);
    clearRows();
    const CGFloat W = scroller()->bounds().size.width;
    for (NSUInteger i = 0; i < m_coaches->count(); ++i) {
        auto coach = ns::dictionaryValue(m_coaches->objectAtIndex(i));
        auto row = addRow(64);
        auto name = UILabel::create(CGRectMake(15, 10, W - 120, 21));
        name->setFont(UIFont::boldSystemFontOfSize(16));
        name->setText(ns::stringForKey(coach, "COACHNAME"));
        row->addSubview(name);
        auto detail = UILabel::create(CGRectMake(15, 34, W - 120, 20));
        detail->setFont(UIFont::systemFontOfSize(13));
        detail->setTextColor(UIColor::grayColor());
        detail->setText(NSString::stringWithFormat("%@  准教车型 %@", Constant::getSubjectName(ns::stringForKey(coach, "SUBJECT")), ns::stringForKey(coach, "CARTYPE")));
        row->addSubview(detail);
        const bool done = ns::stringForKey(coach, "STATE").isEqualToString("1");
        auto state = UILabel::create(CGRectMake(W - 105, 21, 80, 21));
        state->setTextAlignment(NSTextAlignmentRight);
        state->setFont(UIFont::systemFontOfSize(14));
        state->setTextColor(UIColor_Addition::colorWithHexString(done ? "28c01d" : "f5a623"));
        state->setText(ns::stringForKey(coach, "STATENAME"));
        row->addSubview(state);
        auto tap = MyTapGestureRecognizer::create(self(), &CoachEvaluateViewController::coachTapped);
        tap->setData(coach);
        tap->setMemo(ns::stringForKey(coach, "STATENAME"));
        row->addGestureRecognizer(tap);
        m_taps.push_back(tap);
    }
    finishRows();
}

void CoachEvaluateViewController::coachTapped(MyTapGestureRecognizer& tap)
{
    if (ns::stringForKey(tap.data(), "STATE").isEqualToString("1"))
        return STProgressHUD::showInView(view()), STProgressHUD::dismissWithSuccess(NSString::stringWithFormat("该教练%@", tap.memo()), 1.0);
    if (!RecordsService::rowUsable(tap.data(), { "EMPLOYEEID" }))
        return RecordsService::showUnusable(view());
    auto detail = CoachEvalDetailViewController::create();
    detail->setCoach(tap.data());
    if (auto navigation = navigationController())
        navigation->pushViewController(detail, true);
}

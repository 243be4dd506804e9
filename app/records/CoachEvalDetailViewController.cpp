#include "app/records/CoachEvalDetailViewController.h"

#include "app/records/EvaluationSubmit.h"
#include "app/records/RecordsService.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/session/Constant.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

void CoachEvalDetailViewController::loadView()
{
    RecordsListScreen::loadView();
    const CGFloat W = scroller()->bounds().size.width;
    auto header = UILabel::create(CGRectMake(15, 8, W - 30, 24));
    header->setFont(UIFont::boldSystemFontOfSize(16));
    header->setText(NSString::stringWithFormat("%@  %@", ns::stringForKey(m_coach, "COACHNAME"), Constant::getSubjectName(ns::stringForKey(m_coach, "SUBJECT"))));
    scroller()->addSubview(header);
}

void CoachEvalDetailViewController::loadData()
{
    // The items come once; a form already there keeps what the learner chose.
    RequestFields fields = RecordsService::requiredFields(m_coach, { "EMPLOYEEID" });
    if (!fields.complete())
        return RecordsService::showUnusable(view()), showEmpty(!m_form);
    if (m_form || !ServerUrlManger::networkIsValid())
        return showEmpty(!m_form);
    STProgressHUD::showInView(view());
    std::weak_ptr<CoachEvalDetailViewController> weakSelf = self();
    fields.set("METHOD", "chEvaluateMethod");
    RecordsService::sendMain(fields.dictionary(), [weakSelf](const id& reply) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->showItems(reply);
    });
}

void CoachEvalDetailViewController::showItems(const id& reply)
{
    auto items = RecordsService::mainSucceeded(reply) ? ServiceReply::rows(reply, "array0") : nullptr;
    if (!items || items->count() == 0) {
        STProgressHUD::dismissWithError(RecordsService::failureText(reply, "服务器忙，请稍候再试！"), 1.0);
        return showEmpty(true);
    }
    STProgressHUD::dismiss();
    showEmpty(false);
    auto [form, submit] = EvaluationSubmit::placeForm(*scroller(), 40, items);
    m_form = form;
    submit->addTarget(self(), &CoachEvalDetailViewController::submitEvent, UIControlEventTouchUpInside);
}

void CoachEvalDetailViewController::submitEvent(UIControl&)
{
    view()->endEditing(true);
    if (sending())
        return;
    if (const NSString problem = EvaluationSubmit::problem(*m_form); problem.length())
        return STProgressHUD::showInView(view()), STProgressHUD::dismissWithError(problem, 1.0);
    const RequestFields coach = RecordsService::requiredFields(m_coach, { "EMPLOYEEID" });
    if (!coach.complete())
        return RecordsService::showUnusable(view());
    if (!ServerUrlManger::networkIsValid())
        return;
    auto fields = EvaluationSubmit::fields("saveEvaluateMethod", *m_form);
    fields->addEntriesFromDictionary(coach.dictionary());
    EvaluationSubmit::save(*this, fields, "EVALUATE_SUCCESS", "评价成功");
}

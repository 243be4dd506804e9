#include "app/records/SchoolEvaluateViewController.h"

#include "app/records/EvaluationSubmit.h"
#include "app/records/RecordsService.h"
#include "app/services/ServerUrlManger.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"

std::shared_ptr<NSArray> SchoolEvaluateViewController::fixedItems()
{
    auto items = NSMutableArray::array();
    const char* names[5] = { "教学质量", "服务态度", "收费规范", "训练场地", "教练车辆" };
    for (int i = 0; i < 5; ++i)
        items->addObject(ns::dictionary({ { "ITEMID", NSString("0" + std::to_string(i + 1)) }, { "ITEMNAME", NSString(names[i]) } }));
    return items;
}

void SchoolEvaluateViewController::loadView()
{
    RecordsListScreen::loadView();
    std::shared_ptr<NSArray> items = m_itemArray;
    if (!items || items->count() == 0)
        items = fixedItems();
    auto [form, submit] = EvaluationSubmit::placeForm(*scroller(), 10, items);
    m_form = form;
    submit->addTarget(self(), &SchoolEvaluateViewController::submitEvent, UIControlEventTouchUpInside);
}

void SchoolEvaluateViewController::submitEvent(UIControl&)
{
    view()->endEditing(true);
    if (sending())
        return;
    if (const NSString problem = EvaluationSubmit::problem(*m_form); problem.length())
        return STProgressHUD::showInView(view()), STProgressHUD::dismissWithError(problem, 1.0);
    if (!ServerUrlManger::networkIsValid())
        return;
    // The home shows its own toast on the notice.
    EvaluationSubmit::save(*this, EvaluationSubmit::fields("saveEnEvaluateMethod", *m_form), "SCHOOL_EVALUATE_SUCCESS", NSString(""));
}

#pragma once
// The evaluation of one coach: the items the service lists, half-star scores and a comment; a
// save tells the coach list through "EVALUATE_SUCCESS".

#include "app/records/EvaluationFormView.h"
#include "app/records/RecordsListScreen.h"
#include "platform/foundation/NSDictionary.h"

class CoachEvalDetailViewController : public RecordsListScreen {
    NS_OBJECT(CoachEvalDetailViewController, RecordsListScreen)
public:
    NSString screenTitle() const override { return NSString("评价教练"); }
    void loadView() override;
    void loadData() override;

    // The coach row of the list (EMPLOYEEID, COACHNAME, ...).
    void setCoach(const std::shared_ptr<NSDictionary>& coach) { m_coach = coach; }
    const std::shared_ptr<NSDictionary>& coach() const { return m_coach; }
    const std::shared_ptr<EvaluationFormView>& form() const { return m_form; }
    void submitEvent(UIControl&);

private:
    void showItems(const id& reply);
    std::shared_ptr<NSDictionary> m_coach;
    std::shared_ptr<EvaluationFormView> m_form;
};

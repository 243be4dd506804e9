#pragma once
// The coaches the learner trained with, each with whether it is evaluated yet; a tap on a coach
// not yet evaluated opens the evaluation of that coach.

#include "app/records/MyTapGestureRecognizer.h"
#include "app/records/RecordsListScreen.h"
#include "platform/foundation/NSArray.h"

class CoachEvaluateViewController : public RecordsListScreen {
    NS_OBJECT(CoachEvaluateViewController, RecordsListScreen)
public:
    NSString screenTitle() const override { return NSString("教练评价"); }
    void viewDidLoad() override;
    void loadData() override;
    void coachTapped(MyTapGestureRecognizer& tap);
    const std::shared_ptr<NSArray>& coaches() const { return m_coaches; }
    const std::vector<std::shared_ptr<MyTapGestureRecognizer>>& taps() const { return m_taps; }

private:
    void showCoaches(const id& reply);
    void evaluated(const std::shared_ptr<NSNotification>&);
    std::shared_ptr<NSArray> m_coaches;
    std::vector<std::shared_ptr<MyTapGestureRecognizer>> m_taps;
};

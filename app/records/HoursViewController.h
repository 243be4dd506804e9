#pragma once
// The training hours per subject, and for a subject whose appeals are open the way into its
// calendar of training minutes.

#include "app/records/RecordsListScreen.h"
#include "platform/foundation/NSArray.h"

class HoursViewController : public RecordsListScreen {
    NS_OBJECT(HoursViewController, RecordsListScreen)
public:
    NSString screenTitle() const override { return NSString("学时查询"); }
    void loadData() override;
    void appealEvent(UIControl& sender);
    const std::shared_ptr<NSArray>& hours() const { return m_hours; }
    // "应完成 16.0 学时": the figure in red, the rest in the label's gray.
    static std::shared_ptr<NSAttributedString> hourText(const NSString& before, double hours, const NSString& after);

private:
    void showHours(const id& reply);
    std::shared_ptr<NSArray> m_hours;
};

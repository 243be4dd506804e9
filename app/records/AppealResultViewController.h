#pragma once
// The learner's appeals with their state and the answer given.

#include "app/records/RecordsListScreen.h"
#include "platform/foundation/NSArray.h"

class AppealResultViewController : public RecordsListScreen {
    NS_OBJECT(AppealResultViewController, RecordsListScreen)
public:
    NSString screenTitle() const override { return NSString("申诉结果"); }
    void loadData() override;
    const std::shared_ptr<NSArray>& appeals() const { return m_appeals; }

private:
    void showAppeals(const id& reply);
    std::shared_ptr<NSArray> m_appeals;
};

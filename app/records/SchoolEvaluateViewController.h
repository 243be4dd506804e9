#pragma once
// The driving-school evaluation: the items the home passes (or five of its own), half-star
// scores, a comment of at most 100 characters; a save tells the home through
// "SCHOOL_EVALUATE_SUCCESS".

#include "app/records/EvaluationFormView.h"
#include "app/records/RecordsListScreen.h"
#include "platform/foundation/NSArray.h"

class SchoolEvaluateViewController : public RecordsListScreen {
    NS_OBJECT(SchoolEvaluateViewController, RecordsListScreen)
public:
    NSString screenTitle() const override { return NSString("驾校评价"); }
    void loadView() override;

    // The evaluation items (ITEMID, ITEMNAME); nil or empty gives the form's own.
    void setItemArray(const std::shared_ptr<NSMutableArray>& items) { m_itemArray = items; }
    const std::shared_ptr<NSMutableArray>& itemArray() const { return m_itemArray; }
    static std::shared_ptr<NSArray> fixedItems();

    const std::shared_ptr<EvaluationFormView>& form() const { return m_form; }
    void submitEvent(UIControl&);

private:
    std::shared_ptr<NSMutableArray> m_itemArray;
    std::shared_ptr<EvaluationFormView> m_form;
};

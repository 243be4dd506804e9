#pragma once
// What the two evaluation screens share: the form with its submit button placed in a screen's
// scroller, the check before sending and the fields a save sends.

#include "app/records/EvaluationFormView.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScrollView.h"

class RecordsListScreen;

namespace EvaluationSubmit {

// The form for the items at `top` in the scroller, and "提交评价" below it (its target is the
// caller's).
std::pair<std::shared_ptr<EvaluationFormView>, std::shared_ptr<UIButton>> placeForm(UIScrollView& scroller, CGFloat top, const std::shared_ptr<NSArray>& items);
// The HUD's complaint about the form, or an empty text when it may be sent.
NSString problem(const EvaluationFormView& form);
// METHOD, ITEMIDS, SCORES and CONTENT of the form.
std::shared_ptr<NSMutableDictionary> fields(const NSString& method, const EvaluationFormView& form);
// Sends a save of the screen's form. Its end comes whether or not the screen is still there:
// the HUD answers (`successText`, or nothing when empty), a success posts `notice` and leaves
// the screen when it is still on top; a refused or lost save keeps the form for another try.
void save(RecordsListScreen& screen, const std::shared_ptr<NSMutableDictionary>& fields, const NSString& notice, const NSString& successText);

} // namespace EvaluationSubmit

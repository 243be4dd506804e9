#pragma once
// What the two evaluation screens share: the form with its submit button placed in a screen's
// scroller, the check before sending and the fields a save sends.

#include "app/records/EvaluationFormView.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScrollView.h"

namespace EvaluationSubmit {

// The form for the items at `top` in the scroller, and "提交评价" below it (its target is the
// caller's).
std::pair<std::shared_ptr<EvaluationFormView>, std::shared_ptr<UIButton>> placeForm(UIScrollView& scroller, CGFloat top, const std::shared_ptr<NSArray>& items);
// The HUD's complaint about the form, or an empty text when it may be sent.
NSString problem(const EvaluationFormView& form);
// METHOD, ITEMIDS, SCORES and CONTENT of the form.
std::shared_ptr<NSMutableDictionary> fields(const NSString& method, const EvaluationFormView& form);

} // namespace EvaluationSubmit

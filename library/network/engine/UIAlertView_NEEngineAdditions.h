#pragma once
// An alert that tells the user of an engine error.

#include "platform/foundation/NSError.h"
#include "platform/uikit/UIAlertView.h"

namespace UIAlertView_NEEngineAdditions {

// Titled by the error's description, with its recovery suggestion as message and one "Dismiss"
// button; shown at once and returned.
std::shared_ptr<UIAlertView> showWithError(const std::shared_ptr<NSError>& error);

} // namespace UIAlertView_NEEngineAdditions

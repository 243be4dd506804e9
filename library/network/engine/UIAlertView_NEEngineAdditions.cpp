#include "library/network/engine/UIAlertView_NEEngineAdditions.h"

#include "platform/foundation/NSBundle.h"

namespace UIAlertView_NEEngineAdditions {

std::shared_ptr<UIAlertView> showWithError(const std::shared_ptr<NSError>& error)
{
    const NSString title = error ? error->localizedDescription() : NSString();
    const NSString message = error && error->userInfo()
        ? NSString::fromId(error->userInfo()->objectForKey(NSLocalizedRecoverySuggestionErrorKey))
        : NSString();
    auto alert = UIAlertView::create(title, message, nullptr, NSBundle::mainBundle()->localizedStringForKey("Dismiss", NSString(), NSString()),
        std::vector<NSString>());
    alert->show();
    return alert;
}

} // namespace UIAlertView_NEEngineAdditions

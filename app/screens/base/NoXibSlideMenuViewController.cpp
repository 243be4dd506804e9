#include "app/screens/base/NoXibSlideMenuViewController.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"

void NoXibSlideMenuViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    // The base class stops observing when the screen goes.
    NSNotificationCenter::defaultCenter()->addObserver(std::static_pointer_cast<NoXibSlideMenuViewController>(self()),
        &NoXibSlideMenuViewController::contentSizeDidChangeNotification, kContentSizeCategoryDidChangeNotification, nullptr);
}

void NoXibSlideMenuViewController::contentSizeDidChangeNotification(const std::shared_ptr<NSNotification>& notification)
{
    contentSizeDidChange(ns::stringForKey(notification ? notification->userInfo() : nullptr, kContentSizeCategoryNewValueKey));
}

void NoXibSlideMenuViewController::contentSizeDidChange(const NSString&) { }

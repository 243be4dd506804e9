#pragma once
// A screen built in code that hears the user's text size change: contentSizeDidChange gets the new
// size category. No screen derives from it.

#include "app/screens/base/NoXibViewController.h"

class NoXibSlideMenuViewController : public NoXibViewController {
    NS_OBJECT(NoXibSlideMenuViewController, NoXibViewController)
public:
    static constexpr const char* kContentSizeCategoryDidChangeNotification = "UIContentSizeCategoryDidChangeNotification";
    static constexpr const char* kContentSizeCategoryNewValueKey = "UIContentSizeCategoryNewValueKey";

    void viewDidLoad() override;
    void contentSizeDidChangeNotification(const std::shared_ptr<NSNotification>& notification);
    // Does nothing here.
    virtual void contentSizeDidChange(const NSString& contentSizeCategory);
};

#pragma once
// The officer's settings: the about row and the logout.
#include "app/screens/settings/SetupViewController.h"

class AdminSetupViewController : public SetupViewController {
    NS_OBJECT(AdminSetupViewController, SetupViewController)
public:
    void loadView() override;

protected:
    // The officer's logout leaves the login screen's fields as they were.
    bool postsCleanLoginInfo() const override { return false; }
};

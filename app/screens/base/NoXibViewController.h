#pragma once
// A screen built in code: its root view has the size of the screen (turned with the status bar)
// and carries the screen's own navigation bar.

#include "app/screens/base/ParentViewController.h"

class NoXibViewController : public ParentViewController {
    NS_OBJECT(NoXibViewController, ParentViewController)
public:
    void loadView() override;

protected:
    void init();
};

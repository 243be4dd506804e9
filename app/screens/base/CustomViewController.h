#pragma once
// A screen base with the laid-out-under-the-bars layout and the tiled picture "global_bg" behind
// its content. No screen derives from it.

#include "app/screens/base/ParentViewController.h"

class CustomViewController : public ParentViewController {
    NS_OBJECT(CustomViewController, ParentViewController)
public:
    void viewDidLoad() override;

protected:
    void init();
};

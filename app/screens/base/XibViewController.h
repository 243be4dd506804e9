#pragma once
// A screen base for screens described by a layout file: extended under every bar, with the tiled
// picture "global_bg" behind its content. No screen derives from it, and nothing loads layout
// files here: it is made in code like the others.

#include "app/screens/base/ParentViewController.h"

class XibViewController : public ParentViewController {
    NS_OBJECT(XibViewController, ParentViewController)
public:
    void viewDidLoad() override;

protected:
    void init();
};

#include "app/screens/base/XibViewController.h"

#include "app/screens/base/ScreenImages.h"

void XibViewController::init()
{
    ParentViewController::init();
    setEdgesForExtendedLayout(UIRectEdgeAll);
}

void XibViewController::viewDidLoad()
{
    ParentViewController::viewDidLoad();
    view()->insertSubview(tiledBackgroundView("global_bg", view()->bounds()), 0);
}

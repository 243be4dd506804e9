#include "app/screens/base/CustomViewController.h"

#include "app/screens/base/ScreenImages.h"

void CustomViewController::init()
{
    ParentViewController::init();
    setWantsFullScreenLayout(true);
}

void CustomViewController::viewDidLoad()
{
    ParentViewController::viewDidLoad();
    // No pattern colours here: the picture is tiled in a view at the back instead.
    view()->insertSubview(tiledBackgroundView("global_bg", view()->bounds()), 0);
}

#include "app/screens/base/CustomNavigationController.h"

#include "platform/uikit/UIApplication.h"

void CustomNavigationController::viewDidLoad()
{
    UINavigationController::viewDidLoad();
    setNavigationBarHidden(true);
}
bool CustomNavigationController::shouldAutorotate() const
{
    auto top = topViewController();
    return top ? top->shouldAutorotate() : UINavigationController::shouldAutorotate();
}
NSUInteger CustomNavigationController::supportedInterfaceOrientations() const
{
    auto top = topViewController();
    return top ? top->supportedInterfaceOrientations() : UINavigationController::supportedInterfaceOrientations();
}
bool CustomNavigationController::shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) const
{
    return orientation == UIApplication::sharedApplication()->statusBarOrientation();
}

void CustomNavigationController::navigationCanDragBack(bool canDragBack)
{
    if (auto gesture = interactivePopGestureRecognizer())
        gesture->setEnabled(canDragBack);
}

#include "library/widgets/drawer/UIViewController_DWDrawerController.h"

#include "library/widgets/drawer/DWDrawerController.h"
#include "platform/uikit/UINavigationController.h"

namespace DWDrawerController_Category {

std::shared_ptr<DWDrawerController> dw_drawerController(const UIViewController& controller)
{
    for (auto parent = controller.parentViewController(); parent; parent = parent->parentViewController())
        if (auto drawer = std::dynamic_pointer_cast<DWDrawerController>(parent))
            return drawer;
    return nullptr;
}

CGRect dw_visibleDrawerFrame(const UIViewController& controller)
{
    auto drawer = dw_drawerController(controller);
    if (!drawer)
        return CGRectNull;
    auto navigation = controller.navigationController();
    auto isDrawer = [&](const UIViewControllerRef& side) {
        return side && (side.get() == &controller || side == std::static_pointer_cast<UIViewController>(navigation));
    };
    const CGRect bounds = drawer->view()->bounds();
    if (isDrawer(drawer->leftDrawerViewController()))
        return CGRectMake(CGRectGetMinX(bounds), CGRectGetMinY(bounds), drawer->maximumLeftDrawerWidth(), bounds.size.height);
    if (isDrawer(drawer->rightDrawerViewController()))
        return CGRectMake(bounds.size.width - drawer->maximumRightDrawerWidth(), CGRectGetMinY(bounds), drawer->maximumRightDrawerWidth(),
            bounds.size.height);
    return CGRectNull;
}

} // namespace DWDrawerController_Category

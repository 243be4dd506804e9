#pragma once
// Lets any controller inside a side drawer container find the container and the frame its
// drawer shows in.

#include "platform/uikit/UIViewController.h"

class DWDrawerController;

namespace DWDrawerController_Category {

// The first drawer container up the parents, starting from the controller's parent; nil when none.
std::shared_ptr<DWDrawerController> dw_drawerController(const UIViewController& controller);
// The frame of the controller's drawer when it (or its navigation controller) is one of its
// container's drawers; the null rectangle otherwise.
CGRect dw_visibleDrawerFrame(const UIViewController& controller);

} // namespace DWDrawerController_Category

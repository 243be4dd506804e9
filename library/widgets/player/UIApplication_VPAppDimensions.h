#pragma once
// The screen's size as the application sees it in an interface orientation.

#include "platform/graphics/CGGeometry.h"
#include "platform/uikit/UIApplication.h"

namespace VPAppDimensions {

// Width and height swap in the landscape orientations; before 7.0 a shown status bar takes its
// height off.
CGSize sizeInOrientation(UIInterfaceOrientation orientation);

} // namespace VPAppDimensions

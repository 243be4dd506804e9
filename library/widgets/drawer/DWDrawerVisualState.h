#pragma once
// Ready-made looks for a drawer as it comes into view, to hand to
// DWDrawerController::setDrawerVisualStateBlock.

#include "library/widgets/drawer/DWDrawerController.h"

class DWDrawerVisualState : public NSObject {
    NS_OBJECT(DWDrawerVisualState, NSObject)
public:
    using Block = DWDrawerController::DrawerVisualStateBlock;

    // Grows from 90 % and slides in from 50 points outside, fading in.
    static const Block& slideAndScaleVisualStateBlock();
    static Block slideVisualStateBlock() { return parallaxVisualStateBlockWithParallaxFactor(1.0); }
    // Turns in about its outer edge like a door.
    static const Block& swingingDoorVisualStateBlock();
    // Slides in at 1 / factor of the centre's speed.
    static Block parallaxVisualStateBlockWithParallaxFactor(CGFloat parallaxFactor);
};

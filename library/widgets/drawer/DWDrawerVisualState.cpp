#include "library/widgets/drawer/DWDrawerVisualState.h"

#include "platform/uikit/UIScreen.h"

#include <cmath>

namespace {

CGFloat visibleWidth(const DWDrawerController& drawerController, DWDrawerSide side, CGFloat* maximumWidth)
{
    *maximumWidth = side == DWDrawerSideLeft ? drawerController.maximumLeftDrawerWidth() : drawerController.maximumRightDrawerWidth();
    const CGFloat visible = side == DWDrawerSideLeft ? drawerController.visibleLeftDrawerWidth() : drawerController.visibleRightDrawerWidth();
    return std::max(*maximumWidth, visible);
}

CATransform3D stretchTransform(DWDrawerSide side, CGFloat percentVisible, CGFloat width)
{
    CATransform3D transform = CATransform3DMakeScale(percentVisible, 1, 1);
    return CATransform3DTranslate(transform, (side == DWDrawerSideLeft ? 1 : -1) * width * 0.5, 0, 0);
}

} // namespace

const DWDrawerVisualState::Block& DWDrawerVisualState::slideAndScaleVisualStateBlock()
{
    static const Block block = [](DWDrawerController& drawerController, DWDrawerSide side, CGFloat percentVisible) {
        auto drawer = drawerController.sideDrawerViewControllerForSide(side);
        if (!drawer)
            return;
        const CGFloat minimumScale = 0.9;
        const CGFloat scale = minimumScale + percentVisible * (1.0 - minimumScale);
        CATransform3D transform = CATransform3DMakeScale(scale, scale, scale);
        const CGFloat distance = 50;
        const CGFloat shift = distance - distance * percentVisible;
        transform = CATransform3DConcat(transform, CATransform3DMakeTranslation(side == DWDrawerSideLeft ? shift : -shift, 0, 0));
        drawer->view()->layer()->setTransform(transform);
        drawer->view()->setAlpha(percentVisible);
    };
    return block;
}

DWDrawerVisualState::Block DWDrawerVisualState::parallaxVisualStateBlockWithParallaxFactor(CGFloat parallaxFactor)
{
    return [parallaxFactor](DWDrawerController& drawerController, DWDrawerSide side, CGFloat percentVisible) {
        auto drawer = drawerController.sideDrawerViewControllerForSide(side);
        if (!drawer)
            return;
        CGFloat maximumWidth = 0;
        const CGFloat width = visibleWidth(drawerController, side, &maximumWidth);
        CATransform3D transform = CATransform3DIdentity;
        if (percentVisible <= 1.0) {
            const CGFloat distance = side == DWDrawerSideLeft ? (width * percentVisible - width) : (width - width * percentVisible);
            transform = CATransform3DMakeTranslation(distance / parallaxFactor, 0, 0);
        } else {
            transform = CATransform3DMakeScale(percentVisible, 1, 1);
            transform = CATransform3DTranslate(transform, (side == DWDrawerSideLeft ? 0.5 : -0.5) * maximumWidth * (percentVisible - 1), 0, 0);
        }
        drawer->view()->layer()->setTransform(transform);
    };
}

const DWDrawerVisualState::Block& DWDrawerVisualState::swingingDoorVisualStateBlock()
{
    static const Block block = [](DWDrawerController& drawerController, DWDrawerSide side, CGFloat percentVisible) {
        auto drawer = drawerController.sideDrawerViewControllerForSide(side);
        if (!drawer)
            return;
        CGFloat maximumWidth = 0;
        const CGFloat width = visibleWidth(drawerController, side, &maximumWidth);
        const auto& layer = drawer->view()->layer();
        CATransform3D transform = CATransform3DIdentity;
        if (percentVisible <= 1.0) {
            CATransform3D perspective = CATransform3DIdentity;
            perspective.m34 = -1.0 / 1000.0;
            if (side == DWDrawerSideLeft) {
                layer->setAnchorPoint(CGPointMake(1.0, 0.5));
                transform = CATransform3DRotate(perspective, percentVisible * M_PI_2 - M_PI_2, 0, 1, 0);
                transform = CATransform3DConcat(transform, CATransform3DMakeTranslation(width * percentVisible - width / 2, 0, 0));
            } else {
                layer->setAnchorPoint(CGPointMake(0.0, 0.5));
                transform = CATransform3DRotate(perspective, M_PI_2 - percentVisible * M_PI_2, 0, 1, 0);
                transform = CATransform3DConcat(transform, CATransform3DMakeTranslation(width / 2 - width * percentVisible, 0, 0));
            }
        } else {
            transform = stretchTransform(side, percentVisible, width);
        }
        layer->setTransform(transform);
        layer->setShouldRasterize(true);
        layer->setRasterizationScale(UIScreen::mainScreen()->scale());
    };
    return block;
}

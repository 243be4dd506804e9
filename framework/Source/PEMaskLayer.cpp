#include "framework/Source/PEMaskLayer.h"

void PEMaskLayer::init(CGRect frame)
{
    PELayer::init(frame);
    setNeedsDisplayOnBoundsChange(true);
}

void PEMaskLayer::renderAsVectorInContext(const CGContextRef& context)
{
    PELayer::renderAsVectorInContext(context);
    auto owner = superlayer();
    if (!owner)
        return;
    CGContextSetRGBFillColor(context, 0, 0, 0, 1);
    if (auto engineOwner = std::dynamic_pointer_cast<PELayer>(owner)) {
        if (CGPathRef path = engineOwner->sublayerMaskingPath()) {
            CGContextBeginPath(context);
            CGContextAddPath(context, path);
            CGContextFillPath(context);
        }
    } else {
        CGContextFillRect(context, bounds());
    }
}

#include "platform/graphics/CGLayer.h"

CGLayerRef CGLayerCreateWithContext(const CGContextRef& context, CGSize size, const void*)
{
    return CGLayer::create(context, size);
}

CGContextRef CGLayerGetContext(const CGLayerRef& layer) { return layer ? layer->context() : nullptr; }

CGSize CGLayerGetSize(const CGLayerRef& layer) { return layer ? layer->size() : CGSizeZero; }

void CGContextDrawLayerAtPoint(const CGContextRef& context, CGPoint point, const CGLayerRef& layer)
{
    if (layer)
        CGContextDrawLayerInRect(context, { point, layer->size() }, layer);
}

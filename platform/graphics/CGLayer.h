#pragma once
// Off-screen drawing that is stamped into a context many times. The layer's pixels match the
// device scale of the context it was made for, so stamping at the same scale is exact.

#include "platform/graphics/CGContext.h"

class CGLayer : public NSObject {
    NS_OBJECT(CGLayer, NSObject)
public:
    const CGContextRef& context() const { return m_context; }
    CGSize size() const { return m_size; }

protected:
    bool init(const CGContextRef& reference, CGSize size);

private:
    CGContextRef m_context;
    CGSize m_size;
};

using CGLayerRef = std::shared_ptr<CGLayer>;

CGLayerRef CGLayerCreateWithContext(const CGContextRef& context, CGSize size, const void* auxiliaryInfo);
CGContextRef CGLayerGetContext(const CGLayerRef& layer);
CGSize CGLayerGetSize(const CGLayerRef& layer);
inline CGLayerRef CGLayerRetain(const CGLayerRef& layer) { return layer; }
inline void CGLayerRelease(const CGLayerRef&) { }
void CGContextDrawLayerInRect(const CGContextRef& context, CGRect rect, const CGLayerRef& layer);
void CGContextDrawLayerAtPoint(const CGContextRef& context, CGPoint point, const CGLayerRef& layer);

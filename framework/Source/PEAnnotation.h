#pragma once
// Places one content layer on a host layer: at a reference point that each kind of annotation
// computes, plus a displacement, turned by a rotation, with the content's anchor point on it.
// The host is a weak link: an annotation that outlives its host simply has none.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGGeometry.h"

class PEAnnotationHostLayer;
class PELayer;

class PEAnnotation : public NSObject, public NSCoding {
    NS_OBJECT(PEAnnotation, NSObject)
public:
    std::shared_ptr<PEAnnotationHostLayer> annotationHostLayer() const { return m_annotationHostLayer.lock(); }
    void setAnnotationHostLayer(const std::shared_ptr<PEAnnotationHostLayer>& host);
    const std::shared_ptr<PELayer>& contentLayer() const { return m_contentLayer; }
    void setContentLayer(const std::shared_ptr<PELayer>& layer);
    CGPoint contentAnchorPoint() const { return m_contentAnchorPoint; }
    void setContentAnchorPoint(CGPoint point);
    CGPoint displacement() const { return m_displacement; }
    void setDisplacement(CGPoint displacement);
    CGFloat rotation() const { return m_rotation; }
    void setRotation(CGFloat rotation);

    virtual void positionContentLayer() { }

    NSString description() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init() { }
    bool init(NSCoder& coder);
    // Anchor point, position (reference point plus displacement), rotation, pixel alignment.
    void placeContentLayerAt(CGPoint referencePoint);
    void requestHostLayout();

private:
    std::weak_ptr<PEAnnotationHostLayer> m_annotationHostLayer;
    std::shared_ptr<PELayer> m_contentLayer;
    CGPoint m_contentAnchorPoint { 0.5, 0.5 };
    CGPoint m_displacement {};
    CGFloat m_rotation { 0 };
};

using PEAnnotationRef = std::shared_ptr<PEAnnotation>;

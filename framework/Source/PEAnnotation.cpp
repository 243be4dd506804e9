#include "framework/Source/PEAnnotation.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEAnnotationHostLayer.h"
#include "framework/Source/PELayer.h"

#include <cmath>

void PEAnnotation::setAnnotationHostLayer(const std::shared_ptr<PEAnnotationHostLayer>& host)
{
    if (host == m_annotationHostLayer.lock())
        return;
    if (m_contentLayer)
        m_contentLayer->removeFromSuperlayer();
    m_annotationHostLayer = host;
    if (m_contentLayer && host)
        host->addSublayer(m_contentLayer);
}

void PEAnnotation::setContentLayer(const std::shared_ptr<PELayer>& layer)
{
    if (layer == m_contentLayer)
        return;
    if (m_contentLayer)
        m_contentLayer->removeFromSuperlayer();
    m_contentLayer = layer;
    if (layer) {
        if (auto host = annotationHostLayer())
            host->addSublayer(layer);
    }
}

void PEAnnotation::requestHostLayout()
{
    if (!m_contentLayer)
        return;
    if (auto superlayer = std::dynamic_pointer_cast<PELayer>(m_contentLayer->superlayer()))
        superlayer->setNeedsLayout();
    else if (auto platformSuperlayer = m_contentLayer->superlayer())
        platformSuperlayer->setNeedsLayout();
}

void PEAnnotation::setContentAnchorPoint(CGPoint point)
{
    if (point.x == m_contentAnchorPoint.x && point.y == m_contentAnchorPoint.y)
        return;
    m_contentAnchorPoint = point;
    requestHostLayout();
}

void PEAnnotation::setDisplacement(CGPoint displacement)
{
    if (displacement.x == m_displacement.x && displacement.y == m_displacement.y)
        return;
    m_displacement = displacement;
    requestHostLayout();
}

void PEAnnotation::setRotation(CGFloat rotation)
{
    if (rotation == m_rotation)
        return;
    m_rotation = rotation;
    requestHostLayout();
}

void PEAnnotation::placeContentLayerAt(CGPoint referencePoint)
{
    if (!m_contentLayer)
        return;
    m_contentLayer->setAnchorPoint(m_contentAnchorPoint);
    m_contentLayer->setPosition(CGPoint { referencePoint.x + m_displacement.x, referencePoint.y + m_displacement.y });
    m_contentLayer->setTransform(CATransform3DMakeRotation(m_rotation, 0, 0, 1));
    m_contentLayer->pixelAlign();
}

NSString PEAnnotation::description() const
{
    return NSString::stringWithFormat("<%@ {%@}>", NSObject::description(),
        m_contentLayer ? m_contentLayer->description() : NSString("(null)"));
}

void PEAnnotation::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeConditionalObject(annotationHostLayer(), "PEAnnotation.annotationHostLayer");
    coder.encodeObject(m_contentLayer, "PEAnnotation.contentLayer");
    NSCoder_PEExtensions::encodePEPoint(coder, m_contentAnchorPoint, "PEAnnotation.contentAnchorPoint");
    NSCoder_PEExtensions::encodePEPoint(coder, m_displacement, "PEAnnotation.displacement");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_rotation, "PEAnnotation.rotation");
}

bool PEAnnotation::init(NSCoder& coder)
{
    m_annotationHostLayer = coder.decodeWeakObjectOfClass<PEAnnotationHostLayer>("PEAnnotation.annotationHostLayer");
    m_contentLayer = coder.decodeObjectOfClass<PELayer>("PEAnnotation.contentLayer");
    m_contentAnchorPoint = NSCoder_PEExtensions::decodePEPointForKey(coder, "PEAnnotation.contentAnchorPoint");
    m_displacement = NSCoder_PEExtensions::decodePEPointForKey(coder, "PEAnnotation.displacement");
    m_rotation = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PEAnnotation.rotation");
    return std::isfinite(m_contentAnchorPoint.x) && std::isfinite(m_contentAnchorPoint.y) && std::isfinite(m_displacement.x)
        && std::isfinite(m_displacement.y) && std::isfinite(m_rotation);
}

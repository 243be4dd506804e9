#include "framework/Source/PELayerAnnotation.h"

#include "framework/Source/PEAnnotationHostLayer.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PELayer.h"
#include "platform/foundation/NSNotificationCenter.h"

PELayerAnnotation::~PELayerAnnotation()
{
    NSNotificationCenter::defaultCenter()->removeObserver(static_cast<const NSObject*>(this));
}

void PELayerAnnotation::init()
{
    init(nullptr);
}

void PELayerAnnotation::init(const std::shared_ptr<PELayer>& newAnchorLayer)
{
    PEParameterAssert(newAnchorLayer);
    m_anchorLayer = newAnchorLayer;
    NSNotificationCenter::defaultCenter()->addObserver(self(), &PELayerAnnotation::positionContentLayer, PELayerBoundsDidChangeNotification, newAnchorLayer);
}

void PELayerAnnotation::setRectAnchor(PERectAnchor anchor)
{
    if (anchor == m_rectAnchor)
        return;
    m_rectAnchor = anchor;
    positionContentLayer();
}

CGPoint PELayerAnnotation::referencePointForAnchor(PERectAnchor anchor, CGRect bounds)
{
    enum Place { Lower, Middle, Upper };
    Place x, y;
    switch (anchor) {
    case PERectAnchorBottomLeft: x = Lower; y = Lower; break;
    case PERectAnchorBottom: x = Middle; y = Lower; break;
    case PERectAnchorBottomRight: x = Upper; y = Lower; break;
    case PERectAnchorLeft: x = Lower; y = Middle; break;
    case PERectAnchorRight: x = Upper; y = Middle; break;
    case PERectAnchorTopLeft: x = Lower; y = Upper; break;
    case PERectAnchorTop: x = Middle; y = Upper; break;
    case PERectAnchorTopRight: x = Upper; y = Upper; break;
    case PERectAnchorCenter: x = Middle; y = Middle; break;
    default:
        return CGPointZero;
    }
    auto place = [](Place where, CGFloat lower, CGFloat upper) {
        return where == Lower ? lower : where == Upper ? upper : lower + (upper - lower) * 0.5;
    };
    return CGPoint { place(x, CGRectGetMinX(bounds), CGRectGetMaxX(bounds)), place(y, CGRectGetMinY(bounds), CGRectGetMaxY(bounds)) };
}

void PELayerAnnotation::positionContentLayer()
{
    auto host = annotationHostLayer();
    auto anchor = anchorLayer();
    if (!contentLayer() || !host || !anchor)
        return;
    CGPoint reference = referencePointForAnchor(m_rectAnchor, anchor->bounds());
    placeContentLayerAt(anchor->convertPointToLayer(reference, host));
}

#include "framework/Source/PELayerAnnotation.h"

#include "framework/Source/PEAnnotationHostLayer.h"
#include "framework/Source/PEConstraints.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PELayer.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <cmath>

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
    setConstraints();
    observeAnchor(newAnchorLayer);
}

void PELayerAnnotation::observeAnchor(const std::shared_ptr<PELayer>& anchor)
{
    NSNotificationCenter::defaultCenter()->addObserver(self(), &PELayerAnnotation::positionContentLayer, PELayerBoundsDidChangeNotification, anchor);
}

void PELayerAnnotation::setRectAnchor(PERectAnchor anchor)
{
    if (anchor == m_rectAnchor)
        return;
    m_rectAnchor = anchor;
    setConstraints();
    positionContentLayer();
}

void PELayerAnnotation::setConstraints()
{
    enum Place { Lower, Middle, Upper, None };
    Place x = None, y = None;
    switch (m_rectAnchor) {
    case PERectAnchorBottomLeft: x = Lower; y = Lower; break;
    case PERectAnchorBottom: x = Middle; y = Lower; break;
    case PERectAnchorBottomRight: x = Upper; y = Lower; break;
    case PERectAnchorLeft: x = Lower; y = Middle; break;
    case PERectAnchorRight: x = Upper; y = Middle; break;
    case PERectAnchorTopLeft: x = Lower; y = Upper; break;
    case PERectAnchorTop: x = Middle; y = Upper; break;
    case PERectAnchorTopRight: x = Upper; y = Upper; break;
    case PERectAnchorCenter: x = Middle; y = Middle; break;
    }
    auto make = [](Place place) -> std::shared_ptr<PEConstraints> {
        switch (place) {
        case Lower:
            return PEConstraints::constraintWithLowerOffset(0.0);
        case Middle:
            return PEConstraints::constraintWithRelativeOffset(0.5);
        case Upper:
            return PEConstraints::constraintWithUpperOffset(0.0);
        default:
            return nullptr;
        }
    };
    setXConstraints(make(x));
    setYConstraints(make(y));
}

void PELayerAnnotation::positionContentLayer()
{
    auto host = annotationHostLayer();
    auto anchor = anchorLayer();
    if (!contentLayer() || !host || !anchor)
        return;
    CGRect bounds = anchor->bounds();
    auto place = [](const std::shared_ptr<PEConstraints>& constraints, CGFloat lower, CGFloat upper) -> CGFloat {
        if (!constraints || std::isnan(lower) || std::isnan(upper))
            return 0;
        return constraints->positionForLowerBound(std::min(lower, upper), std::max(lower, upper));
    };
    CGPoint reference {
        place(m_xConstraints, CGRectGetMinX(bounds), CGRectGetMaxX(bounds)),
        place(m_yConstraints, CGRectGetMinY(bounds), CGRectGetMaxY(bounds)),
    };
    placeContentLayerAt(anchor->convertPointToLayer(reference, host));
}

void PELayerAnnotation::encodeWithCoder(NSCoder& coder) const
{
    PEAnnotation::encodeWithCoder(coder);
    coder.encodeConditionalObject(anchorLayer(), "PELayerAnnotation.anchorLayer");
    coder.encodeObject(m_xConstraints, "PELayerAnnotation.xConstraints");
    coder.encodeObject(m_yConstraints, "PELayerAnnotation.yConstraints");
    coder.encodeInt(m_rectAnchor, "PELayerAnnotation.rectAnchor");
}

bool PELayerAnnotation::init(NSCoder& coder)
{
    if (!PEAnnotation::init(coder))
        return false;
    auto anchor = coder.decodeWeakObjectOfClass<PELayer>("PELayerAnnotation.anchorLayer");
    m_anchorLayer = anchor;
    m_xConstraints = coder.decodeObjectOfClass<PEConstraints>("PELayerAnnotation.xConstraints");
    m_yConstraints = coder.decodeObjectOfClass<PEConstraints>("PELayerAnnotation.yConstraints");
    m_rectAnchor = static_cast<PERectAnchor>(coder.decodeIntForKey("PELayerAnnotation.rectAnchor"));
    if (anchor)
        observeAnchor(anchor);
    return true;
}
